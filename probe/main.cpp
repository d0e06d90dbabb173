#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "probe/commands.h"

namespace {

// data/sk.mdb in the run directory: the folder of this program file.
std::string DefaultProfilesPath() {
    std::error_code ec;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", ec);
    const std::filesystem::path folder =
        ec ? std::filesystem::current_path(ec) : program.parent_path();
    return (folder / "data" / "sk.mdb").string();
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    qingwu::probe::CommandContext ctx{std::cin, std::cout, std::cerr, DefaultProfilesPath()};
    const int status = qingwu::probe::RunProbe(args, ctx);
    std::cout.flush();
    return status;
}
