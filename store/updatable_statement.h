#pragma once

#include <string>
#include <string_view>

struct sqlite3_stmt;

namespace qingwu::store_detail {

// A SELECT over one table is updatable when each of its records can be traced back to one row
// of that table. The store does that by reading the row id alongside: the text
// "select <columns> from T ..." becomes "select rowid, <columns> from T ...".

// The statement with "rowid, " put in front of its result columns; empty when sql is not a plain
// SELECT whose rows are rows of a table (DISTINCT, GROUP BY, compound selects, windows and
// common table expressions are left alone: their records are not rows of one table).
std::string WithRowid(std::string_view sql);

// The table every result column of stmt, from position first on, comes from (a column of a
// table of the main database each); empty when there is no such single table.
std::string SourceTable(sqlite3_stmt* stmt, int first);

}  // namespace qingwu::store_detail
