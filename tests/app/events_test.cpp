// Each user event of the window runs its operation, and nothing else does.
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>
#include <filesystem>
#include <functional>

#include "app/toolbar.h"
#include "tests/app/reading_window.h"

namespace qingwu::test {
namespace {

class EventsTest : public ReadingWindowTest {
  protected:
    size_t SearchRequests() {
        size_t n = 0;
        for (const RecordedRequest& r : site.Server().Requests()) {
            n += r.method == "POST";
        }
        return n;
    }
};

TEST_F(EventsTest, EnterReleasedInTheTitleBoxSearchesOtherKeysDoNot) {
    MakeShown();
    auto* title = Find<QLineEdit>("编辑框书名");
    for (Qt::Key key : {Qt::Key_A, Qt::Key_Space, Qt::Key_Tab}) {
        title->setFocus();
        QTest::keyClick(window->windowHandle(), key);
    }
    EXPECT_EQ(SearchRequests(), 0u);
    title->setText(QString::fromUtf8("书一"));
    title->setFocus();
    Press(Qt::Key_Return);  // pressed, not yet released
    EXPECT_EQ(SearchRequests(), 0u);
    EXPECT_TRUE(Find("分组框搜索")->isHidden());

    Release(Qt::Key_Return);
    ASSERT_EQ(SearchRequests(), 1u);
    EXPECT_EQ(site.Server().Requests().back().body, "searchclass=1&searchkey=" + Gbk("书一"));
    EXPECT_FALSE(Find("分组框搜索")->isHidden());
    EXPECT_EQ(Find<ReportList>("超级列表框搜索结果")->CellText(0, 0), Gbk("书一"));
}

TEST_F(EventsTest, SearchButtonSearchesAndTheResultPanelButtonsOpenOrHide) {
    MakeShown();
    Find<QLineEdit>("编辑框书名")->setText(QString::fromUtf8("书一"));
    QTest::mouseClick(Find("按钮搜索"), Qt::LeftButton);
    EXPECT_EQ(SearchRequests(), 1u);
    ASSERT_FALSE(Find("分组框搜索")->isHidden());

    // Clicks and double-clicks in the result list open nothing.
    auto* results = Find<ReportList>("超级列表框搜索结果");
    const QPoint row0 = results->visualRect(results->model()->index(0, 0)).center();
    QTest::mouseDClick(results->viewport(), Qt::LeftButton, {}, row0);
    EXPECT_TRUE(State().BookTitle.empty());

    QTest::mouseClick(Find("按钮确定"), Qt::LeftButton);
    EXPECT_EQ(State().BookTitle, Gbk("书一"));
    EXPECT_TRUE(Find("分组框搜索")->isHidden());
    EXPECT_TRUE(Showing(1));
}

TEST_F(EventsTest, ChapterRowsShowOnDoubleClickOrEnterNotOnASingleClick) {
    OpenBook();
    auto* list = Find<ReportList>("超级列表框章节列表");
    const QPoint row2 = list->visualRect(list->model()->index(2, 0)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row2);
    EXPECT_EQ(list->SelectedRow(), 2);
    EXPECT_TRUE(Showing(1));

    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row2);
    EXPECT_TRUE(Showing(3));

    list->SetSelectedRow(5);
    list->setFocus();
    QTest::keyClick(window->windowHandle(), Qt::Key_Return);
    EXPECT_TRUE(Showing(6));
}

TEST_F(EventsTest, ToolbarStepsChaptersAndAddsToTheShelf) {
    OpenBook();
    auto* bar = Find<Toolbar>("工具条1");
    QTest::mouseClick(bar->ItemWidget(6), Qt::LeftButton);
    EXPECT_TRUE(Showing(2));
    QTest::mouseClick(bar->ItemWidget(6), Qt::LeftButton);
    QTest::mouseClick(bar->ItemWidget(4), Qt::LeftButton);
    EXPECT_TRUE(Showing(2));

    QTest::mouseClick(bar->ItemWidget(2), Qt::LeftButton);
    const auto rows = run.QueryDb1("SELECT 书籍名称, 书签, 当前章节, 书库 FROM 书签列表;");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"书一", "第2章 标题", "1", site.Name()}));
    EXPECT_EQ(Find<ReportList>("超级列表框书架")->RowCount(), 1);
}

TEST_F(EventsTest, ShelfPanelButtonsAddLoadAndDelete) {
    OpenBook();
    ActivateChapter(3);
    window->RunToolbarButton(0);  // show the shelf panel
    QTest::mouseClick(Find("按钮加入书架"), Qt::LeftButton);
    auto* shelf = Find<ReportList>("超级列表框书架");
    ASSERT_EQ(shelf->RowCount(), 1);
    EXPECT_EQ(presenter.Shown().back().text, "添加成功");

    // Reopen it at its chapter from another chapter.
    ActivateChapter(6);
    shelf->SetSelectedRow(0);
    QTest::mouseClick(Find("按钮载入书签"), Qt::LeftButton);
    EXPECT_TRUE(Showing(6));  // the bookmark followed the chapter shown
    EXPECT_TRUE(Find("分组框我的书架")->isHidden());

    window->RunToolbarButton(0);
    shelf->SetSelectedRow(0);
    QTest::mouseClick(Find("按钮删除书签"), Qt::LeftButton);
    EXPECT_EQ(shelf->RowCount(), 0);
    EXPECT_TRUE(run.QueryDb1("SELECT * FROM 书签列表;").empty());
}

