#include "web/regex_diagnosis.h"

#include <gtest/gtest.h>

#include "text/gbk.h"

namespace qingwu {
namespace {

TEST(RegexDiagnosis, PlacesTheFaultInThePatternAsWritten) {
    struct Case {
        const char* name;
        const char* pattern;  // UTF-8
        bool compiles;
        int offset;
        const char* messagePart;
    } cases[] = {
        {"unclosed_group", "ab(cd", false, 2, "5020"},
        {"innermost_unclosed_group", "(a(b)(c", false, 5, "5020"},
        {"unclosed_class", "中文[ab", false, 2, "5019"},
        {"double_quantifier", "ab**", false, 3, "5018"},
        {"nothing_to_repeat", "a|?", false, 2, "5018"},
        {"reversed_range", "x[z-a]", false, 2, "5021"},
        {"lookbehind", "章(?<=a)", false, 1, "5017"},
        {"unopened_group", "ab)", false, 2, "5017"},
        // Found by PCRE2 in the translation and mapped back to the escape that produced it.
        {"lone_surrogate", R"(第\uD800)", false, 1, ""},
        {"fine", R"re(<a href="(\d+)">(.*?)</a>)re", true, -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PatternDiagnosis d = DiagnosePattern(Utf8ToGbk(c.pattern), true, false);
        EXPECT_EQ(d.compiles, c.compiles);
        EXPECT_EQ(d.offset, c.offset);
        EXPECT_NE(d.message.find(c.messagePart), std::string::npos) << d.message;
        EXPECT_EQ(d.message.empty(), c.compiles);
    }
}

TEST(RegexDiagnosis, CountsCaptureGroups) {
    struct Case {
        const char* name;
        const char* pattern;
        int groups;
    } cases[] = {
        {"none", "abc", 0},
        {"non_capturing_and_lookahead_not_counted", "(?:a)(?=b)(?!c)", 0},
        {"two", R"((\d+)-(\w+))", 2},
        {"nested", "((a)(b))", 3},
        {"paren_in_class_not_counted", "[(](a)", 1},
        {"escaped_paren_not_counted", R"(\((a)\))", 1},
        {"broken", "(a", -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DiagnosePattern(c.pattern, true, false).groupCount, c.groups);
    }
}

}  // namespace
}  // namespace qingwu
