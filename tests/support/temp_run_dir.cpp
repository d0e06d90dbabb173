#include "tests/support/temp_run_dir.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "store/database_maker.h"

namespace qingwu::test {

namespace {

[[noreturn]] void SetupFailed(const std::string& what) {
    std::fprintf(stderr, "TempRunDir: %s\n", what.c_str());
    std::abort();
}

struct Closer {
    void operator()(sqlite3* db) const noexcept { sqlite3_close_v2(db); }
};
struct Finalizer {
    void operator()(sqlite3_stmt* stmt) const noexcept { sqlite3_finalize(stmt); }
};
using Db = std::unique_ptr<sqlite3, Closer>;
using Stmt = std::unique_ptr<sqlite3_stmt, Finalizer>;

// Opens an existing file read-write; null, with a message, when it cannot be opened.
Db OpenExisting(const std::string& file) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK) {
        std::fprintf(stderr, "TempRunDir: %s: %s\n", file.c_str(),
                     raw != nullptr ? sqlite3_errmsg(raw) : "cannot open");
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), 2000);
    return db;
}

}  // namespace

TempRunDir::TempRunDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/qingwu-run-XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        SetupFailed("cannot make a temporary directory from " + pattern);
    }
    path_ = pattern;
    std::error_code ec;
    std::filesystem::create_directory(path_ + "/data", ec);
    if (ec) {
        SetupFailed(path_ + "/data: " + ec.message());
    }
    const std::string source = std::string(QINGWU_SOURCE_DIR) + "/data/";
    const struct {
        const char* file;
        std::vector<std::string> scripts;
    } databases[] = {
        {"db1.mdb", {source + "db1.sql"}},
        {"sk.mdb", {source + "sk.schema.sql", source + "sk.rows.sql"}},
    };
    for (const auto& database : databases) {
        std::string error;
        if (MakeDatabaseFile(DataPath(database.file), database.scripts, error) !=
            MakeResult::Created) {
            SetupFailed(DataPath(database.file) + ": " + error);
        }
    }
}

TempRunDir::~TempRunDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);  // best effort: a leftover temp folder harms nothing
}

std::string TempRunDir::DataPath(std::string_view name) const {
    return path_ + "/data/" + std::string(name);
}

bool TempRunDir::ExecDb1(std::string_view sql) const {
    return Exec(DataPath("db1.mdb"), sql);
}
bool TempRunDir::ExecSk(std::string_view sql) const {
    return Exec(DataPath("sk.mdb"), sql);
}

TempRunDir::Rows TempRunDir::QueryDb1(std::string_view sql) const {
    return Query(DataPath("db1.mdb"), sql);
}
TempRunDir::Rows TempRunDir::QuerySk(std::string_view sql) const {
    return Query(DataPath("sk.mdb"), sql);
}

bool TempRunDir::Exec(const std::string& file, std::string_view sql) {
    Db db = OpenExisting(file);
    if (db == nullptr) {
        return false;
    }
    char* message = nullptr;
    const std::string text(sql);
    if (sqlite3_exec(db.get(), text.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::fprintf(stderr, "TempRunDir: %s: %s\n  in: %s\n", file.c_str(),
                     message != nullptr ? message : sqlite3_errmsg(db.get()), text.c_str());
        sqlite3_free(message);
        return false;
    }
    return true;
}

TempRunDir::Rows TempRunDir::Query(const std::string& file, std::string_view sql) {
    Db db = OpenExisting(file);
    if (db == nullptr) {
        return {};
    }
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.data(), static_cast<int>(sql.size()), &raw, nullptr) !=
        SQLITE_OK) {
        std::fprintf(stderr, "TempRunDir: %s: %s\n", file.c_str(), sqlite3_errmsg(db.get()));
        return {};
    }
    Stmt stmt(raw);
    Rows rows;
    int rc = SQLITE_ROW;
    while (stmt != nullptr && (rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        std::vector<std::string>& row = rows.emplace_back();
        for (int i = 0; i < sqlite3_column_count(stmt.get()); ++i) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), i));
            row.emplace_back(text != nullptr
                                 ? std::string(text, static_cast<std::size_t>(
                                                         sqlite3_column_bytes(stmt.get(), i)))
                                 : std::string("<null>"));
        }
    }
    if (stmt != nullptr && rc != SQLITE_DONE) {
        std::fprintf(stderr, "TempRunDir: %s: %s\n", file.c_str(), sqlite3_errmsg(db.get()));
        return {};
    }
    return rows;
}

}  // namespace qingwu::test
