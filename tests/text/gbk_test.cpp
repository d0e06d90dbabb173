#include "text/gbk.h"

#include <gtest/gtest.h>

#include <random>

namespace qingwu {
namespace {

struct DecodeCase {
    const char* name;
    std::string bytes;
    std::u16string expected;
};

TEST(GbkDecode, WindowsCodePageRules) {
    const DecodeCase cases[] = {
        {"ascii", "abc", u"abc"},
        {"euro_0x80", "\x80", u"\u20AC"},
        {"byte_0xFF_private_use", "\xFF", u"\uF8F5"},
        {"chinese", "\xD6\xD0\xCE\xC4", u"中文"},
        {"user_defined_AAA1", "\xAA\xA1", u"\uE000"},
        {"user_defined_A2E3", "\xA2\xE3", u"\uE76C"},
        {"user_defined_FE51", "\xFE\x51", u"\uE816"},
        {"em_dash_A1AA", "\xA1\xAA", u"\u2014"},
        {"invalid_pair_swallows_both", "\x81\x20\x41", u"?A"},
        {"lone_lead_at_end", "\x41\x81", u"A?"},
        {"four_byte_gb18030_is_two_invalid_pairs", "\x81\x30\x81\x30", u"??"},
        {"lead_before_nul_keeps_nul", std::string("\x81\0A", 3), std::u16string(u"?\0A", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GbkToUtf16(c.bytes), c.expected);
    }
}

TEST(GbkEncode, BestFitAndDefaultCharacter) {
    struct Case {
        const char* name;
        std::u16string text;
        std::string expected;
    } cases[] = {
        {"chinese", u"中文", "\xD6\xD0\xCE\xC4"},
        {"a_circumflex_best_fit", u"\u00E2", "a"},
        {"superscript_two_best_fit", u"\u00B2", "2"},
        {"private_use_round_trip", u"\uE000", "\xAA\xA1"},
        {"F8F5_back_to_FF", u"\uF8F5", "\xFF"},
        {"euro", u"\u20AC", "\x80"},
        {"emoji_surrogates_become_two_defaults", u"\U0001F600", "??"},
        {"nul_kept", std::u16string(u"a\0b", 3), std::string("a\0b", 3)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Utf16ToGbk(c.text), c.expected);
    }
}

TEST(GbkRoundTrip, EveryValidPairRoundTrips) {
    int mapped = 0;
    for (int lead = 0x81; lead <= 0xFE; ++lead) {
        for (int trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail == 0x7F) {
                continue;
            }
            const std::string bytes{static_cast<char>(lead), static_cast<char>(trail)};
            const std::u16string u = GbkToUtf16(bytes);
            ASSERT_EQ(u.size(), 1u);
            if (u[0] != u'?') {
                ++mapped;
                EXPECT_EQ(Utf16ToGbk(u), bytes) << std::hex << lead << " " << trail;
            }
        }
    }
    EXPECT_EQ(mapped, 23940);
    for (int b : {0x00, 0x41, 0x7F, 0x80, 0xFF}) {
        const std::string one(1, static_cast<char>(b));
        EXPECT_EQ(Utf16ToGbk(GbkToUtf16(one)), one) << b;
    }
}

TEST(GbkRoundTrip, AnyBytesDecodeStablyAndKeepTheirLength) {
    std::mt19937 rng(7);
    std::string page(1 << 20, '\0');
    for (auto& ch : page) {
        ch = static_cast<char>(rng() & 0xFF);
    }
    const std::u16string once = GbkToUtf16(page);
    EXPECT_EQ(GbkToUtf16(Utf16ToGbk(once)), once);
    // Bad bytes at the start, the middle and the end never cut the rest of a page.
    std::string text =
        "\x81" + std::string(500000, 'a') + "\xFF\x81\x20" + std::string(500000, 'b') + "\x81";
    const std::u16string decoded = GbkToUtf16(text);
    EXPECT_EQ(decoded.size(),
              1 + 499999 + 1 + 1 + 500000 + 1);  // "\x81a" pairs up; "\x81\x20" is one "?"
    EXPECT_EQ(decoded.back(), u'?');
}

TEST(Utf8, ConversionsThroughGbk) {
    EXPECT_EQ(GbkToUtf8("\xD6\xD0\xCE\xC4"), "中文");
    EXPECT_EQ(Utf8ToGbk("中文'x"), "\xD6\xD0\xCE\xC4'x");
    EXPECT_EQ(Utf8ToGbk("\xC3"), "?");  // truncated sequence
    EXPECT_EQ(Utf8ToGbk("a\xFF"
                        "b"),
              "a?b");  // invalid byte
    EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98\x80"), u"\U0001F600");
}

}  // namespace
}  // namespace qingwu
