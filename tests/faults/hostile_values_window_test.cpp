// Titles and website names full of what breaks a statement built by joining texts: quotes,
// semicolons, comment markers, control characters, characters outside GBK. Every shelf operation
// finds exactly the right rows and no value reaches an SQL text: the table survives, the other
// rows are intact, and nothing extra is found.
#include <QPushButton>
#include <QtTest/QTest>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "reading/control_names.h"
#include "tests/faults/window_fixture.h"
#include "text/gbk.h"

namespace qingwu::test {
namespace {

// Rows already on the shelf, some of them named like the values below, that no operation on
// another book may touch or find.
const char* const kShelfSql =
    "INSERT INTO 书签列表 VALUES ('山海', '某乙', '77', '序章', '0', '3', '别处');"
    "INSERT INTO 书签列表 VALUES ('x'' OR ''1''=''1', '某丙', '8', '尾声', '0', '12', '别处');"
    "INSERT INTO 书签列表 VALUES ('x', '某丁', '9', '楔子', '0', '1', 'x');";
const TempRunDir::Rows kShelf = {{"山海", "某乙", "77", "序章", "0", "3", "别处"},
                                 {"x' OR '1'='1", "某丙", "8", "尾声", "0", "12", "别处"},
                                 {"x", "某丁", "9", "楔子", "0", "1", "x"}};

struct HostileCase {
    const char* name;
    const char* siteUtf8;
    const char* titleUtf8;
};

const HostileCase kCases[] = {
    {"always_true", "x' OR '1'='1", "x' OR '1'='1"},
    {"drop_table", "'; DROP TABLE 书签列表; --", "'; DROP TABLE 书签列表; --"},
    {"comments", "站/* 注释 */--", "书/*名*/ -- 尾"},
    {"quotes_everywhere", "'\"'\"", "''''"},
    {"control_characters", "书\x01库\t名\x1f", "标\x02题\x7f"},
    {"percent_and_underscore", "%_%", "%"},
    {"backslash_and_semicolon", "\\';\\", ";\\'"},
};

class HostileValues : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        ASSERT_TRUE(run_.ExecDb1(kShelfSql));
    }

    // The shelf row of the case's book as the test expects it after n chapters were shown.
    static std::vector<std::string> Entry(const HostileCase& c, int chapter) {
        return {c.titleUtf8, "某甲",
                "1234",      "第" + std::to_string(chapter + 1) + "章 标题",
                "1",         std::to_string(chapter),
                c.siteUtf8};
    }
};

TEST_F(HostileValues, ShelfOperationsFindExactlyTheirOwnRow) {
    for (const HostileCase& c : kCases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(run_.ExecSk(std::string("DELETE FROM 书库信息;")));
        AddProfile(c.siteUtf8);
        site_.SetBooks({{c.titleUtf8, "某甲", "1234", "1", 4}});
        OpenWindow();
        ASSERT_EQ(Port().ItemText(control::组合框1, 0), Gbk(c.siteUtf8));

        // Search and open: the profile is found by its name.
        OpenBook(c.titleUtf8);
        EXPECT_EQ(Context().state.BookTitle, Gbk(c.titleUtf8));
        ClickAddToShelf();
        EXPECT_EQ(TakeMessages(), std::vector<std::string>{"添加成功"});
        // Adding again is refused: the lookup finds the row just added.
        ClickAddToShelf();
        EXPECT_EQ(TakeMessages(), std::vector<std::string>{"无图书或已存在图书！"});

        // The bookmark follows the chapters shown.
        ActivateChapter(2);
        TempRunDir::Rows expected = kShelf;
        expected.push_back(Entry(c, 2));
        EXPECT_EQ(ShelfRows(), expected);
        EXPECT_EQ(Port().RowCount(control::超级列表框书架), 4);

        // Reopened from the shelf at its chapter.
        SelectShelfRow(3);
        ClickLoadBookmark();
        EXPECT_EQ(Context().state.ChapterIndex, 2);
        EXPECT_EQ(Context().state.SiteName, Gbk(c.siteUtf8));
        EXPECT_EQ(Context().state.ChapterTitle, Gbk("第3章 标题"));

        // Deleted: exactly that row goes.
        SelectShelfRow(3);
        QTest::mouseClick(Window().按钮删除书签, Qt::LeftButton);
        EXPECT_EQ(ShelfRows(), kShelf);
        EXPECT_EQ(TakeMessages(), std::vector<std::string>{});

        // Closing: the offer comes unless a book of this title is on the shelf under another
        // website; No keeps the book off.
        bool titleShelved = false;
        for (const auto& row : kShelf) {
            titleShelved = titleShelved || row[0] == c.titleUtf8;
        }
        window_->close();
        EXPECT_EQ(TakeMessages(), titleShelved
                                      ? std::vector<std::string>{}
                                      : std::vector<std::string>{"不存在此图书，是否加入书架？"});
        window_.reset();
        ExpectDb1({{"2", "0"}}, kShelf);
    }
}

