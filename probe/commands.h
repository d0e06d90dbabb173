#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "probe/arguments.h"

namespace qingwu::probe {

// Exit statuses: the asked step succeeded, it ran and failed, or it could not run (a wrong
// command line, a missing profile file, an unknown website, an unreadable file).
inline constexpr int kExitPassed = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;

// What a command reads and writes: its input (for match and cut without a file), its report and
// its complaints, and where the profiles are when --profiles names none.
struct CommandContext {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    std::string defaultProfiles;  // UTF-8 path of data/sk.mdb in the run directory
};

// Runs one command line (without the program's name) and returns its exit status.
int RunProbe(const std::vector<std::string>& args, CommandContext& ctx);

// The commands, each given its parsed line.
int RunSites(const Arguments& args, CommandContext& ctx);
int RunSearch(const Arguments& args, CommandContext& ctx);
int RunChapters(const Arguments& args, CommandContext& ctx);
int RunChapter(const Arguments& args, CommandContext& ctx);
int RunCheck(const Arguments& args, CommandContext& ctx);
int RunFetch(const Arguments& args, CommandContext& ctx);
int RunMatch(const Arguments& args, CommandContext& ctx);
int RunCut(const Arguments& args, CommandContext& ctx);

}  // namespace qingwu::probe
