#pragma once

#include <memory>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace qingwu::store_detail {

// Owners of SQLite's handles: a connection is closed and a statement finalised exactly once.
struct DbCloser {
    void operator()(sqlite3* db) const noexcept;
};
struct StmtFinalizer {
    void operator()(sqlite3_stmt* stmt) const noexcept;
};
using DbHandle = std::unique_ptr<sqlite3, DbCloser>;
using StmtHandle = std::unique_ptr<sqlite3_stmt, StmtFinalizer>;

// The result of compiling the first statement of an SQL text.
struct Prepared {
    StmtHandle stmt;        // null on an error, and for a text of only blanks and comments
    int rc = 0;             // SQLite's result code of the compilation
    std::string_view tail;  // what follows the first statement
};

// Compiles the first statement of sql on db.
Prepared Prepare(sqlite3* db, std::string_view sql);

// True when text holds nothing but blanks, semicolons and comments.
bool HoldsNoStatement(sqlite3* db, std::string_view text);

// Runs a statement that yields no rows to its end; false (SQLite's message in db) on an error.
bool RunToEnd(sqlite3_stmt* stmt);

// name as an SQL identifier in double quotes, embedded quotes doubled.
std::string QuoteIdentifier(std::string_view name);

}  // namespace qingwu::store_detail
