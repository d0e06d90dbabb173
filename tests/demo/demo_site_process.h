#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace qingwu::demo::testing {

// How long a test waits for the demo site to start or to end before it counts as a failure.
inline constexpr std::chrono::seconds kProcessDeadline{20};

// The demo site program running as a child process, started with the given arguments. The
// constructor waits (up to kProcessDeadline) for its first stdout line "listening on
// 127.0.0.1:PORT"; Started() tells whether it came. The destructor stops the process
// (SIGTERM, then waits for it).
class DemoSiteProcess {
  public:
    explicit DemoSiteProcess(const std::vector<std::string>& args);
    ~DemoSiteProcess();
    DemoSiteProcess(const DemoSiteProcess&) = delete;
    DemoSiteProcess& operator=(const DemoSiteProcess&) = delete;

    bool Started() const { return port_ != 0; }
    std::uint16_t Port() const { return port_; }
    int Pid() const { return pid_; }
    // What the process wrote (stdout and stderr) up to and including the listening line.
    const std::string& FirstOutput() const { return output_; }

  private:
    int pid_ = -1;
    int stdoutFd_ = -1;
    std::uint16_t port_ = 0;
    std::string output_;
};

// The result of running the demo site program until it exits by itself.
struct ExitedProcess {
    bool exited = false;  // false: still running at the deadline (it was killed)
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the program with args and waits (up to kProcessDeadline) for it to end.
ExitedProcess RunDemoSiteToExit(const std::vector<std::string>& args);

}  // namespace qingwu::demo::testing
