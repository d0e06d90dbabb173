#include <gtest/gtest.h>

#include <QGroupBox>
#include <QPushButton>
#include <QTest>

#include "app/report_list.h"
#include "tests/reading/reader_harness.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

using Rows = TempRunDir::Rows;

const std::string kAsk = "提示|不存在此图书，是否加入书架？";
const std::string kAdded = "提示|添加成功";
const std::string kRefused = "提示|无图书或已存在图书！";

Rows Shelf(ReaderHarness& h) {
    return h.Run().QueryDb1("SELECT * FROM 书签列表");
}

TEST(Bookshelf, AddStoresTheChapterShownAndRefusesASecondAdd) {
    ReaderHarness h;
    h.OpenBook(8, "测试书", "作者", "11", "1");
    MainWindow& w = h.Window();
    for (int i = 0; i < 5; ++i) {
        h.ClickToolbar(6);
    }
    h.ClickToolbar(2);
    EXPECT_EQ(h.Messages(), std::vector<std::string>{kAdded});
    const Rows expected = {{"测试书", "作者", "11", "第6章 标题", "1", "5", h.Site().Name()}};
    EXPECT_EQ(Shelf(h), expected);
    ASSERT_EQ(w.超级列表框书架->RowCount(), 1);
    EXPECT_EQ(ReaderHarness::Cell(w.超级列表框书架, 0, 2), "第6章 标题");
    EXPECT_EQ(ReaderHarness::Cell(w.超级列表框书架, 0, 3), h.Site().Name());

    QTest::mouseClick(w.按钮加入书架, Qt::LeftButton);
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{kAdded, kRefused}));
    EXPECT_EQ(Shelf(h), expected);
}

TEST(Bookshelf, AddWithoutAnOpenBookIsRefused) {
    ReaderHarness h;
    h.Start();
    h.ClickToolbar(2);
    EXPECT_EQ(h.Messages(), std::vector<std::string>{kRefused});
    EXPECT_TRUE(Shelf(h).empty());
}

TEST(Bookshelf, SameTitleOnTwoWebsitesMakesTwoEntries) {
    ReaderHarness h;
    h.OpenBook(3);
    h.ClickToolbar(2);
    // The same title shelved earlier from another website does not block this one.
    ASSERT_TRUE(h.Run().ExecDb1("UPDATE 书签列表 SET 书库 = '别站';"));
    h.ClickToolbar(2);
    EXPECT_EQ(h.Messages(), (std::vector<std::string>{kAdded, kAdded}));
    EXPECT_EQ(h.Run().QueryDb1("SELECT 书库 FROM 书签列表"), (Rows{{"别站"}, {h.Site().Name()}}));
}

TEST(Bookshelf, BookmarkFollowsTheChapterShown) {
    ReaderHarness h;
    h.OpenBook(12);
    MainWindow& w = h.Window();
    h.ClickToolbar(2);
    for (int i = 0; i < 9; ++i) {
        h.ClickToolbar(6);
    }
    EXPECT_EQ(h.Run().QueryDb1("SELECT 书签, 当前章节 FROM 书签列表"),
              (Rows{{"第10章 标题", "9"}}));
    EXPECT_EQ(ReaderHarness::Cell(w.超级列表框书架, 0, 2), "第10章 标题");
}

TEST(Bookshelf, BookmarkOfABookNotOnTheShelfChangesNothing) {
    ReaderHarness h;
    ASSERT_TRUE(h.Run().ExecDb1(
        "INSERT INTO 书签列表 VALUES ('别的书', '', '1', '旧', '1', '3', '别站');"));
    h.OpenBook(3);
    h.ClickToolbar(6);
    EXPECT_EQ(Shelf(h), (Rows{{"别的书", "", "1", "旧", "1", "3", "别站"}}));
}

