#include "web/regex_matcher.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "text/gbk.h"

namespace qingwu {
namespace {

// Patterns and subjects are written in UTF-8 here and handed over in GBK; results come back to
// UTF-8 so that failures read well.
Text G(const std::string& utf8) {
    return Utf8ToGbk(utf8);
}
std::string U(const Text& gbk) {
    return GbkToUtf8(gbk);
}

struct Outcome {
    std::vector<std::string> matches;
    std::vector<std::vector<std::string>> groups;  // per match, groups 1..SubMatchCount
};

Outcome MatchAll(const std::string& pattern, const std::string& subject, bool ignoreCase = true,
                 bool multiline = false, bool global = true) {
    RegexMatcher m;
    EXPECT_TRUE(m.Create(G(pattern), ignoreCase, multiline, global));
    const int count = m.Execute(G(subject));
    EXPECT_EQ(count, m.MatchCount());
    Outcome out;
    for (int i = 1; i <= count; ++i) {
        out.matches.push_back(U(m.MatchText(i)));
        std::vector<std::string> groups;
        for (int g = 1; g <= m.SubMatchCount(); ++g) {
            groups.push_back(U(m.SubMatchText(i, g)));
        }
        out.groups.push_back(std::move(groups));
    }
    return out;
}

using Strings = std::vector<std::string>;

// The callers' flags: case ignored, multiline off, global on.
TEST(RegexMatcher, DialectMatches) {
    struct Case {
        const char* name;
        std::string pattern;
        std::string subject;
        Strings expected;
    } cases[] = {
        {"ignore_case_tag", R"(<a href=(\d+)\.html>)", "<A HREF=12.html>", {"<A HREF=12.html>"}},
        {"dollar_not_before_final_newline", "a$", "a\n", {}},
        {"dollar_at_very_end", "a$", "ba", {"a"}},
        {"caret_only_at_start", "^b", "a\nb", {}},
        {"dot_stops_at_cr", ".+", "第一章\r\n", {"第一章"}},
        {"dot_is_one_chinese_character", "^.$", "中", {"中"}},
        {"dot_between_chinese", "第.章", "第一章第二章", {"第一章", "第二章"}},
        {"chinese_in_class", "[一二三]+", "第一二三章", {"一二三"}},
        {"chinese_range_by_escape", R"([\u4e00-\u9fa5]+)", "ab中文cd", {"中文"}},
        {"negated_class_takes_chinese", "[^a]", "中", {"中"}},
        {"ideographic_space_is_not_space", R"(\s+)", "　　正文", {}},
        {"space_class_ascii", R"(\s+)", "a \t\r\n\f\vb", {" \t\r\n\f\v"}},
        {"word_is_ascii", R"(\w+)", "abc中文", {"abc"}},
        {"fullwidth_digits_are_not_digits", R"(\d)", "１２３", {}},
        {"word_boundary_around_ascii", R"(\bab\b)", "中ab文", {"ab"}},
        {"v_is_vertical_tab_only", R"(\v)", "\n", {}},
        {"v_matches_vertical_tab", R"(\v)", "\v", {"\v"}},
        {"unknown_letter_escapes_are_letters", R"(\a\e\h)", "aeh", {"aeh"}},
        {"more_identity_escapes",
         R"(\A\Z\G\K\Q\E\p\X\R\N\g\k\o)",
         "AZGKQEpXRNgko",
         {"AZGKQEpXRNgko"}},
        {"unicode_escape", R"(\u4e2d)", "中", {"中"}},
        {"short_unicode_escape_is_u", R"(\u12)", "u12", {"u12"}},
        {"braced_unicode_is_repeated_u", R"(\u{41})", std::string(41, 'u'), {std::string(41, 'u')}},
        {"hex_escape_two_digits", R"(\x41)", "A", {"A"}},
        {"short_hex_escape_is_x", R"(\x4g)", "x4g", {"x4g"}},
        {"control_escape", R"(\cJ)", "\n", {"\n"}},
        {"control_escape_without_letter_is_c", R"(\c1)", "c1", {"c1"}},
        {"backreference_then_digit", R"((a)\10)", "aa0", {"aa0"}},
        {"octal_above_377_is_two_digits", R"(\400)", " 0", {" 0"}},
        {"octal_three_digits", R"(\101)", "A", {"A"}},
        {"nul_escape", R"(a\0b)", std::string("a\0b", 3), {std::string("a\0b", 3)}},
        {"eight_without_group_is_digit", R"(\8)", "8", {"8"}},
        {"forward_reference_matches_empty", R"(\1(a))", "a", {"a"}},
        {"caseless_backreference", R"((a)\1)", "aA", {"aA"}},
        {"repeated_reference_to_unset_group", R"((?:(a)|b)\1{2}c)", "bc", {"bc"}},
        {"plus_reference_to_unset_group", R"((?:(a)|b)\1+c)", "bc", {"bc"}},
        {"empty_class_never_matches", "[]a]", "a]", {}},
        {"negated_empty_class_matches_newline", "[^]", "\n", {"\n"}},
        {"dash_after_class_escape", R"([\d-z]+)", "1-z", {"1-z"}},
        {"no_posix_classes", "[[:alpha:]]", "a]", {"a]"}},
        {"backspace_in_class", R"([\b])", "\b", {"\b"}},
        {"stray_brace_is_literal", "a{,3}", "a{,3}", {"a{,3}"}},
        {"brace_quantifier", "a{2}", "aaaaa", {"aa", "aa"}},
        {"stray_closing_bracket_and_brace", "a]}", "a]}", {"a]}"}},
        {"fullwidth_letters_fold", "ａｂｃ", "ＡＢＣ", {"ＡＢＣ"}},
        {"kelvin_sign_is_not_k", R"(\u212a)", "k", {}},
        {"greedy", "<b>.*</b>", "<b>x</b><b>y</b>", {"<b>x</b><b>y</b>"}},
        {"lazy", "<b>.*?</b>", "<b>x</b><b>y</b>", {"<b>x</b>", "<b>y</b>"}},
        {"lookahead", R"(\d+(?=元))", "价100元 200", {"100"}},
        {"negative_lookahead", "a(?!b)", "abac", {"a"}},
        {"alternation_left_first", "ab|a", "ab", {"ab"}},
        // Empty matches: the next search starts one character later and never retries a
        // non-empty match at the same place.
        {"lazy_optional", "a??", "aa", {"", "", ""}},
        {"empty_alternative_first", "|a", "a", {"", ""}},
        {"empty_pattern", "", "test", {"", "", "", "", ""}},
        {"star_over_chinese_counts_characters", "x*", "中文", {"", "", ""}},
        {"empty_match_after_match", "a*", "baaac", {"", "aaa", "", ""}},
        {"empty_subject", "a*", "", {""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(MatchAll(c.pattern, c.subject).matches, c.expected);
    }
}

TEST(RegexMatcher, DialectGroups) {
    struct Case {
        const char* name;
        std::string pattern;
        std::string subject;
        Strings match;
        Strings groups;  // of the first match
    } cases[] = {
        {"tag_number", R"(<a href=(\d+)\.html>)", "<A HREF=12.html>", {"<A HREF=12.html>"}, {"12"}},
        {"unset_group_is_empty", "(a)|b", "b", {"b"}, {""}},
        {"backreference_to_unset_group", R"((a)|b\1)", "b", {"b"}, {""}},
        {"optional_group_absent", "x(y)?z", "xz", {"xz"}, {""}},
        {"lookahead_with_unset_reference",
         R"((.*?)a(?!(a+)b\2c)\2(.*))",
         "baaabaac",
         {"baaabaac"},
         {"ba", "", "abaac"}},
        {"repeated_group_keeps_last", "(a|b)+|(c)", "aa", {"aa"}, {"a", ""}},
        {"atomic_lookahead_capture", R"((?=(a+))a*b\1)", "baaabac", {"aba"}, {"a"}},
        {"backreference_then_literal_digit", R"((a)\10)", "aa0", {"aa0"}, {"a"}},
        {"forward_reference", R"(\1(a))", "a", {"a"}, {"a"}},
        {"chinese_groups",
         "(第.+?章)(.+?)<",
         "第十二章 大结局<",
         {"第十二章 大结局<"},
         {"第十二章", " 大结局"}},
        {"non_capturing_not_counted", "(?:a)(b)", "ab", {"ab"}, {"b"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Outcome out = MatchAll(c.pattern, c.subject);
        EXPECT_EQ(out.matches, c.match);
        ASSERT_FALSE(out.groups.empty());
        EXPECT_EQ(out.groups[0], c.groups);
    }
}

// Anything the dialect does not have, and plain syntax errors, make the pattern find nothing.
TEST(RegexMatcher, RefusedPatternsFindNothing) {
    struct Case {
        const char* name;
        std::string pattern;
        std::string subject;
    } cases[] = {
        {"lookbehind", "(?<=a)b", "ab"},
        {"negative_lookbehind", "(?<!x)b", "ab"},
        {"named_group", "(?<n>a)", "a"},
        {"python_named_group", "(?P<n>a)", "a"},
        {"inline_flag", "(?i)a", "a"},
        {"comment_group", "(?#c)a", "a"},
        {"atomic_group", "(?>a)", "a"},
        {"verb", "(*UTF)a", "a"},
        {"possessive", "a*+", "aaa"},
        {"double_star", "a**", "aaa"},
        {"quantified_quantifier", "a{2}{3}", "aaaaaa"},
        {"lazy_then_quantifier", "a*?+", "aaa"},
        {"quantified_caret", "^*a", "a"},
        {"quantified_boundary", R"(\b+a)", "a"},
        {"nothing_to_repeat", "*a", "a"},
        {"brace_with_nothing_to_repeat", "{2}a", "a"},
        {"quantifier_after_bar", "a|*b", "b"},
        {"reversed_counts", "a{3,2}", "aaa"},
        {"unclosed_group", "(a", "a"},
        {"unopened_group", "a)", "a"},
        {"unclosed_class", "[a", "a"},
        {"reversed_range", "[z-a]", "a"},
        {"trailing_backslash", "a\\", "a\\"},
        {"lone_surrogate_escape", R"(\uD800)", "a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegexMatcher m;
        ASSERT_TRUE(m.Create(G(c.pattern)));
        EXPECT_EQ(m.Execute(G(c.subject)), 0);
        EXPECT_EQ(m.MatchCount(), 0);
        EXPECT_EQ(m.SubMatchCount(), 0);
        EXPECT_EQ(m.MatchText(1), "");
        EXPECT_EQ(m.Replace(G(c.subject), "x"), "");
        EXPECT_EQ(m.GetPattern(), G(c.pattern));
    }
}

TEST(RegexMatcher, Flags) {
    EXPECT_EQ(MatchAll("ABC", "xabc", true).matches, Strings{"abc"});
    EXPECT_EQ(MatchAll("ABC", "xabc", false).matches, Strings{});
    EXPECT_EQ(MatchAll("^b$", "a\nb\r\nc", true, false).matches, Strings{});
    EXPECT_EQ(MatchAll("^b$", "a\nb\r\nc", true, true).matches, Strings{"b"});
    EXPECT_EQ(MatchAll("a", "aaa", true, false, false).matches, Strings{"a"});
    EXPECT_EQ(MatchAll("x*", "ab", true, false, false).matches, Strings{""});
    // Create's flags default to true.
    RegexMatcher m;
    ASSERT_TRUE(m.Create(G("^B")));
    EXPECT_EQ(m.Execute(G("a\nb")), 1);
}

TEST(RegexMatcher, MatchAndGroupNumbering) {
    RegexMatcher m;
    EXPECT_EQ(m.Execute("abc"), 0);  // no engine yet
    EXPECT_EQ(m.GetPattern(), "");
    EXPECT_EQ(m.SubMatchCount(), 0);

    ASSERT_TRUE(m.Create(G(R"((\d+)-(\w+))")));
    EXPECT_EQ(m.MatchCount(), 0);
    EXPECT_EQ(m.SubMatchCount(), 0);
    EXPECT_EQ(m.Execute(G("no digits")), 0);
    EXPECT_EQ(m.SubMatchCount(), 0);  // groups exist, but nothing matched

    ASSERT_EQ(m.Execute(G("1-a 22-bb")), 2);
    EXPECT_EQ(m.SubMatchCount(), 2);
    EXPECT_EQ(m.MatchText(2), "22-bb");
    EXPECT_EQ(m.SubMatchText(2, 1), "22");
    EXPECT_EQ(m.SubMatchText(1, 2), "a");
    struct OutOfRange {
        const char* name;
        int match;
        int group;
    } outside[] = {
        {"match_past_count", 3, 1}, {"group_past_count", 1, 3}, {"match_zero", 0, 1},
        {"group_zero", 1, 0},       {"negative_match", -1, 1},  {"negative_group", 1, -1},
    };
    for (const auto& o : outside) {
        SCOPED_TRACE(o.name);
        EXPECT_EQ(m.SubMatchText(o.match, o.group), "");
    }
    EXPECT_EQ(m.MatchText(0), "");
    EXPECT_EQ(m.MatchText(3), "");

    // A new Execute replaces the matches; a new Create drops them.
    EXPECT_EQ(m.Execute(G("7-x")), 1);
    EXPECT_EQ(m.MatchText(1), "7-x");
    EXPECT_EQ(m.MatchText(2), "");
    ASSERT_TRUE(m.Create(G("z")));
    EXPECT_EQ(m.MatchCount(), 0);
    EXPECT_EQ(m.MatchText(1), "");
    EXPECT_EQ(m.GetPattern(), "z");

    // A pattern without groups that matched has no groups.
    EXPECT_EQ(m.Execute("zz"), 2);
    EXPECT_EQ(m.SubMatchCount(), 0);
    EXPECT_EQ(m.SubMatchText(1, 1), "");
}

TEST(RegexMatcher, GbkThatIsNotValidStaysReadable) {
    // 0x81 0x20 is an invalid pair (one '?' in place of both bytes); the rest of the page is
    // matched normally, and 0x80 and 0xFF are characters of their own.
    RegexMatcher m;
    ASSERT_TRUE(m.Create(G("(.)b")));
    ASSERT_EQ(m.Execute("\x81 ab\x80"
                        "b\xFF"
                        "b"),
              3);
    EXPECT_EQ(m.MatchText(1), "ab");
    EXPECT_EQ(m.MatchText(2),
              "\x80"
              "b");
    EXPECT_EQ(m.MatchText(3),
              "\xFF"
              "b");
}

TEST(RegexMatcher, MoveKeepsMatches) {
    RegexMatcher a;
    ASSERT_TRUE(a.Create(G("(中)文")));
    ASSERT_EQ(a.Execute(G("中文中文")), 2);

    RegexMatcher b(std::move(a));
    EXPECT_EQ(b.MatchCount(), 2);
    EXPECT_EQ(U(b.SubMatchText(2, 1)), "中");
    EXPECT_EQ(U(b.GetPattern()), "(中)文");

    RegexMatcher c;
    ASSERT_TRUE(c.Create("x"));
    c = std::move(b);
    EXPECT_EQ(U(c.MatchText(1)), "中文");
    EXPECT_EQ(c.Execute(G("中文")), 1);

    // A matcher moved from holds nothing and can be made again.
    EXPECT_EQ(a.MatchCount(), 0);  // NOLINT(bugprone-use-after-move)
    EXPECT_EQ(a.Execute("x"), 0);
    EXPECT_EQ(a.MatchText(1), "");
    EXPECT_EQ(a.GetPattern(), "");
    ASSERT_TRUE(a.Create("x"));
    EXPECT_EQ(a.Execute("xx"), 2);
}

TEST(RegexMatcher, Replace) {
    struct Case {
        const char* name;
        std::string pattern;
        std::string text;
        std::string replacement;
        std::string expected;
        bool global = true;
    } cases[] = {
        {"groups", R"((\w+)@(\w+))", "me@home you@work", "$2<$1>", "home<me> work<you>"},
        {"dollar_dollar", "a", "xa", "$$", "x$"},
        {"whole_match", "b+", "abbc", "[$&]", "a[bb]c"},
        {"before_and_after", "b", "abc", "$`|$'", "aa|cc"},
        {"two_digits_when_group_exists", "(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)", "abcdefghij", "$10",
         "j"},
        {"one_digit_then_literal", "(a)", "a", "$10", "a0"},
        {"leading_zero", "(a)", "a", "$01", "a"},
        {"dollar_zero_literal", "(a)", "a", "$0", "$0"},
        {"missing_group_literal", "(a)", "a", "$2", "$2"},
        {"unset_group_empty", "(x)?a", "a", "[$1]", "[]"},
        {"lone_dollar_at_end", "a", "a", "$", "$"},
        {"dollar_other", "a", "a", "$z", "$z"},
        {"empty_matches", "x*", "abc", "-", "-a-b-c-"},
        {"chinese", "章", "第一章第二章", "回", "第一回第二回"},
        {"no_match_keeps_text", "q", "第一章", "x", "第一章"},
        {"first_only_without_global", "a", "aaa", "b", "baa", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        RegexMatcher m;
        ASSERT_TRUE(m.Create(G(c.pattern), true, false, c.global));
        EXPECT_EQ(U(m.Replace(G(c.text), G(c.replacement))), c.expected);
        EXPECT_EQ(m.MatchCount(), 0);  // Replace leaves the matches of Execute alone
    }
}

// The chapter-list shape the reader parses: 5,000 matches of two groups, read in order.
TEST(RegexMatcher, ChapterListPage) {
    std::string page = "<html><body><ul>\n";
    for (int i = 1; i <= 5000; ++i) {
        page += "<li><a href=\"" + std::to_string(1000 + i) + ".html\">第" + std::to_string(i) +
                "章 标题</a></li>\n";
    }
    page += "</ul></body></html>";
    RegexMatcher m;
    ASSERT_TRUE(m.Create(G(R"(<a href="(\d+)\.html">([^<]*)</a>)"), true, false, true));
    ASSERT_EQ(m.Execute(G(page)), 5000);
    EXPECT_EQ(m.SubMatchCount(), 2);
    EXPECT_EQ(m.SubMatchText(1, 1), "1001");
    EXPECT_EQ(U(m.SubMatchText(5000, 2)), "第5000章 标题");
}

}  // namespace
}  // namespace qingwu
