// A profile's four search patterns over a search result page, run as the book search runs them:
// the author pass makes the rows, the id and prefix passes fill their lists, the title pass
// names the rows it reaches; each pass takes group 1 of every match.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "web/regex_matcher.h"

using qingwu::fuzz::Require;

namespace {

// Group 1 of every match of pattern over page; nothing when the pattern finds nothing.
std::vector<std::string> FirstGroups(const std::string& pattern, const std::string& page) {
    std::vector<std::string> values;
    qingwu::RegexMatcher matcher;
    if (!matcher.Create(pattern, true, false, true)) {
        return values;
    }
    const int n = matcher.Execute(page);
    for (int i = 1; i <= n; ++i) {
        values.push_back(matcher.SubMatchText(i, 1));
    }
    Require(static_cast<int>(values.size()) == matcher.MatchCount(), "one value per match");
    return values;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // Author, book number, id prefix and title patterns, then the page.
    const auto parts = qingwu::fuzz::SplitInput(data, size, 5);
    const std::string& page = parts[4];

    struct Row {
        std::string title;
        std::string author;
    };
    std::vector<Row> rows;
    const std::vector<std::string> authors = FirstGroups(parts[0], page);
    for (std::size_t i = 0; i < authors.size(); ++i) {
        rows.push_back({std::to_string(i + 1), authors[i]});
    }
    const std::vector<std::string> ids = FirstGroups(parts[1], page);
    const std::vector<std::string> prefixes = FirstGroups(parts[2], page);
    const std::vector<std::string> titles = FirstGroups(parts[3], page);
    for (std::size_t i = 0; i < titles.size() && i < rows.size(); ++i) {
        rows[i].title = titles[i];
    }
    Require(rows.size() == authors.size(), "the author pass alone makes the rows");
    (void)ids;
    (void)prefixes;
    return 0;
}