TEST_F(EventsTest, UserChoiceOfASettingSavesItTheProgramsDoesNot) {
    OpenBook();
    auto* size = Find<QComboBox>("组合框字体大小");
    auto* colour = Find<QComboBox>("组合框背景颜色");
    ASSERT_EQ(size->currentIndex(), 2);  // the delivered row: 2, 0
    const auto stored = [this] { return run.QueryDb1("SELECT 字体大小, 背景颜色 FROM 设置;"); };

    window->Port().SetSelectedIndex(control::组合框背景颜色, 3);  // by the program
    EXPECT_EQ(stored(), (TempRunDir::Rows{{"2", "0"}}));

    window->RunToolbarButton(8);
    colour->setFocus();
    const int requestsBefore = ChapterRequests(1);
    QTest::keyClick(window->windowHandle(), Qt::Key_Up);  // the user picks 经典淡蓝
    EXPECT_EQ(colour->currentIndex(), 2);
    EXPECT_EQ(stored(), (TempRunDir::Rows{{"2", "2"}}));
    // The chapter shown is shown again in the new colour.
    EXPECT_EQ(ChapterRequests(1), requestsBefore + 1);

    size->setFocus();
    QTest::keyClick(window->windowHandle(), Qt::Key_Up);
    EXPECT_EQ(stored(), (TempRunDir::Rows{{"1", "2"}}));
}

TEST_F(EventsTest, FirstActivationLoadsTheShelfListOnce) {
    ASSERT_TRUE(run.ExecDb1("INSERT INTO 书签列表 VALUES ('书甲', '', '', '', '', '0', '甲');"));
    Make();
    auto* shelf = Find<ReportList>("超级列表框书架");
    EXPECT_EQ(shelf->RowCount(), 0);
    window->ShowCentred();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(shelf->RowCount(), 1);

    ASSERT_TRUE(run.ExecDb1("INSERT INTO 书签列表 VALUES ('书乙', '', '', '', '', '0', '乙');"));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    EXPECT_EQ(shelf->RowCount(), 1);
}

TEST_F(EventsTest, ClosingOffersTheShelfAndAlwaysCloses) {
    struct Case {
        const char* name;
        MessagePresenter::Answer answer;
        size_t shelfRows;
    };
    const Case cases[] = {{"yes shelves the book", MessagePresenter::Answer::Yes, 1},
                          {"no closes all the same", MessagePresenter::Answer::No, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(run.ExecDb1("DELETE FROM 书签列表;"));
        presenter.ClearShown();
        OpenBook();
        ActivateChapter(2);
        ASSERT_TRUE(std::filesystem::exists(run.DataPath("1.html")));
        presenter.QueueAnswer(c.answer);
        EXPECT_TRUE(window->close());
        EXPECT_FALSE(window->isVisible());
        EXPECT_FALSE(std::filesystem::exists(run.DataPath("1.html")));
        ASSERT_FALSE(presenter.Shown().empty());
        EXPECT_EQ(presenter.Shown().front().buttons, MessagePresenter::Buttons::YesNo);
        EXPECT_EQ(run.QueryDb1("SELECT * FROM 书签列表;").size(), c.shelfRows);
        window.reset();
    }
}

TEST_F(EventsTest, ClosingWhileAChapterLoadsStopsTheLoadWithoutWriting) {
    OpenBook();
    site.Server().Route("GET", site.ChapterPath("11", "1", 2), Stall());
    presenter.QueueAnswer(MessagePresenter::Answer::No);
    bool closed = false;
    QElapsedTimer waited;
    waited.start();
    // Runs from the event loop until the chapter's request is out, that is while the fetch
    // waits and pumps the events: then the user closes the window.
    std::function<void()> closeOnceRequested = [&] {
        if (ChapterRequests(2) == 1) {
            closed = window->close();
        } else if (waited.elapsed() < 5000) {
            QTimer::singleShot(1, closeOnceRequested);
        }
    };
    QTimer::singleShot(0, closeOnceRequested);
    Press(Qt::Key_Right);
    EXPECT_TRUE(closed);
    // The waiting fetch was cancelled, not left to its time-out.
    EXPECT_LT(waited.elapsed(), 5000);
    EXPECT_FALSE(window->isVisible());
    // The interrupted show wrote nothing: no page file, chapter 1 still recorded.
    EXPECT_FALSE(std::filesystem::exists(run.DataPath("1.html")));
    EXPECT_EQ(State().ChapterIndex, 0);
    EXPECT_EQ(State().ChapterTitle, FixtureSite::ChapterTitle(1));
}

}  // namespace
}  // namespace qingwu::test
