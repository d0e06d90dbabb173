#include "tests/faults/file_faults.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <sstream>

namespace qingwu::test {
namespace {

constexpr const char* kSqliteShell = "/usr/bin/sqlite3";

bool WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads from fd until marker appeared or the deadline passed.
bool WaitForOutput(int fd, const std::string& marker, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string seen;
    while (seen.find(marker) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        char chunk[256];
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got <= 0) {
            return false;
        }
        seen.append(chunk, static_cast<std::size_t>(got));
    }
    return true;
}

// Whether the file system lets this process write at path (a file opened for writing, or a new
// file made in a folder).
bool Writable(const std::string& path) {
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        return false;
    }
    if (S_ISDIR(st.st_mode)) {
        const std::string probe = path + "/.write-probe";
        const int fd = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
        if (fd < 0) {
            return false;
        }
        close(fd);
        unlink(probe.c_str());
        return true;
    }
    const int fd = open(path.c_str(), O_WRONLY);
    if (fd < 0) {
        return false;
    }
    close(fd);
    return true;
}

bool SetImmutable(const std::string& path, bool on) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        return false;
    }
    int flags = 0;
    bool ok = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (ok) {
        flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
        ok = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    close(fd);
    return ok;
}

}  // namespace

SqliteLockHolder::SqliteLockHolder(const std::string& file, Kind kind) {
    int toShell[2];
    int fromShell[2];
    if (pipe2(toShell, O_CLOEXEC) != 0) {
        return;
    }
    if (pipe2(fromShell, O_CLOEXEC) != 0) {
        close(toShell[0]);
        close(toShell[1]);
        return;
    }
    pid_ = fork();
    if (pid_ == 0) {
        dup2(toShell[0], STDIN_FILENO);
        dup2(fromShell[1], STDOUT_FILENO);
        dup2(fromShell[1], STDERR_FILENO);
        execl(kSqliteShell, kSqliteShell, "-batch", file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(toShell[0]);
    close(fromShell[1]);
    in_ = toShell[1];
    out_ = fromShell[0];
    if (pid_ < 0) {
        return;
    }
    // A write makes sure the lock is taken at once, whatever the kind.
    const std::string begin = kind == Kind::Exclusive ? "BEGIN EXCLUSIVE;\n" : "BEGIN IMMEDIATE;\n";
    held_ = WriteAll(in_, begin + "SELECT 'lock' || 'held';\n") &&
            WaitForOutput(out_, "lockheld", std::chrono::seconds(5));
}

SqliteLockHolder::~SqliteLockHolder() {
    Release();
}

void SqliteLockHolder::Release() {
    if (in_ >= 0) {
        WriteAll(in_, "ROLLBACK;\n.quit\n");
        close(in_);
        in_ = -1;
    }
    if (pid_ > 0) {
        // The shell ends at the end of its input; it is stopped if it does not within 5 s.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (waitpid(pid_, nullptr, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() >= deadline) {
                kill(pid_, SIGKILL);
                waitpid(pid_, nullptr, 0);
                break;
            }
            pollfd p{out_, POLLIN, 0};
            if (poll(&p, 1, 20) > 0) {
                char chunk[256];
                if (read(out_, chunk, sizeof chunk) <= 0) {
                    waitpid(pid_, nullptr, 0);
                    break;
                }
            }
        }
        pid_ = -1;
    }
    if (out_ >= 0) {
        close(out_);
        out_ = -1;
    }
    held_ = false;
}

ReadOnlyPath::ReadOnlyPath(std::string path) : path_(std::move(path)) {
    struct stat st {};
    if (stat(path_.c_str(), &st) != 0) {
        return;
    }
    mode_ = st.st_mode & 07777;
    // Root writes through the permission bits; the immutable attribute stops it too.
    immutable_ = SetImmutable(path_, true);
    if (!immutable_) {
        chmodded_ = chmod(path_.c_str(), S_ISDIR(st.st_mode) ? 0555 : 0444) == 0;
    }
    effective_ = !Writable(path_);
}

ReadOnlyPath::~ReadOnlyPath() {
    Undo();
}

void ReadOnlyPath::Undo() {
    if (immutable_) {
        SetImmutable(path_, false);
        immutable_ = false;
    }
    if (chmodded_) {
        chmod(path_.c_str(), mode_);
        chmodded_ = false;
    }
}

bool OverwriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out.flush());
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qingwu::test
