#include "store/sqlite_handles.h"

#include <sqlite3.h>

namespace qingwu::store_detail {

void DbCloser::operator()(sqlite3* db) const noexcept {
    // The store keeps no statement open between calls, so a plain close always succeeds; the
    // v2 form still frees the handle should one be left.
    sqlite3_close_v2(db);
}

void StmtFinalizer::operator()(sqlite3_stmt* stmt) const noexcept {
    sqlite3_finalize(stmt);
}

Prepared Prepare(sqlite3* db, std::string_view sql) {
    Prepared result;
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    result.rc = sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &raw, &tail);
    result.stmt.reset(raw);
    if (tail != nullptr) {
        result.tail = sql.substr(static_cast<std::size_t>(tail - sql.data()));
    }
    return result;
}

bool HoldsNoStatement(sqlite3* db, std::string_view text) {
    while (!text.empty()) {
        Prepared next = Prepare(db, text);
        if (next.rc != SQLITE_OK || next.stmt != nullptr) {
            return false;
        }
        if (next.tail.size() >= text.size()) {
            return false;  // no progress: cannot happen, but never loop forever
        }
        text = next.tail;
    }
    return true;
}

bool RunToEnd(sqlite3_stmt* stmt) {
    int rc = SQLITE_ROW;
    while (rc == SQLITE_ROW) {
        rc = sqlite3_step(stmt);
    }
    return rc == SQLITE_DONE;
}

std::string QuoteIdentifier(std::string_view name) {
    std::string quoted;
    quoted.reserve(name.size() + 2);
    quoted.push_back('"');
    for (const char c : name) {
        if (c == '"') {
            quoted.push_back('"');
        }
        quoted.push_back(c);
    }
    quoted.push_back('"');
    return quoted;
}

}  // namespace qingwu::store_detail
