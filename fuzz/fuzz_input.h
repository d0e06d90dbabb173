#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace qingwu::fuzz {

// Splits a fuzzer input into `parts` texts at its first parts - 1 zero bytes (texts of the
// program never hold a zero byte: a page is cut at its first one). Missing parts are empty; the
// last part keeps everything after the last separator, zero bytes removed.
inline std::vector<std::string> SplitInput(const uint8_t* data, std::size_t size,
                                           std::size_t parts) {
    std::vector<std::string> out(parts);
    std::size_t part = 0;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\0') {
            if (part + 1 < parts) {
                ++part;
            }
            continue;
        }
        out[part].push_back(c);
    }
    return out;
}

// Ends the run with a report when a property of the code under test does not hold; libFuzzer
// then saves the input that broke it.
inline void Require(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "property violated: %s\n", what);
        std::abort();
    }
}

}  // namespace qingwu::fuzz
