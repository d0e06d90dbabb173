#pragma once

#include <string>
#include <vector>

#include "text/text.h"

struct sqlite3_stmt;

namespace qingwu::store_detail {

enum class ValueKind { Null, Integer, Real, Text, Blob };

// One field of a record as the program sees it.
struct FieldValue {
    ValueKind kind = ValueKind::Null;
    long long integer = 0;  // the value when kind is Integer
    Text text;              // GBK; numbers in decimal; empty for NULL
};

// One column of a record set.
struct Column {
    std::string name;      // result column name (UTF-8): what reads by name match
    std::string origin;    // the table column it comes from; empty for an expression
    bool typed = false;    // the column has a declared type
    bool integer = false;  // the declared type gives the column integer affinity
};

// One record of the snapshot.
struct Record {
    long long rowid = 0;
    bool hasRowid = false;  // known for records of an updatable set
    bool isNew = false;     // appended by AddRecord and not saved yet
    bool deleted = false;   // deleted from its table; reads give nothing
    std::vector<FieldValue> values;
};

// The columns of stmt from position first on.
std::vector<Column> DescribeColumns(sqlite3_stmt* stmt, int first);

// The value of column of the row stmt stands on, converted to the program's text.
FieldValue ReadValue(sqlite3_stmt* stmt, int column);

// Whether an integer may be written into column (its declared type, or for an untyped column
// the value it holds now).
bool AcceptsInteger(const Column& column, const FieldValue& current);

}  // namespace qingwu::store_detail
