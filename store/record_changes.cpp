#include <sqlite3.h>

#include <cstddef>
#include <optional>
#include <utility>

#include "store/record_set_state.h"
#include "store/transaction.h"
#include "text/gbk.h"

// Changing records: pending writes, saving, adding, deleting, moving on, transactions.

namespace qingwu {

using store_detail::Column;
using store_detail::CurrentRecord;
using store_detail::DbHandle;
using store_detail::DbOf;
using store_detail::FieldIndex;
using store_detail::FieldValue;
using store_detail::Fill;
using store_detail::Prepare;
using store_detail::Prepared;
using store_detail::QuoteIdentifier;
using store_detail::Record;
using store_detail::State;
using store_detail::StmtHandle;
using store_detail::ValueKind;

namespace {

bool BindField(sqlite3_stmt* stmt, int index, const FieldValue& value) {
    if (value.kind == ValueKind::Integer) {
        return sqlite3_bind_int64(stmt, index, value.integer) == SQLITE_OK;
    }
    const std::string utf8 = GbkToUtf8(value.text);
    return sqlite3_bind_text(stmt, index, utf8.data(), static_cast<int>(utf8.size()),
                             SQLITE_TRANSIENT) == SQLITE_OK;
}

std::string ColumnList(const State& s) {
    std::string list;
    for (const Column& column : s.columns) {
        if (!list.empty()) {
            list.append(", ");
        }
        list.append(QuoteIdentifier(column.origin));
    }
    return list;
}

// Reads the stored row of record back into it, so that the snapshot holds what the table holds
// (SQLite may have converted a value to the column's type). False when the row is gone.
bool Reread(const State& s, sqlite3* db, Record& record) {
    const std::string text =
        "select " + ColumnList(s) + " from " + QuoteIdentifier(s.table) + " where rowid = ?";
    Prepared select = Prepare(db, text);
    if (select.rc != SQLITE_OK || select.stmt == nullptr) {
        return false;
    }
    sqlite3_stmt* stmt = select.stmt.get();
    sqlite3_bind_int64(stmt, 1, record.rowid);
    if (sqlite3_step(stmt) != SQLITE_ROW) {
        return false;
    }
    for (std::size_t i = 0; i < s.columns.size(); ++i) {
        record.values[i] = store_detail::ReadValue(stmt, static_cast<int>(i));
    }
    return true;
}

// Writes the pending changes of the current record to its row (or inserts the new record);
// false, with the set unchanged, when the store refuses.
bool Save(State& s) {
    Record* record = CurrentRecord(s);
    sqlite3* db = DbOf(s);
    if (record == nullptr || s.table.empty() || db == nullptr ||
        (!record->isNew && !s.hasPending)) {
        return false;
    }
    std::vector<int> changed;
    for (std::size_t i = 0; i < s.pending.size(); ++i) {
        if (s.pending[i].has_value()) {
            changed.push_back(static_cast<int>(i));
        }
    }
    std::string text;
    const std::string table = QuoteIdentifier(s.table);
    if (record->isNew) {
        if (changed.empty()) {
            text = "insert into " + table + " default values";
        } else {
            std::string names;
            std::string marks;
            for (const int i : changed) {
                names.append(names.empty() ? "" : ", ")
                    .append(QuoteIdentifier(s.columns[i].origin));
                marks.append(marks.empty() ? "?" : ", ?");
            }
            text = "insert into " + table + " (" + names + ") values (" + marks + ")";
        }
    } else {
        std::string assignments;
        for (const int i : changed) {
            assignments.append(assignments.empty() ? "" : ", ")
                .append(QuoteIdentifier(s.columns[i].origin))
                .append(" = ?");
        }
        text = "update " + table + " set " + assignments + " where rowid = ?";
    }
    Prepared statement = Prepare(db, text);
    if (statement.rc != SQLITE_OK || statement.stmt == nullptr) {
        return false;
    }
    sqlite3_stmt* stmt = statement.stmt.get();
    int index = 1;
    for (const int i : changed) {
        if (!BindField(stmt, index++, *s.pending[i])) {
            return false;
        }
    }
    if (!record->isNew && sqlite3_bind_int64(stmt, index, record->rowid) != SQLITE_OK) {
        return false;
    }
    if (!store_detail::RunToEnd(stmt)) {
        return false;
    }
    if (record->isNew) {
        record->rowid = sqlite3_last_insert_rowid(db);
        record->hasRowid = true;
        record->isNew = false;
    }
    if (!Reread(s, db, *record)) {
        // Another connection removed the row meanwhile: keep what was written.
        for (const int i : changed) {
            record->values[i] = *s.pending[i];
        }
    }
    s.ClearPending();
    return true;
}

}  // namespace

void WriteText(RecordSet& recordSet, FieldRef field, const Text& value) {
    State& s = RecordSetAccess::Of(recordSet);
    const int i = CurrentRecord(s) != nullptr && !s.table.empty() ? FieldIndex(s, field) : -1;
    if (i < 0) {
        return;
    }
    s.pending[i] = FieldValue{ValueKind::Text, 0, value};
    s.hasPending = true;
}

void WriteInteger(RecordSet& recordSet, FieldRef field, long long value) {
    State& s = RecordSetAccess::Of(recordSet);
    const Record* record = CurrentRecord(s);
    const int i = record != nullptr && !s.table.empty() ? FieldIndex(s, field) : -1;
    if (i < 0 || !store_detail::AcceptsInteger(s.columns[i], record->values[i])) {
        return;
    }
    s.pending[i] = FieldValue{ValueKind::Integer, value, std::to_string(value)};
    s.hasPending = true;
}

void AddRecord(RecordSet& recordSet) {
    State& s = RecordSetAccess::Of(recordSet);
    if (!s.open || s.kind != RecordSource::TableName || s.table.empty()) {
        return;
    }
    // Like moving away from a record, starting a new one stores the changes of the current one.
    if (s.hasPending) {
        Save(s);
    }
    Record record;
    record.isNew = true;
    record.values.resize(s.columns.size());
    s.records.push_back(std::move(record));
    s.current = s.records.size() - 1;
    ++s.live;
    s.ClearPending();
}

bool SaveRecord(RecordSet& recordSet) {
    return Save(RecordSetAccess::Of(recordSet));
}

std::string LastStoreError(const RecordSet& recordSet) {
    sqlite3* db = DbOf(RecordSetAccess::Of(const_cast<RecordSet&>(recordSet)));
    return db == nullptr ? std::string() : std::string(sqlite3_errmsg(db));
}

bool DeleteRecords(RecordSet& recordSet, DeleteScope scope) {
    State& s = RecordSetAccess::Of(recordSet);
    sqlite3* db = DbOf(s);
    if (db == nullptr || !s.open) {
        return false;
    }
    if (scope == DeleteScope::WholeTable) {
        if (s.kind != RecordSource::TableName) {
            return false;
        }
        Prepared remove = Prepare(db, "delete from " + QuoteIdentifier(s.source));
        if (remove.rc != SQLITE_OK || remove.stmt == nullptr ||
            !store_detail::RunToEnd(remove.stmt.get())) {
            return false;
        }
        const std::string source = s.source;
        Fill(s, source, RecordSource::TableName, {});
        return s.open && s.live == 0;
    }
    Record* record = CurrentRecord(s);
    if (record == nullptr || s.table.empty()) {
        return false;
    }
    // A new record never stored needs no statement: it is only dropped from the snapshot.
    if (!record->isNew) {
        Prepared remove =
            Prepare(db, "delete from " + QuoteIdentifier(s.table) + " where rowid = ?");
        if (remove.rc != SQLITE_OK || remove.stmt == nullptr ||
            sqlite3_bind_int64(remove.stmt.get(), 1, record->rowid) != SQLITE_OK ||
            !store_detail::RunToEnd(remove.stmt.get())) {
            return false;
        }
    }
    record->deleted = true;
    --s.live;
    s.ClearPending();
    return true;
}

void MoveNext(RecordSet& recordSet) {
    State& s = RecordSetAccess::Of(recordSet);
    if (!s.open || s.current >= s.records.size()) {
        return;
    }
    // Moving away from a record stores its pending changes rather than losing them.
    if (s.hasPending) {
        Save(s);
    }
    ++s.current;
    s.ClearPending();
}

void InTransaction(RecordSet& recordSet, const std::function<void()>& fn) {
    State& s = RecordSetAccess::Of(recordSet);
    sqlite3* db = DbOf(s);
    // Without an open file fn's statements fail on their own (and say so); inside a transaction
    // already running, fn simply becomes part of it.
    if (db == nullptr || sqlite3_get_autocommit(db) == 0) {
        fn();
        return;
    }
    store_detail::Transaction transaction(db);
    if (!transaction.Active()) {
        // The file is locked by another program. Running fn's writes one by one could leave
        // half of them done should the lock go away in between (设置 without its row, or with
        // two), so nothing is written and the store's reason is reported instead.
        const std::string reason = sqlite3_errmsg(db);
        if (s.connection != nullptr && s.connection->ErrorSink()) {
            s.connection->ErrorSink()(reason);
        }
        return;
    }
    // Rolled-back work must not linger in the snapshot either: the set goes back to what it held.
    struct Restore {
        State& s;
        State before;
        bool keep = false;
        ~Restore() {
            if (!keep) {
                s = std::move(before);
            }
        }
    } restore{s, s};
    fn();
    restore.keep = transaction.Commit();
}

}  // namespace qingwu
