// Closing the window while an operation waits on a site that never answers: the close goes
// through at once (the waiting fetch is cancelled), the interrupted operation stops without
// writing anything (no message, no list rows, no page file, no bookmark), the closing offer runs
// as usual, and the shelf and settings are intact.
#include <filesystem>
#include <string>
#include <vector>

#include "reading/control_names.h"
#include "tests/faults/window_fixture.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

using std::chrono::milliseconds;

const char* const kOffer = "不存在此图书，是否加入书架？";

class ClosingWhileWaiting : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        // Long enough that only the cancellation can end the wait within the bound below.
        CurrentFetchLimits().receiveTimeout = std::chrono::seconds(15);
        AddProfile("青梧书屋");
        OpenWindow();
    }

    // Closes the window once the site has received its request number `count` (from 1), runs
    // action, and checks that the close ended the wait promptly.
    void CloseDuring(std::size_t count, const std::function<void()>& action) {
        CloseWhen([this, count] { return site_.Server().RequestCount() >= count; });
        const auto start = Clock::now();
        action();
        const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
        EXPECT_TRUE(Closed());
        EXPECT_FALSE(Window().isVisible());
        EXPECT_LT(took, milliseconds(5000)) << "the close did not end the wait";
    }

    bool PageFileExists() const { return std::filesystem::exists(run_.DataPath("1.html")); }
};

TEST_F(ClosingWhileWaiting, SearchStopsWithoutResultsOrMessage) {
    site_.Override("/search", Stall());
    CloseDuring(1, [&] { Search("青梧"); });
    // Only the closing offer: no failure message from the interrupted search.
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{kOffer});
    EXPECT_EQ(Port().RowCount(control::超级列表框搜索结果), 0);
    EXPECT_FALSE(Window().分组框搜索->isVisible());
    EXPECT_TRUE(Context().state.SiteName.empty());
    window_.reset();
    ExpectDb1({{"2", "0"}}, {});
}

TEST_F(ClosingWhileWaiting, OpeningStopsBeforeTheFirstChapter) {
    Search("青梧");
    ASSERT_TRUE(Window().分组框搜索->isVisible());
    site_.Override(site_.ListPath(), Stall());
    CloseDuring(2, [&] { ClickOk(); });
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{kOffer});
    // No chapter was fetched after the list, and none was shown.
    EXPECT_EQ(site_.Server().RequestCount(), 2u);
    EXPECT_EQ(Port().RowCount(control::超级列表框章节列表), 0);
    EXPECT_FALSE(PageFileExists());
    EXPECT_TRUE(Context().state.ChapterTitle.empty());
    window_.reset();
    ExpectDb1({{"2", "0"}}, {});
}

TEST_F(ClosingWhileWaiting, ChapterShowOfAShelvedBookLeavesItsBookmark) {
    OpenBook();
    ClickAddToShelf();
    ASSERT_EQ(TakeMessages(), std::vector<std::string>{"添加成功"});
    const TempRunDir::Rows shelf = {{"青梧", "某甲", "1234", "第1章 标题", "1", "0", "青梧书屋"}};
    ASSERT_EQ(ShelfRows(), shelf);

    site_.Override(site_.ChapterPath(2), Stall());
    const std::size_t before = site_.Server().RequestCount();
    CloseDuring(before + 1, [&] { ActivateChapter(1); });
    // The book is on the shelf: no offer. The interrupted show wrote neither the page file
    // (deleted by the closing) nor the bookmark nor the state.
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{});
    EXPECT_FALSE(PageFileExists());
    EXPECT_EQ(Context().state.ChapterIndex, 0);
    window_.reset();
    ExpectDb1({{"2", "0"}}, shelf);
}

TEST_F(ClosingWhileWaiting, SettingsChangeRefetchStopsAndKeepsTheNewSettings) {
    OpenBook();
    site_.Override(site_.ChapterPath(1), Stall());
    const std::size_t before = site_.Server().RequestCount();
    // The new colour is stored before the chapter is fetched again in it.
    CloseDuring(before + 1, [&] { ChooseColour(3); });
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{kOffer});
    EXPECT_FALSE(PageFileExists());
    window_.reset();
    ExpectDb1({{"2", "3"}}, {});
}

}  // namespace
}  // namespace qingwu::test
