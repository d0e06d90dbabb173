#include "store/record_set.h"

#include <sqlite3.h>

#include <cstddef>
#include <optional>
#include <utility>

#include "store/record_snapshot.h"
#include "store/sqlite_handles.h"
#include "store/transaction.h"
#include "store/updatable_statement.h"
#include "text/gbk.h"

namespace qingwu {

using store_detail::Column;
using store_detail::DbHandle;
using store_detail::FieldValue;
using store_detail::Prepare;
using store_detail::Prepared;
using store_detail::QuoteIdentifier;
using store_detail::Record;
using store_detail::StmtHandle;
using store_detail::ValueKind;

// How long a statement waits for a file another process holds locked before it gives up.
constexpr int kBusyTimeoutMs = 2000;

struct DatabaseConnection::Impl {
    DbHandle db;
    StoreErrorSink sink;
};

DatabaseConnection::DatabaseConnection() : impl_(std::make_unique<Impl>()) {}
DatabaseConnection::~DatabaseConnection() = default;

bool DatabaseConnection::IsOpen() const {
    return impl_->db != nullptr;
}
sqlite3* DatabaseConnection::Handle() const {
    return impl_->db.get();
}
void DatabaseConnection::SetErrorSink(StoreErrorSink sink) {
    impl_->sink = std::move(sink);
}
const StoreErrorSink& DatabaseConnection::ErrorSink() const {
    return impl_->sink;
}

struct RecordSet::Impl {
    DatabaseConnection* connection = nullptr;
    bool open = false;
    // What the set was opened from, so that WholeTable can read it again.
    std::string source;
    RecordSource kind = RecordSource::SqlStatement;
    std::vector<Text> values;
    // The table saved changes go to; empty for a set whose records are not rows of one table.
    std::string table;
    std::vector<Column> columns;
    std::vector<Record> records;
    std::size_t live = 0;     // records not deleted
    std::size_t current = 0;  // records.size() when there is no current record
    std::vector<std::optional<FieldValue>> pending;  // one slot per column
    bool hasPending = false;

