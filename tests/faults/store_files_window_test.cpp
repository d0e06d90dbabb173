// The window when db1.mdb is locked by another process, read-only, missing or garbage, and when
// the data folder is read-only or gone: the window starts and stays usable, each refused
// statement shows the store's message (caption 错误) instead of failing silently or crashing,
// the program never creates or rewrites a file it could not open, and once the fault is gone
// the settings and shelf are exactly as before.
#include <QtTest/QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "reading/control_names.h"
#include "tests/faults/file_faults.h"
#include "tests/faults/window_fixture.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

using std::chrono::milliseconds;

const char* const kShelfSql =
    "INSERT INTO 书签列表 VALUES ('山海', '某乙', '77', '序章', '0', '3', '青梧书屋');";
const TempRunDir::Rows kShelf = {{"山海", "某乙", "77", "序章", "0", "3", "青梧书屋"}};

class StoreFiles : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(run_.ExecDb1(kShelfSql));
        AddProfile("青梧书屋");
    }

    // The boxes shown since the last call that carry the store's caption.
    int StoreMessages() {
        int n = 0;
        for (const MessagePresenter::Box& box : presenter_.Shown()) {
            n += box.caption == "错误" ? 1 : 0;
        }
        presenter_.ClearShown();
        return n;
    }

    std::string Db1() const { return run_.DataPath("db1.mdb"); }
};

TEST_F(StoreFiles, GarbageDb1StaysUntouchedAndTheWindowWorks) {
    const std::string garbage = "This is not a database\0\x01\x02\xff\xfe garbage bytes";
    ASSERT_TRUE(OverwriteFile(Db1(), garbage));
    OpenWindow();
    EXPECT_GT(StoreMessages(), 0) << "the refused statements say so";
    // Nothing could be read: both settings as 0.
    EXPECT_EQ(Port().SelectedIndex(control::组合框字体大小), 0);
    EXPECT_EQ(Port().SelectedIndex(control::组合框背景颜色), 0);
    EXPECT_EQ(Port().RowCount(control::超级列表框书架), 0);
    // The websites still work: a book opens and its chapters show.
    OpenBook();
    ActivateChapter(2);
    EXPECT_EQ(Context().state.ChapterTitle, Gbk("第3章 标题"));
    ChooseColour(2);
    EXPECT_GT(StoreMessages(), 0);
    window_->close();
    window_.reset();
    EXPECT_EQ(ReadWholeFile(Db1()), garbage) << "the program rewrote a file it could not open";
}

TEST_F(StoreFiles, MissingDb1IsNeverCreated) {
    ASSERT_TRUE(std::filesystem::remove(Db1()));
    OpenWindow();
    EXPECT_GT(StoreMessages(), 0);
    OpenBook();
    ClickAddToShelf();
    ChooseColour(1);
    window_->close();
    window_.reset();
    EXPECT_FALSE(std::filesystem::exists(Db1()));
}

TEST_F(StoreFiles, ExclusiveLockAtStartLeavesDb1ClosedForTheRun) {
    {
        SqliteLockHolder lock(Db1(), SqliteLockHolder::Kind::Exclusive);
        ASSERT_TRUE(lock.Held());
        const auto start = Clock::now();
        OpenWindow();
        // The open waits for the lock a bounded time, then the file counts as not opened.
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(20));
        EXPECT_GT(StoreMessages(), 0);
    }
    // The connection stays closed for this run: every later statement says so, nothing is
    // written, the websites still work.
    ChooseColour(1);
    EXPECT_GT(StoreMessages(), 0);
    OpenBook();
    window_->close();
    window_.reset();
    ExpectDb1({{"2", "0"}}, kShelf);

    // The next start finds everything and works.
    presenter_.ClearShown();
    OpenWindow();
    EXPECT_EQ(StoreMessages(), 0);
    EXPECT_EQ(Port().RowCount(control::超级列表框书架), 1);
    ChooseColour(1);
    window_->close();
    window_.reset();
    ExpectDb1({{"2", "1"}}, kShelf);
}

