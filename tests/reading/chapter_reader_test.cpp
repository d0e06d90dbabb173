#include <gtest/gtest.h>

#include <QComboBox>
#include <QTest>
#include <QTimer>

#include "app/page_view.h"
#include "app/report_list.h"
#include "reading/chapter_reader.h"
#include "tests/reading/reader_harness.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

Text ExpectedPage(const Text& colour, const Text& level, int chapterName) {
    return "<html><body bgcolor=\"" + colour + "\"><h" + level + ">" +
           FixtureSite::ChapterTitle(chapterName) + FixtureSite::ChapterContent(chapterName) +
           "</h" + level + "></body></html>";
}

// The user's choice of an item in a selector.
void Choose(QComboBox* selector, int index) {
    selector->setCurrentIndex(index);
    emit selector->activated(index);
}

TEST(ChapterReader, PageFileHoldsTheChapterInTheChosenLook) {
    struct Case {
        const char* name;
        int size;
        int colour;
        Text expectedColour;
        Text expectedLevel;
    } cases[] = {
        {"white_large", 0, 0, "", "1"},           {"yellow_medium", 1, 1, "beige", "2"},
        {"blue_default", 2, 2, "aliceblue", "3"}, {"grey_large", 0, 3, "#D7D7D7", "1"},
        {"nothing_selected", -1, -1, "", "0"},
    };
    ReaderHarness h;
    h.OpenBook(10);
    MainWindow& w = h.Window();
    int shown = 0;  // row of the chapter shown
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // Set by the program, not chosen: no settings save, no re-show.
        w.组合框字体大小->setCurrentIndex(c.size);
        w.组合框背景颜色->setCurrentIndex(c.colour);
        h.ClickToolbar(6);
        ++shown;
        EXPECT_EQ(h.State().ChapterIndex, shown);
        EXPECT_EQ(h.PageFile(), ExpectedPage(c.expectedColour, c.expectedLevel, shown + 1));
    }
    EXPECT_TRUE(h.Messages().empty());
}

TEST(ChapterReader, FailedFetchShowsAnEmptyPageAndStillRecordsTheChapter) {
    ReaderHarness h;
    h.OpenBook(3);
    h.Site().Server().Route("GET", h.Site().ChapterPath("11", "1", 2), Response{Reset()});
    // Delivered settings: default size (level 3), white.
    h.ClickToolbar(6);
    EXPECT_EQ(h.PageFile(), "<html><body bgcolor=\"\"><h3></h3></body></html>");
    EXPECT_EQ(h.State().ChapterIndex, 1);
    EXPECT_EQ(h.State().ChapterTitle, "");
}

TEST(ChapterReader, FirstAndLastChapterMessages) {
    ReaderHarness h;
    h.Start();
    // Right after start the chapter list is empty.
    h.ClickToolbar(6);
    h.ClickToolbar(4);
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"错误信息|这已经是最后一章了!",
                                                      "错误信息|这已经是第一章了!"}));
    h.Presenter().ClearShown();

    h.OpenBook(2);
    const size_t requests = h.Site().Server().RequestCount();
    h.ClickToolbar(4);  // at chapter 0
    h.ClickToolbar(6);  // to chapter 1, the last
    h.ClickToolbar(6);
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{"错误信息|这已经是第一章了!",
                                                      "错误信息|这已经是最后一章了!"}));
    EXPECT_EQ(h.Site().Server().RequestCount(), requests + 1);  // only the step to chapter 1
    EXPECT_EQ(h.State().ChapterIndex, 1);
}

TEST(ChapterReader, StepsFromTheChapterShownNotFromASingleClickedRow) {
    ReaderHarness h;
    h.OpenBook(12);
    MainWindow& w = h.Window();
    h.ClickToolbar(6);
    h.ClickToolbar(6);  // chapter 2 shown
    h.ClickRow(w.超级列表框章节列表, 7);
    EXPECT_EQ(w.超级列表框章节列表->SelectedRow(), 7);
    EXPECT_EQ(h.State().ChapterIndex, 2);  // a single click only selects
    h.ClickToolbar(6);
    EXPECT_EQ(h.State().ChapterIndex, 3);
    EXPECT_EQ(w.超级列表框章节列表->SelectedRow(), 3);
    EXPECT_EQ(h.PageFile(), ExpectedPage("", "3", 4));
}

TEST(ChapterReader, RowActivationShowsTheChapter) {
    ReaderHarness h;
    h.OpenBook(12);
    MainWindow& w = h.Window();
    ReportList* list = w.超级列表框章节列表;
    const QRect row5 = list->visualRect(list->model()->index(5, 0));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row5.center());
    EXPECT_EQ(h.State().ChapterIndex, 5);
    h.ClickRow(list, 8);
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(h.State().ChapterIndex, 8);
    EXPECT_EQ(h.PageFile(), ExpectedPage("", "3", 9));
}

