// A profile's chapter pattern over a chapter-list page, run as the reader runs it when it fills
// the chapter list: case ignored, "^" and "$" at the ends of the page only, every match; group 1
// of each match is the chapter's number, group 2 its name.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "web/regex_matcher.h"

using qingwu::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const auto parts = qingwu::fuzz::SplitInput(data, size, 2);
    const std::string& pattern = parts[0];
    const std::string& page = parts[1];

    qingwu::RegexMatcher matcher;
    if (!matcher.Create(pattern, true, false, true)) {
        return 0;
    }
    const int count = matcher.Execute(page);
    if (count <= 0) {
        return 0;
    }
    const int groups = matcher.SubMatchCount();
    Require(groups >= 0, "a group count is never negative");
    if (groups >= 1) {
        std::vector<std::string> numbers;
        std::vector<std::string> names;
        numbers.reserve(count);
        names.reserve(count);
        std::size_t bytes = 0;
        for (int j = 1; j <= count; ++j) {
            numbers.push_back(matcher.SubMatchText(j, 1));
            names.push_back(matcher.SubMatchText(j, 2));
            bytes += numbers.back().size() + names.back().size();
        }
        Require(numbers.size() == names.size(), "both lists get one row per match");
        if (groups == 1) {
            for (const std::string& name : names) {
                Require(name.empty(), "with one group every chapter name is empty");
            }
        }
        (void)bytes;
    }
    return 0;
}
