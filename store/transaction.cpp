#include "store/transaction.h"

#include <sqlite3.h>

namespace qingwu::store_detail {

Transaction::Transaction(sqlite3* db) : db_(db) {
    active_ = db_ != nullptr &&
              sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
}

Transaction::~Transaction() {
    // SQLite may already have rolled back on its own after an I/O error; then there is nothing
    // left to undo.
    if (active_ && sqlite3_get_autocommit(db_) == 0) {
        sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    }
}

bool Transaction::Commit() {
    if (!active_) {
        return false;
    }
    if (sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return false;
    }
    active_ = false;
    return true;
}

}  // namespace qingwu::store_detail
