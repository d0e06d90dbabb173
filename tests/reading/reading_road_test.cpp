#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTest>

#include "app/report_list.h"
#include "tests/reading/reader_harness.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

// The whole road of a reader's evening, across two runs of the window on the same files.
TEST(ReadingRoad, SearchOpenReadShelveCloseAndReopenAtTheSavedChapter) {
    ReaderHarness h;
    h.Site().AddBook("11", "1", 20);
    h.Site().SetSearchResults({"王维", "李白"}, {"11", "12"}, {"1", "1"}, {"测试书", "别的书"});
    MainWindow& w = h.Start();

    h.Search("书");
    ASSERT_TRUE(w.分组框搜索->isVisible());
    ASSERT_EQ(w.超级列表框搜索结果->RowCount(), 2);
    h.OpenFirstResult();
    ASSERT_EQ(w.超级列表框章节列表->RowCount(), 20);
    EXPECT_EQ(h.State().ChapterTitle, FixtureSite::ChapterTitle(1));

    h.ClickToolbar(6);
    h.ClickToolbar(6);
    h.ClickToolbar(6);
    h.ClickToolbar(4);
    EXPECT_EQ(h.State().ChapterIndex, 2);

    h.ClickToolbar(2);  // add to the shelf
    h.ClickToolbar(8);  // settings panel
    ASSERT_TRUE(w.分组框设置->isVisible());
    w.组合框背景颜色->setCurrentIndex(1);
    emit w.组合框背景颜色->activated(1);
    h.ClickToolbar(6);  // chapter 3, remembered in the shelf entry
    EXPECT_EQ(h.Messages(), std::vector<std::string>{"提示|添加成功"});

    h.CloseWindow();  // shelved: no question
    EXPECT_EQ(h.Messages(), std::vector<std::string>{"提示|添加成功"});
    EXPECT_EQ(h.Run().QueryDb1("SELECT 书签, 当前章节 FROM 书签列表"),
              (TempRunDir::Rows{{"第4章 标题", "3"}}));

    MainWindow& again = h.Start();
    EXPECT_EQ(again.组合框背景颜色->currentIndex(), 1);
    ASSERT_EQ(again.超级列表框书架->RowCount(), 1);
    h.ClickToolbar(0);
    h.ClickRow(again.超级列表框书架, 0);
    QTest::mouseClick(again.按钮载入书签, Qt::LeftButton);
    EXPECT_EQ(h.State().ChapterIndex, 3);
    EXPECT_EQ(again.超级列表框章节列表->SelectedRow(), 3);
    EXPECT_EQ(h.PageFile(), "<html><body bgcolor=\"beige\"><h3>" + FixtureSite::ChapterTitle(4) +
                                FixtureSite::ChapterContent(4) + "</h3></body></html>");
    h.ClickToolbar(6);
    EXPECT_EQ(h.Run().QueryDb1("SELECT 当前章节 FROM 书签列表"), (TempRunDir::Rows{{"4"}}));
}

}  // namespace
}  // namespace qingwu::test
