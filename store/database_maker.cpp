#include "store/database_maker.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "store/sqlite_handles.h"

namespace qingwu {

namespace {

bool Exists(const std::string& path) {
    struct stat info {};
    return lstat(path.c_str(), &info) == 0;
}

bool ReadWholeFile(const std::string& path, std::string& contents) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream buffer;
    buffer << in.rdbuf();
    contents = buffer.str();
    return !in.bad();
}

// A file made under a fresh name, removed (with SQLite's journal) unless kept.
class TemporaryFile {
  public:
    explicit TemporaryFile(const std::string& target) {
        for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
            std::string candidate =
                target + ".part-" + std::to_string(getpid()) + "-" + std::to_string(attempt);
            const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd >= 0) {
                close(fd);
                path_ = std::move(candidate);
            } else if (errno != EEXIST) {
                error_ = std::strerror(errno);
                return;
            }
        }
    }
    ~TemporaryFile() {
        if (!path_.empty()) {
            unlink(path_.c_str());
            unlink((path_ + "-journal").c_str());
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::string& Path() const { return path_; }
    const std::string& Error() const { return error_; }

  private:
    std::string path_;
    std::string error_;
};

bool Run(sqlite3* db, const std::string& sql, std::string& error) {
    char* message = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &message) == SQLITE_OK) {
        return true;
    }
    error = message != nullptr ? message : sqlite3_errmsg(db);
    sqlite3_free(message);
    return false;
}

}  // namespace

MakeResult MakeDatabaseFile(const std::string& path, const std::vector<std::string>& sqlFiles,
                            std::string& error) {
    if (Exists(path)) {
        return MakeResult::AlreadyThere;
    }
    std::vector<std::string> scripts;
    for (const std::string& file : sqlFiles) {
        std::string contents;
        if (!ReadWholeFile(file, contents)) {
            error = file + ": cannot be read";
            return MakeResult::Failed;
        }
        scripts.push_back(std::move(contents));
    }

    TemporaryFile temporary(path);
    if (temporary.Path().empty()) {
        error = path + ": no temporary file beside it: " + temporary.Error();
        return MakeResult::Failed;
    }
    {
        sqlite3* raw = nullptr;
        const int rc =
            sqlite3_open_v2(temporary.Path().c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
        store_detail::DbHandle db(raw);
        if (rc != SQLITE_OK) {
            error =
                temporary.Path() + ": " + (raw != nullptr ? sqlite3_errmsg(raw) : "cannot open");
            return MakeResult::Failed;
        }
        if (!Run(db.get(), "begin", error)) {
            return MakeResult::Failed;
        }
        for (std::size_t i = 0; i < scripts.size(); ++i) {
            if (!Run(db.get(), scripts[i], error)) {
                error = sqlFiles[i] + ": " + error;
                return MakeResult::Failed;
            }
        }
        if (!Run(db.get(), "commit", error)) {
            return MakeResult::Failed;
        }
        if (sqlite3_close(db.release()) != SQLITE_OK) {
            error = temporary.Path() + ": cannot be closed";
            return MakeResult::Failed;
        }
    }
    // link() never replaces an existing name: a file made meanwhile by someone else stays.
    if (link(temporary.Path().c_str(), path.c_str()) != 0) {
        if (errno == EEXIST) {
            return MakeResult::AlreadyThere;
        }
        error = path + ": " + std::strerror(errno);
        return MakeResult::Failed;
    }
    return MakeResult::Created;
}

}  // namespace qingwu
