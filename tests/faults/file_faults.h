#pragma once

#include <sys/types.h>

#include <string>

namespace qingwu::test {

// Another process that holds a lock on an SQLite file: the sqlite3 shell inside
// "BEGIN EXCLUSIVE" (no other connection may read or write) or "BEGIN IMMEDIATE" (others may read,
// none may write) until the object goes. Held() is false when the shell could not be started or
// did not take the lock within a few seconds.
class SqliteLockHolder {
  public:
    enum class Kind { Exclusive, Immediate };
    SqliteLockHolder(const std::string& file, Kind kind);
    ~SqliteLockHolder();
    SqliteLockHolder(const SqliteLockHolder&) = delete;
    SqliteLockHolder& operator=(const SqliteLockHolder&) = delete;

    bool Held() const { return held_; }
    // Ends the transaction and the shell.
    void Release();

  private:
    pid_t pid_ = -1;
    int in_ = -1;
    int out_ = -1;
    bool held_ = false;
};

// Makes a file or folder unwritable even for root (the immutable attribute of the file system,
// or, without the right to set it, the permission bits), and writable again when the object
// goes. Effective() is false when neither way took effect; the test then has nothing to show.
class ReadOnlyPath {
  public:
    explicit ReadOnlyPath(std::string path);
    ~ReadOnlyPath();
    ReadOnlyPath(const ReadOnlyPath&) = delete;
    ReadOnlyPath& operator=(const ReadOnlyPath&) = delete;

    bool Effective() const { return effective_; }
    void Undo();

  private:
    std::string path_;
    bool immutable_ = false;
    bool chmodded_ = false;
    unsigned int mode_ = 0;
    bool effective_ = false;
};

// Writes bytes over a file, replacing its content.
bool OverwriteFile(const std::string& path, const std::string& bytes);
std::string ReadWholeFile(const std::string& path);

}  // namespace qingwu::test
