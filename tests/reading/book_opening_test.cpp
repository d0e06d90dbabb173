#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTest>

#include "app/report_list.h"
#include "app/title_box.h"
#include "reading/book_opening.h"
#include "tests/reading/reader_harness.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

TEST(FillAddressTemplate, ReplacesEveryPlaceholder) {
    struct Case {
        const char* name;
        std::string templ, expected;
    } cases[] = {
        {"prefix_then_id", "http://h/文章子序号/文章序号/index.html", "http://h/1/1234/index.html"},
        {"id_twice", "http://h/文章序号/x文章序号.html", "http://h/1234/x1234.html"},
        {"none", "http://h/list.html", "http://h/list.html"},
        {"empty", "", ""},
        {"adjacent", "文章序号文章子序号文章序号", "123411234"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(GbkToUtf8(FillAddressTemplate(Gbk(c.templ), "1234", "1")), c.expected);
    }
}

// Puts one entry on the shelf directly in db1.mdb.
void ShelveEntry(ReaderHarness& h, const std::string& title, const std::string& site,
                 const std::string& chapter, const std::string& id = "11",
                 const std::string& prefix = "1") {
    ASSERT_TRUE(h.Run().ExecDb1("INSERT INTO 书签列表 VALUES ('" + title + "', '作者甲', '" + id +
                                "', '书签', '" + prefix + "', '" + chapter + "', '" + site +
                                "');"));
}

// Shows the shelf panel, selects its row and presses "载入书签".
void OpenShelfRow(ReaderHarness& h, int row) {
    MainWindow& w = h.Window();
    h.ClickToolbar(0);
    if (row >= 0) {
        h.ClickRow(w.超级列表框书架, row);
    }
    QTest::mouseClick(w.按钮载入书签, Qt::LeftButton);
}

TEST(BookOpening, SearchResultOpensWithItsChapterListAndFirstChapter) {
    ReaderHarness h;
    h.OpenBook(300);
    MainWindow& w = h.Window();
    EXPECT_EQ(w.超级列表框章节列表->RowCount(), 300);
    EXPECT_EQ(w.超级列表框页面列表->RowCount(), 300);
    EXPECT_EQ(ReaderHarness::Cell(w.超级列表框章节列表, 299, 0), "第300章");
    EXPECT_EQ(ReaderHarness::Cell(w.超级列表框页面列表, 0, 0), "1.html");
    // Two groups: two columns appended after "序号".
    QAbstractItemModel* pages = w.超级列表框页面列表->model();
    ASSERT_EQ(pages->columnCount(), 3);
    EXPECT_EQ(pages->headerData(1, Qt::Horizontal).toString(), QStringLiteral("子匹配文本(1)"));
    EXPECT_EQ(pages->headerData(2, Qt::Horizontal).toString(), QStringLiteral("子匹配文本(2)"));
    EXPECT_EQ(w.超级列表框页面列表->horizontalHeader()->sectionSize(2), 150);
    EXPECT_EQ(w.超级列表框章节列表->SelectedRow(), 0);
    EXPECT_EQ(h.State().ChapterIndex, 0);
    EXPECT_EQ(h.State().ChapterTitle, FixtureSite::ChapterTitle(1));
    EXPECT_FALSE(w.分组框搜索->isVisible());
    EXPECT_EQ(GbkToUtf8(h.State().BookTitle), "测试书");
    EXPECT_EQ(GbkToUtf8(h.State().Author), "作者");
    EXPECT_EQ(GbkToUtf8(h.State().SiteName), h.Site().Name());
    EXPECT_EQ(h.State().ChapterPageAddress, h.Site().Server().Url("/book/1/11/"));
    EXPECT_EQ(w.编辑框书名->text(), QStringLiteral("测试书"));  // as typed
}

TEST(BookOpening, NoUsableResultRowOpensNothing) {
    ReaderHarness h;
    h.Site().AddBook("11", "1", 3);
    // Two author rows but only one id: row 1 has nothing to open.
    h.Site().SetSearchResults({"甲", "乙"}, {"11"}, {"1"}, {"一", "二"});
    MainWindow& w = h.Start();
    h.Search("一");
    const size_t requests = h.Site().Server().RequestCount();
    h.ClickRow(w.超级列表框搜索结果, 1);
    h.OpenFirstResult();
    w.超级列表框搜索结果->SetSelectedRow(-1);
    h.OpenFirstResult();
    EXPECT_EQ(h.Site().Server().RequestCount(), requests);
    EXPECT_TRUE(h.State().BookTitle.empty());
    EXPECT_TRUE(w.分组框搜索->isVisible());
}

TEST(BookOpening, AddressesComeFromTheSearchedWebsite) {
    ReaderHarness h;
    h.Run().ExecSk(
        "INSERT INTO 书库信息 (书库名称, 网址章节列表页, 网址章节内容页) VALUES "
        "('别站', 'http://127.0.0.1:1/list', 'http://127.0.0.1:1/page');");
    h.Site().AddBook("11", "1", 4);
    h.Site().SetSearchResults({"甲"}, {"11"}, {"1"}, {"一"});
    MainWindow& w = h.Start();
    h.Search("一");
    w.组合框1->setCurrentIndex(1);  // the user picks another website before opening
    h.OpenFirstResult();
    EXPECT_EQ(w.超级列表框章节列表->RowCount(), 4);
    EXPECT_EQ(GbkToUtf8(h.State().SiteName), h.Site().Name());
    EXPECT_EQ(h.State().ChapterTitle, FixtureSite::ChapterTitle(1));
}

TEST(BookOpening, ShelfEntryReopensAtItsStoredChapter) {
    ReaderHarness h;
    h.Site().AddBook("11", "1", 30);
    ShelveEntry(h, "架上书", h.Site().Name(), "17");
    MainWindow& w = h.Start();
    w.编辑框书名->setText(QStringLiteral("别的"));
    OpenShelfRow(h, 0);
    EXPECT_EQ(h.State().ChapterIndex, 17);
    EXPECT_EQ(h.State().ChapterTitle, FixtureSite::ChapterTitle(18));
    EXPECT_EQ(w.超级列表框章节列表->SelectedRow(), 17);
    EXPECT_EQ(w.编辑框书名->text(), QStringLiteral("架上书"));
    EXPECT_FALSE(w.分组框我的书架->isVisible());
    EXPECT_EQ(GbkToUtf8(h.State().Author), "作者甲");  // from the entry
    EXPECT_EQ(GbkToUtf8(h.State().SiteName), h.Site().Name());
    // The bookmark followed the chapter shown.
    EXPECT_EQ(h.Run().QueryDb1("SELECT 书签, 当前章节 FROM 书签列表"),
              (TempRunDir::Rows{{"第18章 标题", "17"}}));
}

TEST(BookOpening, ShelfEntryWhoseWebsiteIsGone) {
    ReaderHarness h;
    h.Run().ExecSk("INSERT INTO 书库信息 (书库名称) VALUES ('第二站');");
    ShelveEntry(h, "旧书", "已删除的站", "5");
    MainWindow& w = h.Start();
    w.组合框1->setCurrentIndex(1);
    OpenShelfRow(h, 0);
    EXPECT_EQ(w.组合框1->currentIndex(), 1);  // no item matches: the selection stays
    EXPECT_TRUE(h.State().ChapterListAddress.empty());
    EXPECT_TRUE(h.State().ChapterPageAddress.empty());
    EXPECT_EQ(w.超级列表框章节列表->RowCount(), 0);
    EXPECT_EQ(h.State().ChapterIndex, 5);
    EXPECT_EQ(h.PageFile(), "<html><body bgcolor=\"\"><h3></h3></body></html>");
    EXPECT_EQ(h.Site().Server().RequestCount(), 0u);
}

TEST(BookOpening, ShelfOpeningWithoutASelectedRow) {
    ReaderHarness h;
    h.OpenBook(3);
    MainWindow& w = h.Window();
    OpenShelfRow(h, -1);
    EXPECT_TRUE(h.State().BookTitle.empty());
    EXPECT_TRUE(h.State().SiteName.empty());
    EXPECT_EQ(w.超级列表框章节列表->RowCount(), 0);
    EXPECT_EQ(h.State().ChapterIndex, 0);
    EXPECT_TRUE(w.编辑框书名->text().isEmpty());
}

}  // namespace
}  // namespace qingwu::test