TEST_F(HostileValues, WebsiteNameOutsideGbkFindsNothingAndBreaksNothing) {
    // The window lists texts in GBK: a character GBK lacks becomes '?', and no profile is named
    // that. The search then fails like a search on a missing profile.
    AddProfile("书屋😀");
    OpenWindow();
    const Text listed = Port().ItemText(control::组合框1, 0);
    EXPECT_EQ(listed.substr(0, 4), Gbk("书屋"));
    EXPECT_GT(listed.size(), 4u);
    EXPECT_EQ(listed.find_first_not_of('?', 4), Text::npos) << "replaced by '?'";
    Search("青梧");
    EXPECT_EQ(TakeMessages(),
              std::vector<std::string>{"请检查输入的书名是否正确或该网站不存在此图书！"});
    EXPECT_EQ(site_.Server().RequestCount(), 0u) << "no profile, no address, no request";
    window_.reset();
    ExpectDb1({{"2", "0"}}, kShelf);
}

TEST_F(HostileValues, TypedTitleOutsideGbkIsSentWithQuestionMarks) {
    AddProfile("青梧书屋");
    OpenWindow();
    Search("青梧😀");
    ASSERT_TRUE(site_.Server().WaitForRequests(1, std::chrono::seconds(5)));
    const RecordedRequest request = site_.Server().Requests().at(0);
    const std::string sent = "searchclass=1&searchkey=" + Gbk("青梧");
    ASSERT_EQ(request.body.substr(0, sent.size()), sent);
    EXPECT_GT(request.body.size(), sent.size());
    EXPECT_EQ(request.body.find_first_not_of('?', sent.size()), std::string::npos)
        << "replaced by '?'";
    window_.reset();
    ExpectDb1({{"2", "0"}}, kShelf);
}

}  // namespace
}  // namespace qingwu::test

namespace qingwu::test {
namespace {

// Shelf entries whose stored chapter is not a row of the book: reopening shows what the rules
// give (the leading number, held to the integer range) and stepping from there ends in the
// stepping messages, without arithmetic overflow.
TEST_F(HostileValues, StoredChapterOutsideTheBook) {
    struct Case {
        const char* name;
        const char* stored;
        int index;  // ChapterIndex after reopening
    };
    const Case cases[] = {
        {"beyond_int", "99999999999", 2147483647},
        {"int_max", "2147483647", 2147483647},
        {"negative", "-3", -3},
        {"very_negative", "-99999999999", -2147483647},
        {"not_a_number", "第五章", 0},
        {"beyond_the_last_row", "7", 7},
    };
    AddProfile("青梧书屋");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(
            run_.ExecDb1("DELETE FROM 书签列表; INSERT INTO 书签列表 VALUES ('青梧', '某甲', "
                         "'1234', '书签', '1', " +
                         SqlQuoted(c.stored) + ", '青梧书屋');"));
        OpenWindow();
        SelectShelfRow(0);
        ClickLoadBookmark();
        EXPECT_EQ(Context().state.ChapterIndex, c.index);
        TakeMessages();
        QTest::keyClick(Window().windowHandle(), Qt::Key_Right);
        QTest::keyClick(Window().windowHandle(), Qt::Key_Left);
        const std::vector<std::string> messages = TakeMessages();
        if (c.index < 0 || c.index > 2) {
            EXPECT_EQ(messages,
                      (std::vector<std::string>{"这已经是最后一章了!", "这已经是第一章了!"}));
        }
        window_.reset();
    }
}

}  // namespace
}  // namespace qingwu::test

namespace qingwu::test {
namespace {

// A run directory whose path holds blanks, quotes, a semicolon, a comment marker and Chinese:
// the page file is written and shown there, the shelf works, and the closing deletes the file.
TEST_F(HostileValues, RunDirectoryWithAwkwardCharacters) {
    const std::filesystem::path base =
        std::filesystem::path(run_.Path()) / "青梧 阅读器 'x'; -- \"y\"";
    ASSERT_TRUE(std::filesystem::create_directory(base));
    const char* saved = std::getenv("TMPDIR");
    const std::string savedTmp = saved != nullptr ? saved : "";
    setenv("TMPDIR", base.c_str(), 1);
    TempRunDir run;
    if (saved != nullptr) {
        setenv("TMPDIR", savedTmp.c_str(), 1);
    } else {
        unsetenv("TMPDIR");
    }
    ASSERT_EQ(run.Path().rfind(base.string(), 0), 0u);
    ASSERT_TRUE(run.ExecSk("DELETE FROM 书库信息;" + site_.ProfileSql("青梧书屋")));

    window_ = std::make_unique<MainWindow>(run.Path(), presenter_);
    window_->ShowCentred();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    OpenBook();
    ActivateChapter(1);
    EXPECT_TRUE(std::filesystem::exists(run.DataPath("1.html")));
    EXPECT_TRUE(Window().超文本浏览框1->toPlainText().contains(QStringLiteral("正文2")));
    ClickAddToShelf();
    EXPECT_EQ(TakeMessages(), std::vector<std::string>{"添加成功"});
    window_->close();
    EXPECT_FALSE(std::filesystem::exists(run.DataPath("1.html")));
    window_.reset();
    EXPECT_EQ(TempRunDir::Query(run.DataPath("db1.mdb"), "SELECT 书籍名称, 当前章节 FROM 书签列表"),
              (TempRunDir::Rows{{"青梧", "1"}}));
}

}  // namespace
}  // namespace qingwu::test
