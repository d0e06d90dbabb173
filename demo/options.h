#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "demo/corpus.h"

namespace qingwu::demo {

// The port of the delivered demo profile (its addresses name 127.0.0.1:18080).
inline constexpr std::uint16_t kDefaultPort = 18080;

// The command line of qingwu-demo-site.
struct Options {
    std::uint16_t port = kDefaultPort;
    std::filesystem::path portFile;  // when set, receives the port once the site listens
    std::filesystem::path textsDir{std::string(kDefaultTextsDir)};
    bool help = false;
};

// Reads the arguments (without the program name):
//   --port N        0 to 65535; 0 takes any free port
//   --port-file F   write the port to F (a line of decimal digits) once listening
//   --texts DIR     the folder of the fortune texts (default: fortunes-zh's folder)
//   --bind ADDR     accepted only as 127.0.0.1: the site serves nothing but the loopback
//   --help
// Returns false with error set on anything else.
bool ParseOptions(const std::vector<std::string>& args, Options& options, std::string& error);

// The usage text printed for --help and after an error.
std::string UsageText();

}  // namespace qingwu::demo
