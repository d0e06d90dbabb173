#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qingwu::probe {

// A command line of the probe: the command, its positional arguments (UTF-8 as typed) and its
// options. Options may stand anywhere after the command, as "--name value" or "--name=value";
// "--" ends them.
struct Arguments {
    std::string command;
    std::vector<std::string> positional;
    bool json = false;
    bool help = false;
    std::optional<std::string> profiles;  // --profiles FILE
    std::optional<std::string> save;      // --save DIR
    std::optional<std::string> offline;   // --offline DIR
    std::optional<std::string> post;      // --post BODY
    int show = 5;                         // --show N: first and last rows shown
    int chars = 160;                      // --chars N: characters shown of a long text
    std::optional<int> timeoutSeconds;    // --timeout S
    std::vector<std::string> given;       // names of the options that were given
    std::string error;                    // why the line cannot be read; empty when it can
};

// Reads a command line without the program's name.
Arguments ParseArguments(const std::vector<std::string>& args);

}  // namespace qingwu::probe
