#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "store/record_set.h"
#include "store/tables.h"
#include "tests/support/temp_run_dir.h"
#include "text/gbk.h"

namespace qingwu::test {

// GBK text of a UTF-8 literal, and back: the program's texts are GBK, the test sources UTF-8.
inline Text G(std::string_view utf8) {
    return Utf8ToGbk(utf8);
}
inline std::string U(TextView gbk) {
    return GbkToUtf8(gbk);
}

// A fresh run directory with db1.mdb open on connection `db1` and record set `set` bound to it;
// every message of the store's error sink is kept in `messages`.
class StoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        db1.SetErrorSink([this](const std::string& message) { messages.push_back(message); });
        ASSERT_TRUE(OpenDatabase(db1, dir.DataPath("db1.mdb"), ""));
        BindRecordSet(set, db1);
    }

    // Puts a row on the shelf: title, author, book id, bookmark, id prefix, chapter, website.
    void Shelve(const std::vector<std::string>& fields) {
        ASSERT_EQ(fields.size(), 7u);
        std::string sql = "insert into 书签列表 values (";
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string quoted;
            for (const char c : fields[i]) {
                quoted += c;
                if (c == '\'') {
                    quoted += '\'';
                }
            }
            sql += (i == 0 ? "'" : ", '") + quoted + "'";
        }
        ASSERT_TRUE(dir.ExecDb1(sql + ")"));
    }

    TempRunDir dir;
    DatabaseConnection db1;
    RecordSet set;
    std::vector<std::string> messages;
};

}  // namespace qingwu::test
