#pragma once

// The state behind DatabaseConnection and RecordSet, shared by the files of the record
// operations.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/record_set.h"
#include "store/record_snapshot.h"
#include "store/sqlite_handles.h"

namespace qingwu {

struct DatabaseConnection::Impl {
    store_detail::DbHandle db;
    StoreErrorSink sink;
};

struct RecordSet::Impl {
    DatabaseConnection* connection = nullptr;
    bool open = false;
    // What the set was opened from, so that WholeTable can read it again.
    std::string source;
    RecordSource kind = RecordSource::SqlStatement;
    std::vector<Text> values;
    // The table saved changes go to; empty for a set whose records are not rows of one table.
    std::string table;
    std::vector<store_detail::Column> columns;
    std::vector<store_detail::Record> records;
    std::size_t live = 0;     // records not deleted
    std::size_t current = 0;  // records.size() when there is no current record
    std::vector<std::optional<store_detail::FieldValue>> pending;  // one slot per column
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

namespace store_detail {

using State = RecordSetAccess::State;

// Discards what s held and fills it from source (see OpenRecordSet).
bool Fill(State& s, std::string_view source, RecordSource kind, const std::vector<Text>& values);

// The current record; null when the set is closed, empty or past its end, or the record is
// deleted.
Record* CurrentRecord(State& s);
const Record* CurrentRecord(const State& s);

// The position of field among the set's columns; -1 when there is none. Names compare as SQLite
// compares identifiers (ASCII letters without regard to case).
int FieldIndex(const State& s, FieldRef field);

// The handle of the set's connection; null when it has none or it is closed.
sqlite3* DbOf(const State& s);

}  // namespace store_detail
}  // namespace qingwu
