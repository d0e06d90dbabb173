#include <gtest/gtest.h>
#include <sqlite3.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "store/record_set.h"
#include "store/tables.h"
#include "tests/support/temp_run_dir.h"

namespace qingwu::test {
namespace {

struct Closer {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};

// A file that cannot be used leaves the connection closed without a word; every statement on it
// then reports SQLite's message and finds nothing. The file is never created.
TEST(DatabaseConnectionTest, UnusableFileLeavesTheConnectionClosed) {
    TempRunDir dir;
    struct Case {
        const char* name;
        std::string path;
        const char* contents;  // written to path first unless null
    };
    const Case cases[] = {
        {"missing file", dir.DataPath("none.mdb"), nullptr},
        {"missing folder", dir.Path() + "/no-such-folder/db1.mdb", nullptr},
        {"not a database", dir.DataPath("text.mdb"), "this is not a database file, only text\n"},
        {"empty path", "", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.contents != nullptr) {
            std::ofstream(c.path) << c.contents;
        }
        std::vector<std::string> messages;
        DatabaseConnection connection;
        connection.SetErrorSink([&](const std::string& m) { messages.push_back(m); });
        EXPECT_FALSE(OpenDatabase(connection, c.path, ""));
        EXPECT_FALSE(connection.IsOpen());
        EXPECT_EQ(std::filesystem::exists(c.path), c.contents != nullptr);
        EXPECT_TRUE(messages.empty());

        RecordSet set;
        BindRecordSet(set, connection);
        EXPECT_FALSE(OpenRecordSet(set, table::kSettings, RecordSource::TableName));
        EXPECT_EQ(messages, std::vector<std::string>{"unable to open database file"});
        EXPECT_EQ(RecordCount(set), 0);
        EXPECT_EQ(ReadInteger(set, settings_pos::kFontSize), 0);
        EXPECT_FALSE(DeleteRecords(set, DeleteScope::WholeTable));
    }
}

// Reopening a connection on a missing file closes what it had open.
TEST(DatabaseConnectionTest, ReopeningClosesTheOpenFileFirst) {
    TempRunDir dir;
    DatabaseConnection connection;
    ASSERT_TRUE(OpenDatabase(connection, dir.DataPath("db1.mdb"), ""));
    EXPECT_FALSE(OpenDatabase(connection, dir.DataPath("gone.mdb"), ""));
    EXPECT_FALSE(connection.IsOpen());
    EXPECT_TRUE(OpenDatabase(connection, dir.DataPath("sk.mdb"), ""));
    RecordSet set;
    BindRecordSet(set, connection);
    EXPECT_TRUE(OpenRecordSet(set, table::kSites, RecordSource::TableName));
}

// A file another process keeps locked fails after the busy timeout instead of hanging.
TEST(DatabaseConnectionTest, LockedFileFailsWithinTheBusyTimeout) {
    TempRunDir dir;
    sqlite3* raw = nullptr;
    ASSERT_EQ(
        sqlite3_open_v2(dir.DataPath("db1.mdb").c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr),
        SQLITE_OK);
    std::unique_ptr<sqlite3, Closer> holder(raw);
    ASSERT_EQ(sqlite3_exec(raw, "begin exclusive; delete from 设置;", nullptr, nullptr, nullptr),
              SQLITE_OK);

    DatabaseConnection connection;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(OpenDatabase(connection, dir.DataPath("db1.mdb"), ""));
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(1500));
    EXPECT_LT(waited, std::chrono::seconds(10));
}

}  // namespace
}  // namespace qingwu::test
