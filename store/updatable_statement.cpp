#include "store/updatable_statement.h"

#include <sqlite3.h>

#include <array>

namespace qingwu::store_detail {

namespace {

bool IsWordByte(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '$' || u >= 0x80;
}

bool SameWord(std::string_view word, std::string_view keyword) {
    return word.size() == keyword.size() &&
           sqlite3_strnicmp(word.data(), keyword.data(), static_cast<int>(word.size())) == 0;
}

// Calls onWord for every bare word of sql, skipping string literals, quoted identifiers and
// comments. Stops early when onWord returns false.
template <typename OnWord>
void ForEachBareWord(std::string_view sql, OnWord onWord) {
    std::size_t i = 0;
    const std::size_t n = sql.size();
    while (i < n) {
        const char c = sql[i];
        if (c == '\'' || c == '"' || c == '`' || c == '[') {
            const char close = c == '[' ? ']' : c;
            i = sql.find(close, i + 1);
            if (i == std::string_view::npos) {
                return;
            }
            ++i;  // a doubled quote is simply two quoted runs in a row
        } else if (c == '-' && i + 1 < n && sql[i + 1] == '-') {
            i = sql.find('\n', i);
            if (i == std::string_view::npos) {
                return;
            }
        } else if (c == '/' && i + 1 < n && sql[i + 1] == '*') {
            i = sql.find("*/", i + 2);
            if (i == std::string_view::npos) {
                return;
            }
            i += 2;
        } else if (IsWordByte(c)) {
            const std::size_t start = i;
            while (i < n && IsWordByte(sql[i])) {
                ++i;
            }
            if (!onWord(sql.substr(start, i - start), start)) {
                return;
            }
        } else {
            ++i;
        }
    }
}

}  // namespace

std::string WithRowid(std::string_view sql) {
    constexpr std::array<std::string_view, 8> kNotRowsOfOneTable = {
        "DISTINCT", "GROUP", "UNION", "INTERSECT", "EXCEPT", "WINDOW", "OVER", "WITH"};
    bool first = true;
    bool plain = true;
    std::size_t afterSelect = 0;
    ForEachBareWord(sql, [&](std::string_view word, std::size_t at) {
        if (first) {
            first = false;
            plain = SameWord(word, "SELECT");
            afterSelect = at + word.size();
            return plain;
        }
        for (const std::string_view keyword : kNotRowsOfOneTable) {
            if (SameWord(word, keyword)) {
                plain = false;
                return false;
            }
        }
        return true;
    });
    // The statement must begin with the keyword itself (no comment or other text before it).
    const std::size_t begin = sql.find_first_not_of(" \t\r\n");
    if (first || !plain || begin == std::string_view::npos || afterSelect != begin + 6) {
        return {};
    }
    std::string rewritten;
    rewritten.reserve(sql.size() + 8);
    rewritten.append(sql.substr(0, afterSelect));
    rewritten.append(" rowid,");
    rewritten.append(sql.substr(afterSelect));
    return rewritten;
}

std::string SourceTable(sqlite3_stmt* stmt, int first) {
    const int count = sqlite3_column_count(stmt);
    if (count <= first) {
        return {};
    }
    std::string table;
    for (int i = first; i < count; ++i) {
        const char* database = sqlite3_column_database_name(stmt, i);
        const char* name = sqlite3_column_table_name(stmt, i);
        const char* origin = sqlite3_column_origin_name(stmt, i);
        if (database == nullptr || name == nullptr || origin == nullptr ||
            sqlite3_stricmp(database, "main") != 0) {
            return {};
        }
        if (i == first) {
            table = name;
        } else if (sqlite3_stricmp(table.c_str(), name) != 0) {
            return {};
        }
    }
    return table;
}

}  // namespace qingwu::store_detail
