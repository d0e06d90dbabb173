#pragma once

#include <string>

#include "text/text.h"

namespace qingwu {

// What compiling a pattern the way RegexMatcher::Create does (same translator, same options)
// gives, without matching anything.
struct PatternDiagnosis {
    bool compiles = false;
    std::string message;  // UTF-8: why it does not compile (the translator's or PCRE2's text)
    int offset = -1;      // where the fault lies, in characters from 0 of the pattern as written
    int groupCount = -1;  // the capture groups of a pattern that compiles
};

PatternDiagnosis DiagnosePattern(const Text& pattern, bool ignoreCase, bool multiline);

}  // namespace qingwu