TEST(ChapterReader, ChosenSettingIsStoredAsOneRowAndTheChapterShownAgain) {
    ReaderHarness h;
    h.Start();
    MainWindow& w = h.Window();
    // No chapter row selected: stored, nothing fetched.
    Choose(w.组合框背景颜色, 1);
    EXPECT_EQ(h.Run().QueryDb1("SELECT * FROM 设置"), (TempRunDir::Rows{{"2", "1"}}));
    EXPECT_EQ(h.Site().Server().RequestCount(), 0u);

    h.OpenBook(3);
    const size_t requests = h.Site().Server().RequestCount();
    Choose(w.组合框字体大小, 1);
    EXPECT_EQ(h.Run().QueryDb1("SELECT * FROM 设置"), (TempRunDir::Rows{{"1", "1"}}));
    EXPECT_EQ(h.Site().Server().RequestCount(), requests + 1);  // the same chapter again
    EXPECT_EQ(h.State().ChapterIndex, 0);
    EXPECT_EQ(h.PageFile(), ExpectedPage("beige", "2", 1));
    EXPECT_TRUE(h.Messages().empty());
}

TEST(ChapterReader, RightTwiceWhileAChapterLoadsAdvancesByOne) {
    ReaderHarness h;
    h.OpenBook(5);
    MainWindow& w = h.Window();
    const std::string slowPath = h.Site().ChapterPath("11", "1", 2);
    Response slow = GbkPage("<h1>" + FixtureSite::ChapterTitle(2) + "</h1><div id=\"content\">" +
                            FixtureSite::ChapterContent(2) + "</div>");
    slow.front().delay = std::chrono::milliseconds(300);
    h.Site().Server().Route("GET", slowPath, slow);
    QTimer::singleShot(80, &w, [&] { h.ClickToolbar(6); });
    h.ClickToolbar(6);
    EXPECT_EQ(h.State().ChapterIndex, 1);
    EXPECT_EQ(w.超级列表框章节列表->SelectedRow(), 1);
    EXPECT_EQ(h.PageFile(), ExpectedPage("", "3", 2));
}

TEST(ChapterReader, OvertakenShowWritesNothing) {
    ReaderHarness h;
    h.OpenBook(10);
    MainWindow& w = h.Window();
    Response slow = GbkPage("<h1>slow</h1><div id=\"content\">slow</div>");
    slow.front().delay = std::chrono::milliseconds(300);
    h.Site().Server().Route("GET", h.Site().ChapterPath("11", "1", 2), slow);
    // While chapter 1 loads the user double-clicks chapter 6.
    QTimer::singleShot(80, &w, [&] {
        ReportList* list = w.超级列表框章节列表;
        const QRect row = list->visualRect(list->model()->index(6, 0));
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, row.center());
    });
    h.ClickToolbar(6);
    EXPECT_EQ(h.State().ChapterIndex, 6);
    EXPECT_EQ(h.State().ChapterTitle, FixtureSite::ChapterTitle(7));
    EXPECT_EQ(w.超级列表框章节列表->SelectedRow(), 6);
    EXPECT_EQ(h.PageFile(), ExpectedPage("", "3", 7));
}

TEST(ChapterReader, ClosingWhileAChapterLoadsCancelsItAndStillOffersTheShelf) {
    ReaderHarness h;
    h.OpenBook(3);
    MainWindow& w = h.Window();
    h.Site().Server().Route("GET", h.Site().ChapterPath("11", "1", 2), Stall());
    bool fileGoneAtQuestion = false;
    h.Presenter().OnScriptedBox(
        [&](const MessagePresenter::Box&) { fileGoneAtQuestion = !h.PageFileExists(); });
    QTimer::singleShot(150, &w, [&] { w.close(); });
    const auto started = std::chrono::steady_clock::now();
    h.ClickToolbar(6);
    const auto waited = std::chrono::steady_clock::now() - started;
    EXPECT_LT(waited, std::chrono::seconds(5));  // cancelled, not the 18 s receive time-out
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(h.Messages(), std::vector<std::string>{"提示|不存在此图书，是否加入书架？"});
    EXPECT_TRUE(fileGoneAtQuestion);
    EXPECT_FALSE(h.PageFileExists());  // the interrupted show wrote nothing afterwards
    EXPECT_EQ(h.State().ChapterIndex, 0);
}

TEST(ChapterPage, ColourAndHeadingTables) {
    EXPECT_EQ(ColourValue(-1), "");
    EXPECT_EQ(ColourValue(0), "");
    EXPECT_EQ(ColourValue(3), "#D7D7D7");
    EXPECT_EQ(HeadingLevel(-1), "0");
    EXPECT_EQ(HeadingLevel(2), "3");
    EXPECT_EQ(BuildChapterPage("beige", "2", "T", "C"),
              "<html><body bgcolor=\"beige\"><h2>TC</h2></body></html>");
}

}  // namespace
}  // namespace qingwu::test
