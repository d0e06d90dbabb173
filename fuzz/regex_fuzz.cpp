// RegexMatcher on an arbitrary pattern and subject with arbitrary flags: no pattern may crash the
// matcher, run past its budget by much, or hand out matches and groups outside what it counted.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "text/gbk.h"
#include "web/regex_check.h"
#include "web/regex_matcher.h"

using qingwu::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // First byte: the three flags and whether to try Replace; then pattern, subject and
    // replacement separated by zero bytes.
    if (size < 1) {
        return 0;
    }
    const uint8_t flags = data[0];
    const auto parts = qingwu::fuzz::SplitInput(data + 1, size - 1, 3);
    const std::string& pattern = parts[0];
    const std::string& subject = parts[1];

    qingwu::RegexMatcher matcher;
    Require(matcher.Create(pattern, flags & 1, flags & 2, flags & 4), "Create");
    Require(matcher.MatchCount() == 0, "no matches before Execute");
    const int count = matcher.Execute(subject);
    Require(count >= 0 && count == matcher.MatchCount(), "Execute's count is kept");
    // A global search finds each match after the one before, so there cannot be more matches
    // than one per character boundary (an empty match at the end included).
    Require(count <= static_cast<int>(subject.size()) + 1, "at most one match per position");
    if (!(flags & 4)) {
        Require(count <= 1, "a non-global search finds at most one match");
    }

    const int groups = matcher.SubMatchCount();
    Require(count > 0 || groups == 0, "no groups without a match");
    if (count > 0) {
        Require(groups == qingwu::CaptureGroupCount(pattern),
                "SubMatchCount is the pattern's number of groups");
    }
    std::size_t total = 0;
    for (int m = 1; m <= count; ++m) {
        total += matcher.MatchText(m).size();
        for (int g = 1; g <= groups; ++g) {
            total += matcher.SubMatchText(m, g).size();
        }
        Require(matcher.SubMatchText(m, groups + 1).empty(), "a group past the last is empty");
        Require(matcher.SubMatchText(m, 0).empty() && matcher.SubMatchText(m, -1).empty(),
                "group numbers start at 1");
    }
    Require(matcher.MatchText(count + 1).empty() && matcher.MatchText(0).empty(),
            "match numbers run from 1 to the count");
    Require(matcher.SubMatchText(count + 1, 1).empty(), "a match past the last has no groups");
    (void)total;

    if (flags & 8) {
        const std::string replaced = matcher.Replace(subject, parts[2]);
        (void)replaced;
    }
    // The pattern comes back as given, or as its characters re-encoded when it held bytes that
    // are not valid GBK.
    const std::string kept = matcher.GetPattern();
    Require(kept == pattern || kept == qingwu::Utf16ToGbk(qingwu::GbkToUtf16(pattern)),
            "GetPattern gives the pattern back");

    // A matcher moved from keeps nothing; the one moved to keeps the matches.
    qingwu::RegexMatcher moved(std::move(matcher));
    Require(moved.MatchCount() == count, "the moved-to matcher keeps the count");
    return 0;
}
