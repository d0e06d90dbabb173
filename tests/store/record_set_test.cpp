#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/store/store_fixture.h"

namespace qingwu::test {
namespace {

using Rows = TempRunDir::Rows;

Rows ShelfRows(const TempRunDir& dir) {
    return dir.QueryDb1("select * from 书签列表 order by rowid");
}

TEST_F(StoreTest, DeliveredSettingsRowReadsByPositionAndName) {
    ASSERT_TRUE(OpenRecordSet(set, table::kSettings, RecordSource::TableName));
    EXPECT_EQ(RecordCount(set), 1);
    EXPECT_EQ(ReadInteger(set, settings_pos::kFontSize), 2);
    EXPECT_EQ(ReadInteger(set, settings_pos::kBackgroundColour), 0);
    EXPECT_EQ(ReadInteger(set, "背景颜色"), 0);
    EXPECT_EQ(ReadText(set, "字体大小"), "2");  // an integer reads as its decimal text
    EXPECT_TRUE(messages.empty());
}

TEST_F(StoreTest, EmptySettingsTableReadsZero) {
    ASSERT_TRUE(dir.ExecDb1("delete from 设置"));
    ASSERT_TRUE(OpenRecordSet(set, table::kSettings, RecordSource::TableName));
    EXPECT_EQ(RecordCount(set), 0);
    EXPECT_EQ(ReadInteger(set, settings_pos::kFontSize), 0);
    EXPECT_EQ(ReadInteger(set, settings_pos::kBackgroundColour), 0);
    EXPECT_EQ(ReadText(set, settings_pos::kFontSize), "");
}

// Reads that find nothing give the empty text and 0, never something of another field.
TEST_F(StoreTest, ReadsOutsideTheRecordGiveNothing) {
    Shelve({"书一", "作者甲", "101", "第一章", "1", "7", "青梧书屋"});
    ASSERT_TRUE(dir.ExecDb1("update 书签列表 set 作者 = NULL"));
    struct Case {
        const char* name;
        std::function<void(RecordSet&)> prepare;
        FieldRef field;
        Text text;
        long long integer;
    };
    const Case cases[] = {
        {"position 7", [](RecordSet&) {}, 7, "", 0},
        {"negative position", [](RecordSet&) {}, -1, "", 0},
        {"unknown name", [](RecordSet&) {}, std::string_view("没有的字段"), "", 0},
        {"NULL value", [](RecordSet&) {}, shelf_pos::kAuthor, "", 0},
        {"number text is not an integer", [](RecordSet&) {}, shelf_pos::kChapter, "7", 0},
        {"past the last record", [](RecordSet& s) { MoveNext(s); }, shelf_pos::kBookTitle, "", 0},
        {"statement matched nothing",
         [](RecordSet& s) {
             OpenRecordSet(s, sql::kShelfEntryOfBook, RecordSource::SqlStatement,
                           {G("书二"), G("青梧书屋")});
         },
         shelf_pos::kBookTitle, "", 0},
        {"name in another letter case is the same field",
         [](RecordSet& s) {
             OpenRecordSet(s, "select 书号 as BookNo from 书签列表", RecordSource::SqlStatement);
         },
         std::string_view("bookno"), "101", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenRecordSet(set, table::kShelf, RecordSource::TableName));
        c.prepare(set);
        EXPECT_EQ(U(ReadText(set, c.field)), U(c.text));
        EXPECT_EQ(ReadInteger(set, c.field), c.integer);
    }
    EXPECT_TRUE(messages.empty());
}

// Texts are GBK in the program and UTF-8 in the file, both ways.
TEST_F(StoreTest, TextsAreUtf8InTheFileAndGbkInTheProgram) {
    Shelve({"红楼梦", "曹雪芹", "1", "第一回 甄士隐梦幻识通灵", "0", "0", "青梧书屋"});
    ASSERT_TRUE(OpenRecordSet(set, sql::kShelfEntryOfBook, RecordSource::SqlStatement,
                              {G("红楼梦"), G("青梧书屋")}));
    ASSERT_EQ(RecordCount(set), 1);
    EXPECT_EQ(ReadText(set, shelf_pos::kBookmark), G("第一回 甄士隐梦幻识通灵"));
    WriteText(set, shelf_pos::kBookmark, G("第二回 贾夫人仙逝扬州城€"));
    SaveRecord(set);
    EXPECT_EQ(ShelfRows(dir)[0][shelf_pos::kBookmark], "第二回 贾夫人仙逝扬州城€");
}

TEST_F(StoreTest, SnapshotIgnoresOtherConnectionsUntilReopened) {
    Shelve({"书一", "甲", "1", "", "0", "0", "站"});
    ASSERT_TRUE(OpenRecordSet(set, table::kShelf, RecordSource::TableName));
    Shelve({"书二", "乙", "2", "", "0", "0", "站"});
    ASSERT_TRUE(dir.ExecDb1("update 书签列表 set 作者 = '丙' where 书籍名称 = '书一'"));
    EXPECT_EQ(RecordCount(set), 1);
    EXPECT_EQ(U(ReadText(set, shelf_pos::kAuthor)), "甲");

    ASSERT_TRUE(OpenRecordSet(set, table::kShelf, RecordSource::TableName));
    ASSERT_EQ(RecordCount(set), 2);
    EXPECT_EQ(U(ReadText(set, shelf_pos::kAuthor)), "丙");
    MoveNext(set);
    EXPECT_EQ(U(ReadText(set, shelf_pos::kBookTitle)), "书二");
}

// A set from "select * from 书签列表 where ..." writes through to the row it came from, and
// after the save the snapshot holds what the table holds.
TEST_F(StoreTest, StatementSetWritesThroughToItsRow) {
    Shelve({"书一", "甲", "1", "第一章", "0", "0", "站甲"});
    Shelve({"书一", "甲", "1", "第一章", "0", "0", "站乙"});
    ASSERT_TRUE(OpenRecordSet(set, sql::kShelfEntryOfBook, RecordSource::SqlStatement,
                              {G("书一"), G("站乙")}));
    ASSERT_EQ(RecordCount(set), 1);
    WriteText(set, shelf_pos::kBookmark, G("第十八章"));
    WriteText(set, shelf_pos::kChapter, G("17"));
    EXPECT_EQ(U(ReadText(set, shelf_pos::kChapter)), "17");  // a pending change reads back
    SaveRecord(set);
    const Rows expected = {{"书一", "甲", "1", "第一章", "0", "0", "站甲"},
                           {"书一", "甲", "1", "第十八章", "0", "17", "站乙"}};
    EXPECT_EQ(ShelfRows(dir), expected);
    EXPECT_EQ(U(ReadText(set, shelf_pos::kBookmark)), "第十八章");
    EXPECT_TRUE(messages.empty());
}

// With two rows of the same title and website, reading, saving and deleting act on the first.
TEST_F(StoreTest, DuplicateEntriesActOnTheFirstOnly) {
    struct Case {
        const char* name;
        std::function<void(RecordSet&)> act;
        std::string read;  // 书签 read after the action
        Rows rows;
    };
    const Case cases[] = {
        {"read",
         [](RecordSet&) {},
         "甲章",
         {{"书", "", "", "甲章", "", "0", "站"}, {"书", "", "", "乙章", "", "1", "站"}}},
        {"save",
         [](RecordSet& s) {
             WriteText(s, shelf_pos::kChapter, G("9"));
             SaveRecord(s);
         },
         "甲章",
         {{"书", "", "", "甲章", "", "9", "站"}, {"书", "", "", "乙章", "", "1", "站"}}},
        {"delete then save",
         [](RecordSet& s) {
             EXPECT_TRUE(DeleteRecords(s, DeleteScope::CurrentRecord));
             SaveRecord(s);
         },
         "",
         {{"书", "", "", "乙章", "", "1", "站"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(dir.ExecDb1("delete from 书签列表"));
        Shelve({"书", "", "", "甲章", "", "0", "站"});
        Shelve({"书", "", "", "乙章", "", "1", "站"});
        ASSERT_TRUE(OpenRecordSet(set, sql::kShelfEntryToDelete, RecordSource::SqlStatement,
                                  {G("书"), G("站")}));
        c.act(set);
        EXPECT_EQ(U(ReadText(set, shelf_pos::kBookmark)), c.read);
        EXPECT_EQ(ShelfRows(dir), c.rows);
    }
}

TEST_F(StoreTest, DeletingOnAnEmptySetDoesNothing) {
    Shelve({"书", "", "", "", "", "0", "站"});
    ASSERT_TRUE(OpenRecordSet(set, sql::kShelfEntryToDelete, RecordSource::SqlStatement,
                              {G("别的书"), G("站")}));
    EXPECT_FALSE(DeleteRecords(set, DeleteScope::CurrentRecord));
    SaveRecord(set);
    EXPECT_EQ(ShelfRows(dir).size(), 1u);
    EXPECT_TRUE(messages.empty());
}

// The settings rewrite: open by name, delete every row, add one, write both integers, save.
TEST_F(StoreTest, SettingsRewriteLeavesExactlyOneRow) {
    ASSERT_TRUE(dir.ExecDb1("insert into 设置 values (1, 1)"));
    ASSERT_TRUE(OpenRecordSet(set, table::kSettings, RecordSource::TableName));
    ASSERT_EQ(RecordCount(set), 2);
    EXPECT_TRUE(DeleteRecords(set, DeleteScope::WholeTable));
    EXPECT_EQ(RecordCount(set), 0);
    AddRecord(set);
    EXPECT_EQ(RecordCount(set), 1);
    WriteInteger(set, settings_pos::kFontSize, 1);
    WriteInteger(set, settings_pos::kBackgroundColour, 3);
    SaveRecord(set);
    EXPECT_EQ(dir.QueryDb1("select typeof(字体大小), 字体大小, 背景颜色 from 设置"),
              (Rows{{"integer", "1", "3"}}));
    EXPECT_EQ(ReadInteger(set, settings_pos::kBackgroundColour), 3);
}

// A new record stores only what was written; the other fields stay NULL.
TEST_F(StoreTest, NewShelfRecordStoresWhatWasWritten) {
    ASSERT_TRUE(OpenRecordSet(set, table::kShelf, RecordSource::TableName));
    AddRecord(set);
    WriteText(set, shelf_pos::kBookTitle, G("书"));
    WriteText(set, shelf_pos::kSite, G("站"));
    SaveRecord(set);
    EXPECT_EQ(ShelfRows(dir),
              (Rows{{"书", "<null>", "<null>", "<null>", "<null>", "<null>", "站"}}));
    EXPECT_EQ(U(ReadText(set, shelf_pos::kSite)), "站");
    EXPECT_EQ(ReadText(set, shelf_pos::kAuthor), "");
}

// Writes the store cannot carry out leave the table as it was.
TEST_F(StoreTest, WritesThatCannotApplyChangeNothing) {
    Shelve({"书", "甲", "1", "", "0", "0", "站"});
    struct Case {
        const char* name;
        std::function<void(RecordSet&)> act;
    };
    const Case cases[] = {
        {"integer into a text column",
         [](RecordSet& s) {
             OpenRecordSet(s, table::kShelf, RecordSource::TableName);
             WriteInteger(s, shelf_pos::kChapter, 5);
             SaveRecord(s);
         }},
        {"whole-table delete of a statement set",
         [](RecordSet& s) {
             OpenRecordSet(s, "select * from 书签列表", RecordSource::SqlStatement);
             EXPECT_FALSE(DeleteRecords(s, DeleteScope::WholeTable));
         }},
        {"record added to a statement set",
         [](RecordSet& s) {
             OpenRecordSet(s, "select * from 书签列表", RecordSource::SqlStatement);
             AddRecord(s);
             SaveRecord(s);
             EXPECT_EQ(RecordCount(s), 1);
         }},
        {"set of expressions",
         [](RecordSet& s) {
             OpenRecordSet(s, "select 书籍名称 || '' as 书籍名称 from 书签列表",
                           RecordSource::SqlStatement);
             WriteText(s, 0, G("改"));
             SaveRecord(s);
             EXPECT_FALSE(DeleteRecords(s, DeleteScope::CurrentRecord));
         }},
        {"distinct set",
         [](RecordSet& s) {
             OpenRecordSet(s, "select distinct * from 书签列表", RecordSource::SqlStatement);
             WriteText(s, 0, G("改"));
             SaveRecord(s);
         }},
        {"grouped set",
         [](RecordSet& s) {
             OpenRecordSet(s, "select 书籍名称 from 书签列表 group by 书籍名称",
                           RecordSource::SqlStatement);
             WriteText(s, 0, G("改"));
             SaveRecord(s);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.act(set);
        EXPECT_EQ(ShelfRows(dir), (Rows{{"书", "甲", "1", "", "0", "0", "站"}}));
    }
    EXPECT_TRUE(messages.empty());
}

// Values are bound, never spliced: quotes select the rows they name, and nothing else.
TEST_F(StoreTest, QuotesInValuesFindTheRightRows) {
    Shelve({"It's 书", "", "", "", "", "0", "老王's 站"});
    Shelve({"别的书", "", "", "", "", "0", "站"});
    struct Case {
        const char* name;
        std::string title;
        std::string site;
        int count;
    };
    const Case cases[] = {
        {"apostrophes in title and website", "It's 书", "老王's 站", 1},
        {"injection attempt", "' or '1'='1", "' or '1'='1", 0},
        {"half an injection", "别的书' --", "站", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(OpenRecordSet(set, sql::kShelfEntryOfBook, RecordSource::SqlStatement,
                                  {G(c.title), G(c.site)}));
        EXPECT_EQ(RecordCount(set), c.count);
        if (c.count == 1) {
            EXPECT_EQ(U(ReadText(set, shelf_pos::kBookTitle)), c.title);
        }
    }
    EXPECT_TRUE(messages.empty());
}

// A refused statement calls the sink with SQLite's message and leaves the set closed, with
// nothing left of what it held before.
TEST_F(StoreTest, RefusedStatementReportsAndClosesTheSet) {
    struct Case {
        const char* name;
        std::string source;
        RecordSource kind;
        std::vector<Text> values;
        std::string message;
    };
    const Case cases[] = {
        {"syntax error",
         "selec * from 书签列表",
         RecordSource::SqlStatement,
         {},
         "near \"selec\": syntax error"},
        {"missing table in a statement",
         "select * from 没有的表",
         RecordSource::SqlStatement,
         {},
         "no such table: 没有的表"},
        {"missing table by name",
         "没有的表",
         RecordSource::TableName,
         {},
         "no such table: 没有的表"},
        {"table name with a quote",
         "书签列表\" where 1 --",
         RecordSource::TableName,
         {},
         "no such table: 书签列表\" where 1 --"},
        {"two statements",
         "select * from 设置; delete from 设置",
         RecordSource::SqlStatement,
         {},
         "一次只能执行一条语句"},
        {"value without its placeholder",
         "select * from 设置",
         RecordSource::SqlStatement,
         {G("x")},
         "column index out of range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        messages.clear();
        ASSERT_TRUE(OpenRecordSet(set, table::kSettings, RecordSource::TableName));
        EXPECT_FALSE(OpenRecordSet(set, c.source, c.kind, c.values));
        EXPECT_EQ(messages, std::vector<std::string>{c.message});
        EXPECT_EQ(RecordCount(set), 0);
        EXPECT_EQ(ReadInteger(set, settings_pos::kFontSize), 0);
        EXPECT_EQ(ReadText(set, settings_pos::kFontSize), "");
    }
    EXPECT_EQ(dir.QueryDb1("select * from 设置"), (Rows{{"2", "0"}}));
}

TEST_F(StoreTest, EmptySourceFailsSilently) {
    for (const RecordSource kind : {RecordSource::SqlStatement, RecordSource::TableName}) {
        SCOPED_TRACE(static_cast<int>(kind));
        ASSERT_TRUE(OpenRecordSet(set, table::kSettings, RecordSource::TableName));
        EXPECT_FALSE(OpenRecordSet(set, "", kind));
        EXPECT_EQ(RecordCount(set), 0);
    }
    EXPECT_FALSE(OpenRecordSet(set, "  -- nothing here\n", RecordSource::SqlStatement));
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace qingwu::test
