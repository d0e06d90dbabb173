#include "tests/demo/demo_site_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace qingwu::demo::testing {
namespace {

using Clock = std::chrono::steady_clock;

struct Pipe {
    int read = -1;
    int write = -1;
};

Pipe MakePipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        return {};
    }
    return {fds[0], fds[1]};
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        ::close(fd);
        fd = -1;
    }
}

// Starts the program with its stdout on outFd and its stderr on errFd. The child is ended by
// the kernel when the test process dies (a crashed test must not leave a server running that
// still holds the test runner's output pipes).
int Spawn(const std::vector<std::string>& args, int outFd, int errFd) {
    std::vector<std::string> argvStrings{QINGWU_DEMO_SITE_PROGRAM};
    argvStrings.insert(argvStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : argvStrings) {
        argv.push_back(s.data());
    }
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) {
            ::_exit(127);
        }
        ::dup2(outFd, STDOUT_FILENO);
        ::dup2(errFd, STDERR_FILENO);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

int MillisecondsLeft(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Reads what fd has, waiting at most until the deadline; false at end of stream or deadline.
bool ReadSome(int fd, std::string& into, Clock::time_point deadline) {
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, MillisecondsLeft(deadline));
    if (ready <= 0) {
        return false;
    }
    char buffer[4096];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) {
        return false;
    }
    into.append(buffer, static_cast<std::size_t>(got));
    return true;
}

}  // namespace

DemoSiteProcess::DemoSiteProcess(const std::vector<std::string>& args) {
    Pipe out = MakePipe();
    if (out.read < 0) {
        return;
    }
    // stderr goes into the same pipe: a start that fails explains itself in FirstOutput().
    pid_ = Spawn(args, out.write, out.write);
    CloseFd(out.write);
    stdoutFd_ = out.read;
    if (pid_ < 0) {
        return;
    }
    const auto deadline = Clock::now() + kProcessDeadline;
    while (output_.find('\n') == std::string::npos) {
        if (!ReadSome(stdoutFd_, output_, deadline)) {
            return;
        }
    }
    const std::string_view line = std::string_view(output_).substr(0, output_.find('\n'));
    constexpr std::string_view kPrefix = "listening on 127.0.0.1:";
    if (line.substr(0, kPrefix.size()) != kPrefix) {
        return;
    }
    unsigned port = 0;
    for (char c : line.substr(kPrefix.size())) {
        if (c < '0' || c > '9' || port > 65535) {
            return;
        }
        port = port * 10 + static_cast<unsigned>(c - '0');
    }
    if (port > 0 && port <= 65535) {
        port_ = static_cast<std::uint16_t>(port);
    }
}

DemoSiteProcess::~DemoSiteProcess() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    CloseFd(stdoutFd_);
}

ExitedProcess RunDemoSiteToExit(const std::vector<std::string>& args) {
    ExitedProcess result;
    Pipe out = MakePipe();
    Pipe err = MakePipe();
    if (out.read < 0 || err.read < 0) {
        return result;
    }
    const int pid = Spawn(args, out.write, err.write);
    CloseFd(out.write);
    CloseFd(err.write);
    if (pid < 0) {
        CloseFd(out.read);
        CloseFd(err.read);
        return result;
    }
    // Both pipes reach end of stream when the process ends.
    const auto deadline = Clock::now() + kProcessDeadline;
    bool outOpen = true;
    bool errOpen = true;
    while ((outOpen || errOpen) && MillisecondsLeft(deadline) > 0) {
        pollfd fds[2] = {{outOpen ? out.read : -1, POLLIN, 0},
                         {errOpen ? err.read : -1, POLLIN, 0}};
        if (::poll(fds, 2, MillisecondsLeft(deadline)) <= 0) {
            break;
        }
        const auto drain = [](int fd, std::string& into, bool& open) {
            char buffer[4096];
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got > 0) {
                into.append(buffer, static_cast<std::size_t>(got));
            } else {
                open = false;
            }
        };
        if (outOpen && fds[0].revents != 0) {
            drain(out.read, result.out, outOpen);
        }
        if (errOpen && fds[1].revents != 0) {
            drain(err.read, result.err, errOpen);
        }
    }
    CloseFd(out.read);
    CloseFd(err.read);
    if (outOpen || errOpen) {
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    result.exited = !(outOpen || errOpen) && WIFEXITED(status);
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

}  // namespace qingwu::demo::testing
