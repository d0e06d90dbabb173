// Runaway patterns: an Execute (or Replace) that runs past its budget stops and keeps what it
// found; the JIT stack and the interpreter's heap are bounded.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "web/regex_limits.h"
#include "web/regex_matcher.h"

namespace qingwu {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

// Sets the budget and the JIT switch for one test and puts the program's values back.
class RegexBudget : public ::testing::Test {
  protected:
    void TearDown() override {
        regex_internal::SetExecuteBudgetForTesting(milliseconds(1000));
        regex_internal::SetJitEnabledForTesting(true);
    }
};

// Three matches, about 1 MB of 80-character lines without a 'y', and a last match at the very
// end (which also keeps the engine from ruling the page out by looking for the 'y' first).
Text PageWithEarlyMatches() {
    Text page = "1y\n2y\n3y\n";
    const Text line(79, 'x');
    while (page.size() < 1'000'000) {
        page += line;
        page += '\n';
    }
    page += 'y';
    return page;
}

milliseconds Since(Clock::time_point start) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

TEST_F(RegexBudget, PolynomialPatternStopsAtBudgetKeepingMatches) {
    const milliseconds budget(300);
    regex_internal::SetExecuteBudgetForTesting(budget);
    const Text page = PageWithEarlyMatches();
    struct Case {
        const char* name;
        const char* pattern;
        bool jit;
    } cases[] = {
        // Without a budget each of these runs for a minute or more on this page.
        {"interpreter_class_stars", R"([^\n]*[^\n]*[^\n]*y)", false},
        {"interpreter_group_stars", "(.*)(.*)(.*)y", false},
        {"jit_group_stars", "(.*)(.*)(.*)(.*)y", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        regex_internal::SetJitEnabledForTesting(c.jit);
        RegexMatcher m;
        ASSERT_TRUE(m.Create(c.pattern, true, false, true));
        const auto start = Clock::now();
        const int count = m.Execute(page);
        const milliseconds took = Since(start);
        EXPECT_EQ(count, 3);  // the last 'y' is never reached
        EXPECT_EQ(m.MatchText(3), "3y");
        EXPECT_GE(took, budget - milliseconds(50));
        EXPECT_LT(took, budget + milliseconds(1500));

        const auto replaceStart = Clock::now();
        const Text replaced = m.Replace(page, "<$&>");
        EXPECT_LT(Since(replaceStart), budget + milliseconds(1500));
        EXPECT_EQ(replaced.substr(0, 18), "<1y>\n<2y>\n<3y>\nxxx");
        EXPECT_EQ(replaced.size(), page.size() + 6);
        EXPECT_EQ(replaced.back(), 'y');
    }
}

// Each later Execute gets a budget of its own.
TEST_F(RegexBudget, BudgetIsPerExecute) {
    regex_internal::SetExecuteBudgetForTesting(milliseconds(200));
    regex_internal::SetJitEnabledForTesting(false);
    RegexMatcher m;
    ASSERT_TRUE(m.Create(R"([^\n]*[^\n]*[^\n]*y)", true, false, true));
    const Text page = PageWithEarlyMatches();
    EXPECT_EQ(m.Execute(page), 3);
    EXPECT_EQ(m.Execute("ay\nby"), 2);
    EXPECT_EQ(m.Execute(page), 3);
}

Text Repeat(const Text& piece, std::size_t times) {
    Text out;
    out.reserve(piece.size() * times + 1);
    for (std::size_t i = 0; i < times; ++i) {
        out += piece;
    }
    return out;
}

// One backtracking point per character: 250,000 of them overflow the JIT stack but fit the
// interpreter's heap limit, so the interpreter's retry finds the match.
TEST_F(RegexBudget, InterpreterTakesOverWhenJitStackRunsOut) {
    const Text page = Repeat("ab", 125'000) + "c";
    RegexMatcher m;
    ASSERT_TRUE(m.Create("(?:a|b)*c", true, false, true));
    ASSERT_EQ(m.Execute(page), 1);
    EXPECT_EQ(m.MatchText(1).size(), page.size());
}

// 1,000,000 backtracking points exceed the heap limit as well: the search ends, promptly and
// without a match, instead of taking gigabytes.
TEST_F(RegexBudget, HeapLimitEndsDeepBacktracking) {
    const Text page = Repeat("ab", 500'000) + "c";
    for (const bool jit : {true, false}) {
        SCOPED_TRACE(jit ? "jit" : "interpreter");
        regex_internal::SetJitEnabledForTesting(jit);
        RegexMatcher m;
        ASSERT_TRUE(m.Create("(?:a|b)*c", true, false, true));
        const auto start = Clock::now();
        EXPECT_EQ(m.Execute(page), 0);
        EXPECT_LT(Since(start), milliseconds(2500));
    }
}

}  // namespace
}  // namespace qingwu
