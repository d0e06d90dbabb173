#pragma once

#include <chrono>
#include <string>
#include <vector>

namespace qingwu::bench {

// The outcome of one child process run to its end.
struct ChildRun {
    bool started = false;
    int exitCode = -1;                 // -1 when it did not exit normally
    std::chrono::nanoseconds wall{0};  // from just before the spawn to its end
    long maxRssKib = 0;                // the child's peak resident memory
    std::string output;                // its standard output, when captured
};

// Starts argv[0] (looked up in PATH) with the given arguments and environment additions
// ("NAME=value", added to this process's environment), waits for it and measures it. Standard
// error is inherited; standard output is captured when captureOutput, else discarded.
ChildRun RunChild(const std::vector<std::string>& argv, bool captureOutput,
                  const std::vector<std::string>& extraEnvironment = {});

// The path of the running executable (for a benchmark that starts itself in a child mode).
std::string SelfPath();

}  // namespace qingwu::bench