TEST_F(StoreFiles, LockDuringSettingsChangeAndShelfAddLosesNothing) {
    for (const auto kind : {SqliteLockHolder::Kind::Exclusive, SqliteLockHolder::Kind::Immediate}) {
        const bool exclusive = kind == SqliteLockHolder::Kind::Exclusive;
        SCOPED_TRACE(exclusive ? "exclusive" : "immediate");
        OpenWindow();
        OpenBook();
        {
            SqliteLockHolder lock(Db1(), kind);
            ASSERT_TRUE(lock.Held());
            const auto start = Clock::now();
            ChooseColour(3);
            ClickAddToShelf();
            // Each statement gives up after the store's bounded wait for the lock.
            EXPECT_LT(Clock::now() - start, std::chrono::seconds(30));
            // Under either lock the store says why: the exclusive lock refuses the reads, and the
            // refused add reports the store's reason instead of a success.
            bool claimedAdded = false;
            for (const MessagePresenter::Box& box : presenter_.Shown()) {
                claimedAdded |= box.text == "添加成功";
            }
            EXPECT_FALSE(claimedAdded);
            EXPECT_GT(StoreMessages(), 0);
        }
        window_->close();
        window_.reset();
        // The rewrite could not happen: the one old row is still there, nothing was added.
        ExpectDb1({{"2", "0"}}, kShelf);
    }
}

TEST_F(StoreFiles, ReadOnlyDb1KeepsItsRows) {
    ReadOnlyPath readOnly(Db1());
    if (!readOnly.Effective()) {
        GTEST_SKIP() << "this file system lets this user write a read-only file";
    }
    OpenWindow();
    EXPECT_EQ(Port().RowCount(control::超级列表框书架), 1) << "a read-only file is still read";
    OpenBook();
    ChooseColour(2);
    presenter_.ClearShown();
    ClickAddToShelf();
    // The refused add says why, and never that it succeeded.
    ASSERT_FALSE(presenter_.Shown().empty());
    EXPECT_EQ(presenter_.Shown().back().caption, "错误");
    EXPECT_NE(presenter_.Shown().back().text, "添加成功");
    ActivateChapter(1);
    window_->close();
    window_.reset();
    readOnly.Undo();
    ExpectDb1({{"2", "0"}}, kShelf);
}

TEST_F(StoreFiles, ReadOnlyDataFolderShowsChaptersWithoutThePageFile) {
    OpenWindow();
    ReadOnlyPath readOnly(run_.Path() + "/data");
    if (!readOnly.Effective()) {
        GTEST_SKIP() << "this file system lets this user write into a read-only folder";
    }
    OpenBook();
    ActivateChapter(1);
    // The page file cannot be written: the state moves on and nothing crashes.
    EXPECT_EQ(Context().state.ChapterIndex, 1);
    EXPECT_FALSE(std::filesystem::exists(run_.DataPath("1.html")));
    window_->close();
    window_.reset();
    readOnly.Undo();
    ExpectDb1({{"2", "0"}}, kShelf);
}

TEST_F(StoreFiles, DataFolderRemovedWhileRunning) {
    OpenWindow();
    // The open files stay readable; nothing new can be made in a folder that is gone.
    const std::string moved = run_.Path() + "/moved-data";
    std::filesystem::rename(run_.Path() + "/data", moved);
    OpenBook();
    ActivateChapter(1);
    EXPECT_EQ(Context().state.ChapterIndex, 1);
    ChooseColour(1);
    window_->close();
    window_.reset();
    EXPECT_FALSE(std::filesystem::exists(run_.Path() + "/data"));
    std::filesystem::rename(moved, run_.Path() + "/data");
    EXPECT_EQ(run_.QueryDb1("PRAGMA integrity_check"), TempRunDir::Rows{{"ok"}});
    EXPECT_EQ(run_.QueryDb1("SELECT count(*) FROM 设置"), TempRunDir::Rows{{"1"}});
    EXPECT_EQ(ShelfRows(), kShelf);
}

}  // namespace
}  // namespace qingwu::test