TEST(Bookshelf, DeleteRemovesTheSelectedEntryOnly) {
    ReaderHarness h;
    ASSERT_TRUE(
        h.Run().ExecDb1("INSERT INTO 书签列表 VALUES ('甲书', '', '1', '', '1', '0', '站');"
                        "INSERT INTO 书签列表 VALUES ('乙书', '', '2', '', '1', '0', '站');"
                        "INSERT INTO 书签列表 VALUES ('', '', '3', '', '1', '0', '');"));
    MainWindow& w = h.Start();
    h.ClickToolbar(0);
    ASSERT_EQ(w.超级列表框书架->RowCount(), 3);
    // Nothing selected: nothing deleted, not even the entry with an empty title and website.
    QTest::mouseClick(w.按钮删除书签, Qt::LeftButton);
    EXPECT_EQ(Shelf(h).size(), 3u);
    h.ClickRow(w.超级列表框书架, 1);
    QTest::mouseClick(w.按钮删除书签, Qt::LeftButton);
    EXPECT_EQ(h.Run().QueryDb1("SELECT 书籍名称 FROM 书签列表"), (Rows{{"甲书"}, {""}}));
    EXPECT_EQ(w.超级列表框书架->RowCount(), 2);
    EXPECT_TRUE(h.Messages().empty());
}

TEST(Bookshelf, DuplicateEntriesActOnTheFirstOnly) {
    ReaderHarness h;
    h.Site().AddBook("11", "1", 5);
    const std::string site = h.Site().Name();
    ASSERT_TRUE(h.Run().ExecDb1(
        "INSERT INTO 书签列表 VALUES ('双书', '', '11', '', '1', '2', '" + site +
        "');INSERT INTO 书签列表 VALUES ('双书', '', '11', '', '1', '4', '" + site + "');"));
    MainWindow& w = h.Start();
    h.ClickToolbar(0);
    h.ClickRow(w.超级列表框书架, 1);
    QTest::mouseClick(w.按钮载入书签, Qt::LeftButton);
    EXPECT_EQ(h.State().ChapterIndex, 2);  // the first entry's chapter
    EXPECT_EQ(h.Run().QueryDb1("SELECT 当前章节 FROM 书签列表"), (Rows{{"2"}, {"4"}}));
}

TEST(Bookshelf, ClosingOffersToShelveAnUnshelvedBook) {
    struct Case {
        const char* name;
        bool openBook;
        bool shelvedElsewhere;
        MessagePresenter::Answer answer;
        std::vector<std::string> messages;
        size_t entries;
    } cases[] = {
        {"unshelved_yes", true, false, MessagePresenter::Answer::Yes, {kAsk, kAdded}, 1},
        {"unshelved_no", true, false, MessagePresenter::Answer::No, {kAsk}, 0},
        {"shelved_under_another_site", true, true, MessagePresenter::Answer::Yes, {}, 1},
        {"no_book_yes", false, false, MessagePresenter::Answer::Yes, {kAsk, kRefused}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReaderHarness h;
        if (c.shelvedElsewhere) {
            ASSERT_TRUE(h.Run().ExecDb1(
                "INSERT INTO 书签列表 VALUES ('测试书', '', '9', '', '9', '0', '别站');"));
        }
        if (c.openBook) {
            h.OpenBook(3);
            ASSERT_TRUE(h.PageFileExists());
        } else {
            h.Start();
        }
        h.Presenter().ClearShown();
        h.Presenter().QueueAnswer(c.answer);
        bool fileGoneAtFirstBox = true;
        bool sawBox = false;
        h.Presenter().OnScriptedBox([&](const MessagePresenter::Box&) {
            if (!sawBox) {
                fileGoneAtFirstBox = !h.PageFileExists();
                sawBox = true;
            }
        });
        MainWindow& w = h.Window();
        w.close();
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(h.Messages(), c.messages);
        EXPECT_TRUE(fileGoneAtFirstBox);
        EXPECT_FALSE(h.PageFileExists());
        EXPECT_EQ(Shelf(h).size(), c.entries);
    }
}

}  // namespace
}  // namespace qingwu::test
