#include "bench/support/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

extern char** environ;

namespace qingwu::bench {
namespace {

using Clock = std::chrono::steady_clock;

// Closes a descriptor when it goes out of scope.
class Descriptor {
  public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { Reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    void Reset(int fd = -1) {
        if (fd_ >= 0) {
            close(fd_);
        }
        fd_ = fd;
    }

  private:
    int fd_;
};

struct FileActions {
    posix_spawn_file_actions_t actions;
    FileActions() { posix_spawn_file_actions_init(&actions); }
    ~FileActions() { posix_spawn_file_actions_destroy(&actions); }
    FileActions(const FileActions&) = delete;
    FileActions& operator=(const FileActions&) = delete;
};

}  // namespace

ChildRun RunChild(const std::vector<std::string>& argv, bool captureOutput,
                  const std::vector<std::string>& extraEnvironment) {
    ChildRun run;
    if (argv.empty()) {
        return run;
    }
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    std::vector<char*> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.push_back(*e);
    }
    for (const std::string& e : extraEnvironment) {
        env.push_back(const_cast<char*>(e.c_str()));
    }
    env.push_back(nullptr);

    int fds[2] = {-1, -1};
    Descriptor readEnd;
    Descriptor writeEnd;
    FileActions files;
    if (captureOutput) {
        if (pipe2(fds, O_CLOEXEC) != 0) {
            return run;
        }
        readEnd.Reset(fds[0]);
        writeEnd.Reset(fds[1]);
        posix_spawn_file_actions_adddup2(&files.actions, fds[1], STDOUT_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&files.actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    }

    const Clock::time_point start = Clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], &files.actions, nullptr, args.data(), env.data()) != 0) {
        return run;
    }
    run.started = true;
    writeEnd.Reset();
    if (captureOutput) {
        std::array<char, 65536> buffer;
        for (;;) {
            const ssize_t got = read(readEnd.Get(), buffer.data(), buffer.size());
            if (got > 0) {
                run.output.append(buffer.data(), static_cast<std::size_t>(got));
            } else if (got == 0 || errno != EINTR) {
                break;
            }
        }
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.wall = Clock::now() - start;
    run.maxRssKib = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

std::string SelfPath() {
    std::error_code ec;
    return std::filesystem::read_symlink("/proc/self/exe", ec).string();
}

}  // namespace qingwu::bench