namespace qingwu::test {
namespace {

TEST_F(StoreFiles, GarbageSkMdbLeavesTheShelfUsable) {
    ASSERT_TRUE(OverwriteFile(run_.DataPath("sk.mdb"), "garbage, not a database"));
    OpenWindow();
    EXPECT_GT(StoreMessages(), 0);
    EXPECT_EQ(Port().ItemCount(control::组合框1), 0);
    EXPECT_EQ(Port().RowCount(control::超级列表框书架), 1) << "the shelf comes from db1.mdb";
    Search("青梧");
    EXPECT_EQ(site_.Server().RequestCount(), 0u);
    ChooseColour(1);
    window_->close();
    window_.reset();
    ExpectDb1({{"2", "1"}}, kShelf);
    EXPECT_EQ(ReadWholeFile(run_.DataPath("sk.mdb")), "garbage, not a database");
}

// db1.mdb whose tables were changed outside the program.
struct DamagedDb1 {
    const char* name;
    const char* sql;
    int fontSizeShown;   // the index the size selector starts with
    bool settingsTable;  // 设置 still exists
};

TEST_F(StoreFiles, DamagedTablesAreSurvivedAndTheRewriteLeavesOneRow) {
    const DamagedDb1 cases[] = {
        {"settings_empty", "DELETE FROM 设置;", 0, true},
        {"settings_two_rows", "INSERT INTO 设置 VALUES (1, 3);", 2, true},
        {"settings_out_of_range", "UPDATE 设置 SET 字体大小 = 99999999999, 背景颜色 = -7;", 2,
         true},
        {"settings_as_text", "UPDATE 设置 SET 字体大小 = 'x', 背景颜色 = NULL;", 0, true},
        {"settings_dropped", "DROP TABLE 设置;", 0, false},
        {"shelf_dropped", "DROP TABLE 书签列表;", 2, true},
        {"shelf_nulls", "INSERT INTO 书签列表 VALUES (NULL, NULL, NULL, NULL, NULL, NULL, NULL);",
         2, true},
    };
    for (const DamagedDb1& c : cases) {
        SCOPED_TRACE(c.name);
        TempRunDir run;
        ASSERT_TRUE(run.ExecDb1(kShelfSql));
        ASSERT_TRUE(run.ExecDb1(c.sql));
        ASSERT_TRUE(run.ExecSk("DELETE FROM 书库信息;" + site_.ProfileSql("青梧书屋")));
        MainWindow window(run.Path(), presenter_);
        window.ShowCentred();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        // Only the first row counts; a value beyond the last item selects the last.
        EXPECT_EQ(window.Port().SelectedIndex(control::组合框字体大小), c.fontSizeShown);
        // A settings change: the table ends with one row whatever it held.
        window.组合框背景颜色->setCurrentIndex(1);
        emit window.组合框背景颜色->activated(1);
        window.close();
        presenter_.ClearShown();
        EXPECT_EQ(run.QueryDb1("PRAGMA integrity_check"), TempRunDir::Rows{{"ok"}});
        if (c.settingsTable) {
            // However many rows it held, the rewrite leaves exactly the one with both choices.
            EXPECT_EQ(run.QueryDb1("SELECT count(*) FROM 设置"), TempRunDir::Rows{{"1"}});
            EXPECT_EQ(run.QueryDb1("SELECT 背景颜色 FROM 设置"), TempRunDir::Rows{{"1"}});
        } else {
            EXPECT_EQ(run.QueryDb1("SELECT count(*) FROM sqlite_master WHERE name = '设置'"),
                      TempRunDir::Rows{{"0"}})
                << "the program made a table";
        }
    }
}

}  // namespace
}  // namespace qingwu::test
