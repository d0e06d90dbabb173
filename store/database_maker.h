#pragma once

#include <string>
#include <vector>

namespace qingwu {

enum class MakeResult { Created, AlreadyThere, Failed };

// Creates the SQLite file at path by running the SQL files in order inside one transaction, only
// when nothing exists at path yet: an existing file (a user's shelf and settings) is never
// touched. The database is built under a temporary name beside path and linked into place at
// the end, so a half-made file never stays at path. On Failed, error holds why (UTF-8).
MakeResult MakeDatabaseFile(const std::string& path, const std::vector<std::string>& sqlFiles,
                            std::string& error);

}  // namespace qingwu
