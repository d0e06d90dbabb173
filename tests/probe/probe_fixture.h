#pragma once

#include <QJsonObject>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace qingwu::probe::testing {

// What one command line of the probe did, run in-process.
struct ProbeRun {
    int status = -1;
    std::string out;
    std::string err;
};

// Runs the probe with these arguments and this standard input. Without --profiles it looks for
// a profile file that does not exist.
ProbeRun Probe(const std::vector<std::string>& args, const std::string& input = {});

// The JSON document a run wrote (an empty object, and a test failure, when it is not JSON).
QJsonObject JsonOf(const ProbeRun& run);
// A member of a JSON object as UTF-8.
std::string Str(const QJsonObject& object, const char* key);

// A folder of its own for one test, removed with everything in it afterwards.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

// A row of 书库信息: field name → value, both UTF-8. Missing fields stay empty.
using ProfileRow = std::map<std::string, std::string>;

// Writes a new profile file (replacing one at path) with the reader's schema and these rows; false
// (with a test failure) when it cannot.
bool WriteProfileFile(const std::string& path, const std::vector<ProfileRow>& rows);

// The SQL text that creates 书库信息 as the build creates it.
std::string ProfileSchemaSql();

// Runs a whole SQL script (UTF-8) on a new database file at path.
bool RunSqlScript(const std::string& path, const std::string& script);

// A complete profile for the pages of the test site below, whose address begins with base
// ("http://127.0.0.1:PORT").
ProfileRow TestSiteProfile(const std::string& name, const std::string& base);

// Pages of the test site, UTF-8 in, GBK out. The search page holds each field of each result in
// its own element, so every pass can be given its own number of matches.
std::string SearchPage(const std::vector<std::string>& authors, const std::vector<std::string>& ids,
                       const std::vector<std::string>& prefixes,
                       const std::vector<std::string>& titles);
// A chapter list of chapters 1..count, numbered "N.html" and named "第N章".
std::string ChapterListPage(int count);
// A chapter page with its title and text between the test profile's markers.
std::string ChapterPage(const std::string& title, const std::string& text);

// Reads a whole file as bytes.
std::string ReadFileBytes(const std::string& path);

}  // namespace qingwu::probe::testing
