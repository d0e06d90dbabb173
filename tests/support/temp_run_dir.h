#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qingwu::test {

// A fresh run directory for one test: a temporary folder with data/db1.mdb and data/sk.mdb made
// from the repository's SQL files (settings row, empty shelf, the delivered website profiles).
// The folder and everything in it are removed when the object goes. A directory that cannot be
// set up stops the test program with a message: no test should run on half a fixture.
class TempRunDir {
  public:
    TempRunDir();
    ~TempRunDir();
    TempRunDir(const TempRunDir&) = delete;
    TempRunDir& operator=(const TempRunDir&) = delete;

    // The run directory, without a trailing slash.
    const std::string& Path() const { return path_; }

    // Path() + "/data/" + name, e.g. DataPath("db1.mdb").
    std::string DataPath(std::string_view name) const;

    // Runs SQL (UTF-8, any number of statements) on db1.mdb or sk.mdb to set up a case; false,
    // with SQLite's message on stderr, when it fails.
    bool ExecDb1(std::string_view sql) const;
    bool ExecSk(std::string_view sql) const;

    // The rows of a query on db1.mdb or sk.mdb, each field as UTF-8 text (numbers in decimal,
    // NULL as "<null>"); empty, with SQLite's message on stderr, when it fails.
    using Rows = std::vector<std::vector<std::string>>;
    Rows QueryDb1(std::string_view sql) const;
    Rows QuerySk(std::string_view sql) const;

    // Runs SQL on, or queries, any SQLite file (e.g. one the test made itself).
    static bool Exec(const std::string& file, std::string_view sql);
    static Rows Query(const std::string& file, std::string_view sql);

  private:
    std::string path_;
};

}  // namespace qingwu::test
