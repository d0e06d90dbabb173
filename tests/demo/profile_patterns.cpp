#include "tests/demo/profile_patterns.h"

#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>

#include "store/tables.h"
#include "text/gbk.h"

#include "web/regex_matcher.h"

namespace qingwu::demo::testing {
namespace {

struct SqliteClose {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct SqliteFinalize {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exec(sqlite3* db, const std::string& sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        error = message != nullptr ? message : "sqlite3_exec failed";
        sqlite3_free(message);
        return false;
    }
    return true;
}

}  // namespace

ProfileRows LoadDeliveredProfiles() {
    ProfileRows result;
    const std::filesystem::path dataDir = std::filesystem::path(QINGWU_SOURCE_DIR) / "data";
    sqlite3* raw = nullptr;
    if (sqlite3_open(":memory:", &raw) != SQLITE_OK) {
        sqlite3_close(raw);
        result.error = "cannot open an in-memory database";
        return result;
    }
    const std::unique_ptr<sqlite3, SqliteClose> db(raw);
    if (!Exec(db.get(), ReadFile(dataDir / "sk.schema.sql"), result.error) ||
        !Exec(db.get(), ReadFile(dataDir / "sk.rows.sql"), result.error)) {
        return result;
    }
    sqlite3_stmt* rawStatement = nullptr;
    const std::string select = "SELECT * FROM " + std::string(table::kSites);
    if (sqlite3_prepare_v2(db.get(), select.c_str(), -1, &rawStatement, nullptr) != SQLITE_OK) {
        result.error = sqlite3_errmsg(db.get());
        return result;
    }
    const std::unique_ptr<sqlite3_stmt, SqliteFinalize> statement(rawStatement);
    const int columns = sqlite3_column_count(statement.get());
    for (int c = 0; c < columns; ++c) {
        result.columns.emplace_back(sqlite3_column_name(statement.get(), c));
    }
    while (sqlite3_step(statement.get()) == SQLITE_ROW) {
        std::map<std::string, Text> row;
        for (int c = 0; c < columns; ++c) {
            const auto* text =
                reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), c));
            row[result.columns[c]] = Utf8ToGbk(text != nullptr ? text : "");
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

std::vector<std::vector<Text>> MatchGroups(const Text& pattern, const Text& page) {
    std::vector<std::vector<Text>> matches;
    RegexMatcher matcher;
    if (!matcher.Create(pattern, true, false, true)) {
        return matches;
    }
    const int count = matcher.Execute(page);
    const int groups = matcher.SubMatchCount();
    for (int m = 1; m <= count; ++m) {
        std::vector<Text> values;
        for (int g = 1; g <= groups; ++g) {
            values.push_back(matcher.SubMatchText(m, g));
        }
        matches.push_back(std::move(values));
    }
    return matches;
}

}  // namespace qingwu::demo::testing
