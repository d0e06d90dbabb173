#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <array>
#include <filesystem>
#include <string>

#include "probe/commands.h"

namespace qingwu::probe::testing {
namespace {

TEST(ProbeProgram, LooksForTheProfilesInItsRunDirectory) {
    const std::string program = QINGWU_PROBE_PROGRAM;
    const std::string runDirectory = std::filesystem::path(program).parent_path().string();
    const auto run = [](const std::string& command, std::string* output) {
        FILE* pipe = popen((command + " 2>&1").c_str(), "r");
        std::array<char, 4096> buffer;
        size_t n = 0;
        while (pipe && (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0) {
            output->append(buffer.data(), n);
        }
        const int status = pipe ? pclose(pipe) : -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    std::string output;
    EXPECT_EQ(run(program + " --help", &output), kExitPassed);
    EXPECT_NE(output.find("usage: qingwu-probe COMMAND"), std::string::npos) << output;

    // Whether or not the build made a profile file there, the program names where it looked.
    output.clear();
    run(program + " sites", &output);
    EXPECT_NE(output.find(runDirectory + "/data/sk.mdb"), std::string::npos) << output;
}

}  // namespace
}  // namespace qingwu::probe::testing
