#include "store/record_set.h"

#include <sqlite3.h>

#include <cstddef>
#include <optional>
#include <utility>

#include "store/record_set_state.h"
#include "store/updatable_statement.h"
#include "text/gbk.h"

// Connections, opening record sets and reading them.

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

RecordSet::RecordSet() : impl_(std::make_unique<Impl>()) {}
RecordSet::~RecordSet() = default;

namespace store_detail {

namespace {

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

}  // namespace

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

sqlite3* DbOf(const State& s) {
    return s.connection != nullptr ? s.connection->Handle() : nullptr;
}

}  // namespace store_detail

using store_detail::CurrentRecord;
using store_detail::FieldIndex;
using store_detail::Fill;
using store_detail::State;

namespace {

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

}  // namespace qingwu
