#pragma once

#include <map>
#include <string>
#include <vector>

#include "text/text.h"

namespace qingwu::demo::testing {

// The delivered profile rows (data/sk.rows.sql) loaded into an in-memory SQLite database made
// from data/sk.schema.sql. Each row maps field name (UTF-8) → value in GBK, as the reader
// receives it.
struct ProfileRows {
    std::string error;  // empty on success
    std::vector<std::string> columns;
    std::vector<std::map<std::string, Text>> rows;
};
ProfileRows LoadDeliveredProfiles();

// Runs a profile pattern with the reader's RegexMatcher, the way the reader does (ignore case, not
// multi-line, global) over a GBK page; one entry per match holding its capture groups 1..n as GBK
// texts (a group that took no part is empty). A pattern that does not compile gives no matches.
std::vector<std::vector<Text>> MatchGroups(const Text& pattern, const Text& page);

}  // namespace qingwu::demo::testing