    // Forgets everything but the connection.
    void Reset() {
        DatabaseConnection* keep = connection;
        *this = Impl{};
        connection = keep;
    }
    void ClearPending() {
        pending.assign(columns.size(), std::nullopt);
        hasPending = false;
    }
};

// The record operations are free functions; this gives them the set's state.
struct RecordSetAccess {
    using State = RecordSet::Impl;
    static State& Of(RecordSet& set) { return *set.impl_; }
    static const State& Of(const RecordSet& set) { return *set.impl_; }
};

RecordSet::RecordSet() : impl_(std::make_unique<Impl>()) {}
RecordSet::~RecordSet() = default;

namespace {

using State = RecordSetAccess::State;

// Message for a statement on a connection whose file could not be opened: SQLite's own wording
// for that case.
const char* ClosedConnectionMessage() {
    return sqlite3_errstr(SQLITE_CANTOPEN);
}

// Message for a source holding more than one statement; SQLite has no wording of its own.
constexpr const char* kSeveralStatementsMessage = "一次只能执行一条语句";

void Report(const DatabaseConnection& connection, const std::string& utf8Message) {
    if (connection.ErrorSink()) {
        connection.ErrorSink()(utf8Message);
    }
}

sqlite3* DbOf(const State& s) {
    return s.connection != nullptr ? s.connection->Handle() : nullptr;
}

// Binds values (GBK) to the placeholders of stmt in order; false when the numbers differ.
bool BindValues(sqlite3_stmt* stmt, const std::vector<Text>& values) {
    if (sqlite3_bind_parameter_count(stmt) != static_cast<int>(values.size())) {
        return false;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const std::string utf8 = GbkToUtf8(values[i]);
        if (sqlite3_bind_text(stmt, static_cast<int>(i) + 1, utf8.data(),
                              static_cast<int>(utf8.size()), SQLITE_TRANSIENT) != SQLITE_OK) {
            return false;
        }
    }
    return true;
}

bool BindField(sqlite3_stmt* stmt, int index, const FieldValue& value) {
    if (value.kind == ValueKind::Integer) {
        return sqlite3_bind_int64(stmt, index, value.integer) == SQLITE_OK;
    }
    const std::string utf8 = GbkToUtf8(value.text);
    return sqlite3_bind_text(stmt, index, utf8.data(), static_cast<int>(utf8.size()),
                             SQLITE_TRANSIENT) == SQLITE_OK;
}

bool SameColumnNames(sqlite3_stmt* shifted, sqlite3_stmt* original) {
    const int count = sqlite3_column_count(original);
    if (sqlite3_column_count(shifted) != count + 1) {
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const char* a = sqlite3_column_name(shifted, i + 1);
        const char* b = sqlite3_column_name(original, i);
        if (a == nullptr || b == nullptr || std::string_view(a) != std::string_view(b)) {
            return false;
        }
    }
    return true;
}

// The form of the statement that also yields each record's row id, and its table, when the
// records of original are rows of one table.
std::optional<std::pair<StmtHandle, std::string>> RowidForm(sqlite3* db, sqlite3_stmt* original,
                                                            std::string_view source,
                                                            RecordSource kind,
                                                            const std::vector<Text>& values) {
    if (sqlite3_stmt_readonly(original) == 0) {
        return std::nullopt;
    }
    const std::string table = store_detail::SourceTable(original, 0);
    if (table.empty()) {
        return std::nullopt;
    }
    std::string text;
    if (kind == RecordSource::TableName) {
        // A view's columns come from its base table: only a table's own name qualifies.
        if (sqlite3_stricmp(table.c_str(), std::string(source).c_str()) != 0) {
            return std::nullopt;
        }
        text = "select rowid, * from " + QuoteIdentifier(source);
    } else {
        text = store_detail::WithRowid(source);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    Prepared shifted = Prepare(db, text);
    if (shifted.rc != SQLITE_OK || shifted.stmt == nullptr) {
        return std::nullopt;  // e.g. a table without row ids, or an ambiguous rowid in a join
    }
    sqlite3_stmt* stmt = shifted.stmt.get();
    const char* rowidTable = sqlite3_column_table_name(stmt, 0);
    const char* rowidDatabase = sqlite3_column_database_name(stmt, 0);
    if (rowidTable == nullptr || rowidDatabase == nullptr ||
        sqlite3_stricmp(rowidTable, table.c_str()) != 0 ||
        sqlite3_stricmp(rowidDatabase, "main") != 0 || !SameColumnNames(stmt, original) ||
        store_detail::SourceTable(stmt, 1) != table || !BindValues(stmt, values)) {
        return std::nullopt;
    }
    return std::make_pair(std::move(shifted.stmt), table);
}

// Discards what s held and fills it from source; see OpenRecordSet.
bool Fill(State& s, std::string_view source, RecordSource kind, const std::vector<Text>& values) {
    s.Reset();
    if (source.empty() || s.connection == nullptr) {
        return false;
    }
    const DatabaseConnection& connection = *s.connection;
    sqlite3* db = connection.Handle();
    if (db == nullptr) {
        Report(connection, ClosedConnectionMessage());
        return false;
    }
    const std::string plainText = kind == RecordSource::TableName
                                      ? "select * from " + QuoteIdentifier(source)
                                      : std::string(source);
    Prepared plain = Prepare(db, plainText);
    if (plain.rc != SQLITE_OK) {
        Report(connection, sqlite3_errmsg(db));
        return false;
    }
    if (plain.stmt == nullptr) {
        return false;  // only blanks and comments: as good as an empty source
    }
    if (!store_detail::HoldsNoStatement(db, plain.tail)) {
        Report(connection, kSeveralStatementsMessage);
        return false;
    }
    if (!BindValues(plain.stmt.get(), values)) {
        Report(connection, sqlite3_errstr(SQLITE_RANGE));
        return false;
    }

    StmtHandle rows;
    int first = 0;
    std::string table;
    if (auto rowid = RowidForm(db, plain.stmt.get(), source, kind, values)) {
        rows = std::move(rowid->first);
        table = std::move(rowid->second);
        first = 1;
    } else {
        rows = std::move(plain.stmt);
    }

    sqlite3_stmt* stmt = rows.get();
    std::vector<Column> columns = store_detail::DescribeColumns(stmt, first);
    std::vector<Record> records;
    const int count = sqlite3_column_count(stmt);
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Record record;
        if (first == 1) {
            record.rowid = sqlite3_column_int64(stmt, 0);
            record.hasRowid = true;
        }
        record.values.reserve(columns.size());
        for (int i = first; i < count; ++i) {
            record.values.push_back(store_detail::ReadValue(stmt, i));
        }
        records.push_back(std::move(record));
    }
    if (rc != SQLITE_DONE) {
        Report(connection, sqlite3_errmsg(db));
        return false;
    }

    s.open = true;
    s.source = std::string(source);
    s.kind = kind;
    s.values = values;
    s.table = std::move(table);
    s.columns = std::move(columns);
    s.records = std::move(records);
    s.live = s.records.size();
    s.current = 0;
    s.ClearPending();
    return true;
}

Record* CurrentRecord(State& s) {
    if (!s.open || s.current >= s.records.size() || s.records[s.current].deleted) {
        return nullptr;
    }
    return &s.records[s.current];
}

const Record* CurrentRecord(const State& s) {
    return CurrentRecord(const_cast<State&>(s));
}

// The position of field among the set's columns; -1 when there is none. Names compare as SQLite
// compares identifiers (ASCII letters without regard to case).
int FieldIndex(const State& s, FieldRef field) {
    const int count = static_cast<int>(s.columns.size());
    if (const int* position = std::get_if<int>(&field)) {
        return (*position >= 0 && *position < count) ? *position : -1;
    }
    const std::string name(std::get<std::string_view>(field));
    for (int i = 0; i < count; ++i) {
        if (sqlite3_stricmp(s.columns[i].name.c_str(), name.c_str()) == 0) {
            return i;
        }
    }
    return -1;
}

const FieldValue* VisibleValue(const State& s, FieldRef field) {
    const Record* record = CurrentRecord(s);
    const int i = record != nullptr ? FieldIndex(s, field) : -1;
    if (i < 0) {
        return nullptr;
    }
    if (s.pending[i].has_value()) {
        return &*s.pending[i];
    }
    return &record->values[i];
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

bool OpenDatabase(DatabaseConnection& connection, std::string_view path,
                  std::string_view /*password: the files carry none*/) {
    connection.impl_->db.reset();
    if (path.empty()) {
        return false;
    }
    std::string file(path);
    if (file.starts_with("file:")) {
        file.insert(0, "./");  // a plain file name, never read as a URI
    }
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    DbHandle db(raw);
    if (rc != SQLITE_OK) {
        return false;
    }
    sqlite3_busy_timeout(db.get(), kBusyTimeoutMs);
    // sqlite3_open_v2 does not read the file: reading its schema finds a file that is not a
    // database, or one that stays locked past the timeout.
    Prepared probe = Prepare(db.get(), "select count(*) from sqlite_master");
    if (probe.rc != SQLITE_OK || probe.stmt == nullptr ||
        sqlite3_step(probe.stmt.get()) != SQLITE_ROW) {
        return false;
    }
    probe.stmt.reset();
    connection.impl_->db = std::move(db);
    return true;
}

void BindRecordSet(RecordSet& recordSet, DatabaseConnection& connection) {
    RecordSetAccess::Of(recordSet).connection = &connection;
}

bool OpenRecordSet(RecordSet& recordSet, std::string_view source, RecordSource kind,
                   const std::vector<Text>& values) {
    return Fill(RecordSetAccess::Of(recordSet), source, kind, values);
}

int RecordCount(const RecordSet& recordSet) {
    const State& s = RecordSetAccess::Of(recordSet);
    return s.open ? static_cast<int>(s.live) : 0;
}

Text ReadText(const RecordSet& recordSet, FieldRef field) {
    const FieldValue* value = VisibleValue(RecordSetAccess::Of(recordSet), field);
    return value != nullptr ? value->text : Text{};
}

long long ReadInteger(const RecordSet& recordSet, FieldRef field) {
    const FieldValue* value = VisibleValue(RecordSetAccess::Of(recordSet), field);
    return (value != nullptr && value->kind == ValueKind::Integer) ? value->integer : 0;
}

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

void SaveRecord(RecordSet& recordSet) {
    Save(RecordSetAccess::Of(recordSet));
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
        fn();  // the file is locked: fn's writes fail one by one, each on its own
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
