// Website profiles with broken and pathological patterns: unbalanced, refused by the dialect,
// exponential backtracking, empty matches at every position, a huge alternation, many groups.
// Each pass gives up within its one-second budget with what it found; the search and the
// chapter list end with their defined outcomes and the window is never frozen for longer.
#include <chrono>
#include <string>
#include <vector>

#include "reading/control_names.h"
#include "tests/faults/window_fixture.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

const char* const kSearchFailed = "请检查输入的书名是否正确或该网站不存在此图书！";

std::string Alternation(int n) {
    std::string pattern = "(";
    for (int i = 0; i < n; ++i) {
        pattern += (i ? "|" : "") + std::string("w") + std::to_string(i) + "x";
    }
    return pattern + ")";
}

class ProfilePatterns : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        AddProfile("青梧书屋");
    }

    void SetPatterns(const std::string& field, const std::string& pattern) {
        ASSERT_TRUE(run_.ExecSk("UPDATE 书库信息 SET " + field + " = " + SqlQuoted(pattern) + ";"));
    }

    template <typename F>
    static milliseconds Timed(F&& action) {
        const auto start = Clock::now();
        action();
        return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
    }
};

struct SearchCase {
    const char* name;
    std::string pattern;  // used for all four passes
    std::string pageGbk;  // the search result page; empty: the site's usual page
    int rows;             // result rows afterwards, -1: the failure message instead
};
// Either outcome: the pattern may be beyond what the engine compiles (PCRE2 built with 2-byte
// links holds at most 64 KiB of compiled pattern; a bigger one fails to compile and its pass
// finds nothing).
constexpr int kEither = -2;

TEST_F(ProfilePatterns, SearchPassesEndWithinTheirBudget) {
    const std::string as(60, 'a');
    const std::vector<SearchCase> cases = {
        {"unbalanced_parenthesis", "(<td", "", -1},
        {"unbalanced_class", "[a-", "", -1},
        {"quantifier_without_operand", "*(x)", "", -1},
        {"lookbehind_refused", "(?<=td)(.)", "", -1},
        {"named_group_refused", "(?<n>td)", "", -1},
        {"exponential_backtracking", "((a+)+)$", as + "b", -1},
        {"nested_lazy_and_greedy", "((a*?)*b*)*c", as, -1},
        {"nested_words", "(\\w+\\s?)+$", std::string(60, 'w') + "!", -1},
        {"empty_match_everywhere", "(x*)", std::string(3000, 'y'), 3001},
        {"long_alternation", Alternation(2000), "w1999x w0x", 2},
        {"huge_alternation", Alternation(20000), "w19999x w0x", kEither},
        {"backreference_before_its_group", "\\1(w)", "w ww", 3},
    };
    for (const SearchCase& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* field : {"作者正则", "书号正则", "书号前缀正则", "书名正则"}) {
            SetPatterns(field, c.pattern);
        }
        site_.SetRawSearchPage(c.pageGbk);
        OpenWindow();
        // Four passes of at most a second each, plus the page.
        const milliseconds took = Timed([&] { Search("青梧"); });
        EXPECT_LT(took, seconds(4) + seconds(6));
        if (c.rows == kEither) {
            const std::vector<std::string> messages = TakeMessages();
            EXPECT_EQ(messages.empty(), Window().分组框搜索->isVisible());
        } else if (c.rows < 0) {
            EXPECT_EQ(TakeMessages(), std::vector<std::string>{kSearchFailed});
            EXPECT_FALSE(Window().分组框搜索->isVisible());
        } else {
            EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
            EXPECT_EQ(Port().RowCount(control::超级列表框搜索结果), c.rows);
            EXPECT_EQ(static_cast<int>(Context().state.FoundBookIds.size()), c.rows);
        }
        window_.reset();
        ExpectDb1({{"2", "0"}}, {});
    }
}

struct ChapterListCase {
    const char* name;
    std::string pattern;
    int rows;     // rows in both chapter lists, -1: any number (the budget ran out)
    int columns;  // columns of the page list afterwards (1 to begin with)
};

TEST_F(ProfilePatterns, ChapterListFromPathologicalPatterns) {
    std::string tenGroups = R"re(<dd><a href="(\d+)\.html">)re";
    for (int g = 0; g < 9; ++g) {
        tenGroups += "(x)?";
    }
    const std::vector<ChapterListCase> cases = {
        {"unbalanced", R"re(<dd><a href="(\d+\.html)">(([^<]*))re", 0, 1},
        {"no_group", "<dd>", 0, 1},
        {"one_group_names_empty", R"re(href="(\d+\.html)")re", 3, 2},
        {"ten_groups", tenGroups, 3, 11},
        {"exponential_backtracking", R"re(((\w|\W)*)*\x00)re", -1, -1},
        {"empty_match_everywhere", "(z*)(z*)", -1, 3},
    };
    for (const ChapterListCase& c : cases) {
        SCOPED_TRACE(c.name);
        SetPatterns("书库列出全部章节正则", c.pattern);
        OpenWindow();
        Search("青梧");
        ASSERT_TRUE(Window().分组框搜索->isVisible());
        const milliseconds took = Timed([&] { ClickOk(); });
        EXPECT_LT(took, seconds(1) + seconds(6));
        const int rows = Port().RowCount(control::超级列表框章节列表);
        EXPECT_EQ(Port().RowCount(control::超级列表框页面列表), rows);
        if (c.rows >= 0) {
            EXPECT_EQ(rows, c.rows);
        }
        if (c.columns >= 0) {
            EXPECT_EQ(Window().超级列表框页面列表->model()->columnCount(), c.columns);
        }
        EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
        window_.reset();
        ExpectDb1({{"2", "0"}}, {});
    }
}

}  // namespace
}  // namespace qingwu::test
