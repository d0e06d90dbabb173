#include "web/text_between.h"

#include <gtest/gtest.h>

#include <string>

#include "text/gbk.h"

namespace qingwu {
namespace {

// Test texts are written in UTF-8 and handed to the functions in GBK.
Text G(const char* utf8) {
    return Utf8ToGbk(utf8);
}

TEST(Find, SearchRules) {
    struct Case {
        const char* name;
        Text text;
        Text sought;
        int start;
        bool ignoreCase;
        int expected;
    } cases[] = {
        {"first_occurrence", "abcabc", "bc", 1, false, 2},
        {"at_or_after_start", "abcabc", "bc", 3, false, 5},
        {"start_exactly_on_match", "abcabc", "bc", 5, false, 5},
        {"start_zero_counts_as_one", "abc", "a", 0, false, 1},
        {"negative_start_counts_as_one", "abc", "a", -7, false, 1},
        {"start_beyond_last_byte", "abc", "c", 4, false, -1},
        {"absent", "abc", "d", 1, false, -1},
        {"sought_longer_than_rest", "abc", "bcd", 1, false, -1},
        {"empty_sought_found_at_one_whatever_start", "abc", "", 3, false, 1},
        {"empty_sought_start_beyond_end", "abc", "", 4, false, -1},
        {"empty_sought_in_empty_text", "", "", 1, false, -1},
        {"empty_text", "", "a", 1, false, -1},
        {"chinese", G("第一章 第二章"), G("第二章"), 1, false, 8},
        // 0x81 0x41 is one character whose second byte is 'A': only the single 'A' counts.
        {"second_byte_is_not_a_candidate",
         "\x81"
         "AA",
         "A", 1, false, 3},
        // B0A1 A1A2: the bytes A1 A1 straddle two characters.
        {"marker_starting_on_second_byte", "\xB0\xA1\xA1\xA2", "\xA1\xA1", 1, false, -1},
        {"marker_on_character_start", "\xB0\xA1\xA1\xA2", "\xA1\xA2", 1, false, 3},
        {"byte_0x80_begins_two_byte_character",
         "\x80"
         "AA",
         "A", 1, false, 3},
        {"cut_off_character_ends_search", "ab\xD6", "\xD6", 1, false, -1},
        {"match_before_cut_off_character", "ab\xD6", "b", 1, false, 2},
        {"case_sensitive_by_default", "xABC", "abc", 1, false, -1},
        {"ignore_case_ascii", "xABC", "abc", 1, true, 2},
        {"ignore_case_second_byte_exact", "\x81\x41", "\x81\x61", 1, true, -1},
        {"ignore_case_second_byte_equal",
         "\x81\x41"
         "B",
         "\x81\x41"
         "b",
         1, true, 1},
        {"ignore_case_skips_second_byte",
         "\x81"
         "aA",
         "a", 1, true, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Find(c.text, c.sought, c.start, c.ignoreCase), c.expected);
    }
}

// Every byte 'A' of a long text is the second byte of a character except the last one. A search
// that re-walked the characters from the start for each occurrence would never finish.
TEST(Find, LongTextOfSecondByteOccurrences) {
    Text text;
    for (int i = 0; i < 500'000; ++i) {
        text +=
            "\x81"
            "A";
    }
    text += "A";
    EXPECT_EQ(Find(text, "A", 1), static_cast<int>(text.size()));
    EXPECT_EQ(Find(text, "a", 1, true), static_cast<int>(text.size()));
}

TEST(Mid, Bounds) {
    struct Case {
        const char* name;
        int start;
        int count;
        Text expected;
    } cases[] = {
        {"middle", 2, 3, "bcd"},  {"to_the_end", 4, 2, "de"},    {"count_past_end", 4, 100, "de"},
        {"last_byte", 5, 1, "e"}, {"start_below_one", 0, 2, ""}, {"start_beyond_end", 6, 1, ""},
        {"count_zero", 2, 0, ""}, {"count_negative", 2, -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Mid("abcde", c.start, c.count), c.expected);
    }
}

TEST(TextBetween, Markers) {
    struct Case {
        const char* name;
        Text text;
        Text startMarker;
        Text endMarker;
        Text expected;
    } cases[] = {
        {"both_markers", "x<t>Title</t>y", "<t>", "</t>", "Title"},
        {"missing_end_marker", "x<t>Title", "<t>", "</t>", ""},
        {"empty_start_marker_cuts_from_beginning", "x<t>Title</t>y", "", "</t>", "x<t>Title"},
        {"empty_end_marker", "x<t>Title</t>y", "<t>", "", ""},
        {"both_empty", "abc", "", "", ""},
        // An absent start marker gives nothing, not a cut from near the start of the page.
        {"absent_start_marker", "abcdy", "<t>", "y", ""},
        {"absent_one_byte_start_marker", "abcdy", "q", "y", ""},
        {"end_marker_before_start_is_skipped", "</t>x<t>a</t>b</t>", "<t>", "</t>", "a"},
        {"adjacent_markers", "<t></t>", "<t>", "</t>", ""},
        {"start_marker_at_the_end", "ab<t>", "<t>", "</t>", ""},
        {"first_start_marker_wins", "<t>a<t>b</t>", "<t>", "</t>", "a<t>b"},
        {"empty_text", "", "<t>", "</t>", ""},
        {"chinese_markers", G("前言【标题】第一章【/标题】后记"), G("【标题】"), G("【/标题】"),
         G("第一章")},
        // The end marker's bytes A1 A2 occur first across the boundary of B0A1 and A2B0.
        {"end_marker_not_found_on_second_byte", "<t>\xB0\xA1\xA2\xB0\xA1\xA2", "<t>", "\xA1\xA2",
         "\xB0\xA1\xA2\xB0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TextBetween(c.text, c.startMarker, c.endMarker), c.expected);
    }
}

}  // namespace
}  // namespace qingwu
