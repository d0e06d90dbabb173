#include <gtest/gtest.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>

#include "tests/store/store_fixture.h"

namespace qingwu::test {
namespace {

using Rows = TempRunDir::Rows;

// The settings rewrite, stopped after `steps` of its four steps when steps < 4.
void RewriteSettings(RecordSet& set, int steps, const std::function<void()>& stop) {
    OpenRecordSet(set, table::kSettings, RecordSource::TableName);
    DeleteRecords(set, DeleteScope::WholeTable);
    if (steps == 1) {
        stop();
    }
    AddRecord(set);
    WriteInteger(set, settings_pos::kFontSize, 1);
    WriteInteger(set, settings_pos::kBackgroundColour, 3);
    if (steps == 3) {
        stop();
    }
    SaveRecord(set);
}

TEST_F(StoreTest, TransactionCommitsTheWholeRewrite) {
    InTransaction(set, [&] { RewriteSettings(set, 4, [] {}); });
    EXPECT_EQ(dir.QueryDb1("select * from 设置"), (Rows{{"1", "3"}}));
    EXPECT_EQ(ReadInteger(set, settings_pos::kBackgroundColour), 3);
}

// An inner transaction becomes part of the outer one: it is undone with it.
TEST_F(StoreTest, NestedTransactionJoinsTheOuterOne) {
    EXPECT_THROW(InTransaction(set,
                               [&] {
                                   InTransaction(set, [&] { RewriteSettings(set, 4, [] {}); });
                                   throw std::runtime_error("stop");
                               }),
                 std::runtime_error);
    EXPECT_EQ(dir.QueryDb1("select * from 设置"), (Rows{{"2", "0"}}));
    InTransaction(set, [&] { InTransaction(set, [&] { RewriteSettings(set, 4, [] {}); }); });
    EXPECT_EQ(dir.QueryDb1("select * from 设置"), (Rows{{"1", "3"}}));
}

// When the work throws, the table and the set are what they were before.
TEST_F(StoreTest, TransactionRollsBackWorkThatThrows) {
    ASSERT_TRUE(OpenRecordSet(set, table::kSettings, RecordSource::TableName));
    EXPECT_THROW(
        InTransaction(set,
                      [&] { RewriteSettings(set, 1, [] { throw std::runtime_error("stop"); }); }),
        std::runtime_error);
    EXPECT_EQ(dir.QueryDb1("select * from 设置"), (Rows{{"2", "0"}}));
    EXPECT_EQ(RecordCount(set), 1);
    EXPECT_EQ(ReadInteger(set, settings_pos::kFontSize), 2);
}

// The process dies half-way through the rewrite. Inside a transaction the delivered row
// survives; without one the table would be left empty (the control case shows the test sees it).
using StoreDeathTest = StoreTest;
TEST_F(StoreDeathTest, ProcessDyingMidRewriteKeepsTheSettingsRow) {
    struct Case {
        const char* name;
        bool inTransaction;
        int steps;
        Rows rows;
    };
    const Case cases[] = {
        {"dies after the delete", true, 1, {{"2", "0"}}},
        {"dies before the save", true, 3, {{"2", "0"}}},
        {"no transaction, dies after the delete", false, 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(dir.ExecDb1("delete from 设置; insert into 设置 values (2, 0)"));
        EXPECT_EXIT(
            {
                // A connection of the child's own: SQLite handles never cross a fork.
                DatabaseConnection own;
                RecordSet ownSet;
                OpenDatabase(own, dir.DataPath("db1.mdb"), "");
                BindRecordSet(ownSet, own);
                const auto die = [] { _exit(7); };
                if (c.inTransaction) {
                    InTransaction(ownSet, [&] { RewriteSettings(ownSet, c.steps, die); });
                } else {
                    RewriteSettings(ownSet, c.steps, die);
                }
                _exit(0);
            },
            ::testing::ExitedWithCode(7), "");
        EXPECT_EQ(dir.QueryDb1("select * from 设置"), c.rows);
    }
}

}  // namespace
}  // namespace qingwu::test
