#pragma once

struct sqlite3;

namespace qingwu::store_detail {

// A write transaction on one connection: BEGIN IMMEDIATE when made, ROLLBACK when destroyed
// unless Commit succeeded. Should the process die before the commit, SQLite's journal undoes the
// work when the file is next opened.
class Transaction {
  public:
    explicit Transaction(sqlite3* db);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // Whether BEGIN succeeded (it fails on a closed connection or a file locked for too long).
    bool Active() const { return active_; }

    // COMMIT; true when the work is stored. On failure the destructor rolls back.
    bool Commit();

  private:
    sqlite3* db_;
    bool active_ = false;
};

}  // namespace qingwu::store_detail
