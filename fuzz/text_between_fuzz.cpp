// Find, Mid and TextBetween on arbitrary texts and markers, compared with a plain reading of
// their rules: candidates advance by characters (a byte of 0x80 or above begins a two-byte
// character), positions count bytes from 1, and a cut never reaches outside the text.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "web/text_between.h"

namespace {

using qingwu::fuzz::Require;

unsigned char Fold(unsigned char b) {
    return (b >= 'A' && b <= 'Z') ? static_cast<unsigned char>(b - 'A' + 'a') : b;
}

// Does sought occur at byte p (a character start) of text? With ignoreCase, single-byte letters
// fold; the second byte of a two-byte character of the text is compared exactly.
bool MatchesAt(std::string_view text, std::size_t p, std::string_view sought, bool ignoreCase) {
    if (p + sought.size() > text.size()) {
        return false;
    }
    std::size_t i = 0;
    while (i < sought.size()) {
        const auto t = static_cast<unsigned char>(text[p + i]);
        const auto s = static_cast<unsigned char>(sought[i]);
        if (ignoreCase ? Fold(t) != Fold(s) : t != s) {
            return false;
        }
        if (t >= 0x80 && i + 1 < sought.size()) {
            if (text[p + i + 1] != sought[i + 1]) {
                return false;
            }
            i += 2;
        } else {
            i += 1;
        }
    }
    return true;
}

// The rules of the text search, one candidate character after the other.
int ReferenceFind(std::string_view text, std::string_view sought, int start, bool ignoreCase) {
    if (start < 1) {
        start = 1;
    }
    if (static_cast<std::size_t>(start) > text.size()) {
        return -1;
    }
    if (sought.empty()) {
        return 1;
    }
    // Characters are counted from the start position, as the search itself does.
    std::size_t p = static_cast<std::size_t>(start) - 1;
    while (p < text.size()) {
        const bool twoByte = static_cast<unsigned char>(text[p]) >= 0x80;
        if (twoByte && p + 1 >= text.size()) {
            return -1;  // a two-byte character cut off by the end ends the search
        }
        if (MatchesAt(text, p, sought, ignoreCase)) {
            return static_cast<int>(p) + 1;
        }
        p += twoByte ? 2 : 1;
    }
    return -1;
}

std::string ReferenceMid(std::string_view text, int start, int count) {
    if (start < 1 || static_cast<std::size_t>(start) > text.size() || count <= 0) {
        return {};
    }
    return std::string(
        text.substr(static_cast<std::size_t>(start) - 1, static_cast<std::size_t>(count)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    // First byte: start position (signed, so below 1 is tried too) and the case flag; then text,
    // start marker and end marker separated by zero bytes.
    if (size < 1) {
        return 0;
    }
    const int start = static_cast<int8_t>(data[0]);
    const auto parts = qingwu::fuzz::SplitInput(data + 1, size - 1, 3);
    const std::string& text = parts[0];
    const std::string& startMarker = parts[1];
    const std::string& endMarker = parts[2];

    for (const bool ignoreCase : {false, true}) {
        for (const std::string* sought : {&startMarker, &endMarker}) {
            const int found = qingwu::Find(text, *sought, start, ignoreCase);
            Require(found == ReferenceFind(text, *sought, start, ignoreCase),
                    "Find follows the search rules");
            Require(found == -1 || (found >= 1 && found + sought->size() <= text.size() + 1),
                    "a found position lies inside the text");
        }
    }
    // A start beyond the text (and far beyond it) finds nothing.
    Require(qingwu::Find(text, startMarker, static_cast<int>(text.size()) + 1) == -1,
            "Find from past the end");
    Require(qingwu::Find(text, startMarker, INT32_MAX) == -1, "Find from INT_MAX");

    const int count = static_cast<int>(startMarker.size()) - static_cast<int>(endMarker.size());
    Require(qingwu::Mid(text, start, count) == ReferenceMid(text, start, count), "Mid");
    Require(qingwu::Mid(text, 1, INT32_MAX) == text, "Mid with a huge count");

    // TextBetween: the bytes strictly between the first start marker and the first end marker
    // after it, empty when either is missing.
    const std::string cut = qingwu::TextBetween(text, startMarker, endMarker);
    std::string expected;
    const int a = ReferenceFind(text, startMarker, 1, false);
    if (a > 0) {
        const int s = a + static_cast<int>(startMarker.size());
        const int b = ReferenceFind(text, endMarker, s, false);
        expected = ReferenceMid(text, s, b - s);
    }
    Require(cut == expected, "TextBetween follows Find and Mid");
    if (!cut.empty()) {
        const std::size_t at = static_cast<std::size_t>(a) - 1 + startMarker.size();
        Require(text.compare(at, cut.size(), cut) == 0, "the cut is a piece of the text");
        Require(text.compare(at + cut.size(), endMarker.size(), endMarker) == 0,
                "the end marker follows the cut");
    }
    return 0;
}
