#include "store/record_snapshot.h"

#include <sqlite3.h>

#include <string_view>

#include "text/gbk.h"

namespace qingwu::store_detail {

namespace {

// SQLite's affinity rule: a declared type containing "INT" gives integer affinity.
bool DeclaresInteger(std::string_view declared) {
    for (std::size_t i = 0; i + 3 <= declared.size(); ++i) {
        const auto upper = [&](std::size_t k) {
            const char c = declared[i + k];
            return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        };
        if (upper(0) == 'I' && upper(1) == 'N' && upper(2) == 'T') {
            return true;
        }
    }
    return false;
}

std::string_view Utf8Of(sqlite3_stmt* stmt, int column) {
    const auto* bytes = reinterpret_cast<const char*>(sqlite3_column_text(stmt, column));
    if (bytes == nullptr) {
        return {};
    }
    return {bytes, static_cast<std::size_t>(sqlite3_column_bytes(stmt, column))};
}

}  // namespace

std::vector<Column> DescribeColumns(sqlite3_stmt* stmt, int first) {
    std::vector<Column> columns;
    const int count = sqlite3_column_count(stmt);
    for (int i = first; i < count; ++i) {
        Column column;
        if (const char* name = sqlite3_column_name(stmt, i)) {
            column.name = name;
        }
        if (const char* origin = sqlite3_column_origin_name(stmt, i)) {
            column.origin = origin;
        }
        const char* declared = sqlite3_column_decltype(stmt, i);
        column.typed = declared != nullptr && *declared != '\0';
        column.integer = column.typed && DeclaresInteger(declared);
        columns.push_back(std::move(column));
    }
    return columns;
}

FieldValue ReadValue(sqlite3_stmt* stmt, int column) {
    FieldValue value;
    switch (sqlite3_column_type(stmt, column)) {
        case SQLITE_NULL:
            return value;
        case SQLITE_INTEGER:
            value.kind = ValueKind::Integer;
            value.integer = sqlite3_column_int64(stmt, column);
            value.text = std::to_string(value.integer);
            return value;
        case SQLITE_FLOAT:
            value.kind = ValueKind::Real;
            value.text = std::string(Utf8Of(stmt, column));  // SQLite's decimal form, ASCII
            return value;
        case SQLITE_BLOB:
            value.kind = ValueKind::Blob;
            break;
        default:
            value.kind = ValueKind::Text;
            break;
    }
    value.text = Utf8ToGbk(Utf8Of(stmt, column));
    return value;
}

bool AcceptsInteger(const Column& column, const FieldValue& current) {
    if (column.typed) {
        return column.integer;
    }
    return current.kind == ValueKind::Integer || current.kind == ValueKind::Null;
}

}  // namespace qingwu::store_detail
