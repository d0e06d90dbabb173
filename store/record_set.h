#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "text/text.h"

struct sqlite3;

namespace qingwu {

// Receives the store's own error text (SQLite's message, UTF-8) when a statement is refused.
// The window shows it in a message box; tests record it.
using StoreErrorSink = std::function<void(const std::string& utf8Message)>;

// One database file. Opened read-write, never created: a missing file leaves the connection
// closed. Owns its sqlite3 handle.
class DatabaseConnection {
  public:
    DatabaseConnection();
    ~DatabaseConnection();
    DatabaseConnection(const DatabaseConnection&) = delete;
    DatabaseConnection& operator=(const DatabaseConnection&) = delete;

    bool IsOpen() const;
    sqlite3* Handle() const;
    void SetErrorSink(StoreErrorSink sink);
    const StoreErrorSink& ErrorSink() const;

  private:
    friend bool OpenDatabase(DatabaseConnection&, std::string_view, std::string_view);
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

enum class RecordSource { SqlStatement = 1, TableName = 2 };
enum class DeleteScope { CurrentRecord = 1, WholeTable = 3 };

// A field is addressed by its name (UTF-8, as the schema spells it) or by its 0-based position.
using FieldRef = std::variant<std::string_view, int>;

// A static snapshot of the rows of one statement or table, a current record and its pending
// changes. A set opened from a statement over one table, or by table name, is updatable: saved
// changes go to the row of that table that the record came from.
class RecordSet {
  public:
    RecordSet();
    ~RecordSet();
    RecordSet(const RecordSet&) = delete;
    RecordSet& operator=(const RecordSet&) = delete;

  private:
    friend struct RecordSetAccess;
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Opens the file at path (UTF-8 file system path). An open connection is closed first. The
// password is accepted for the call's shape; the files carry none. Fails without a word.
bool OpenDatabase(DatabaseConnection& connection, std::string_view path, std::string_view password);

// Makes the connection the one the record set works on.
void BindRecordSet(RecordSet& recordSet, DatabaseConnection& connection);

// Discards what the set held and fills it from source: an SQL statement (UTF-8, with '?'
// placeholders for values) or a table name. values are GBK texts bound to the placeholders in
// order; they never become part of the SQL text. A statement the store refuses goes to the
// connection's error sink and leaves the set closed. An empty source fails without a message.
bool OpenRecordSet(RecordSet& recordSet, std::string_view source, RecordSource kind,
                   const std::vector<Text>& values = {});

// Number of records; 0 when the set is empty or not open.
int RecordCount(const RecordSet& recordSet);

// The current record's value as GBK text (integers in decimal, NULL as empty text); the empty
// text when there is no current record or no such field.
Text ReadText(const RecordSet& recordSet, FieldRef field);

// The current record's integer value; 0 when it cannot be read or the column is not an integer.
long long ReadInteger(const RecordSet& recordSet, FieldRef field);

// Pending changes of the current record, committed by SaveRecord.
void WriteText(RecordSet& recordSet, FieldRef field, const Text& value);
void WriteInteger(RecordSet& recordSet, FieldRef field, long long value);

// Appends a new record with empty fields to a set opened by table name and makes it current.
void AddRecord(RecordSet& recordSet);

// Commits the pending changes of the current record; nothing without a current record or change.
// True when the change was written; false when there was nothing to write or the store refused
// it (a read-only or locked file), the set then unchanged.
bool SaveRecord(RecordSet& recordSet);

// The store's own text (UTF-8) for the last failure on the set's connection; empty without one.
std::string LastStoreError(const RecordSet& recordSet);

// CurrentRecord: deletes the current record from its table at once (nothing on an empty set).
// WholeTable: for a set opened by table name, deletes every row and re-reads the set; true when
// the set is empty afterwards.
bool DeleteRecords(RecordSet& recordSet, DeleteScope scope);

// Makes the next record current; after the last there is none.
void MoveNext(RecordSet& recordSet);

// Runs fn inside one transaction on the set's connection: committed when fn returns, rolled
// back when the process dies half-way (so a delete-add-save sequence is all or nothing).
void InTransaction(RecordSet& recordSet, const std::function<void()>& fn);

}  // namespace qingwu
