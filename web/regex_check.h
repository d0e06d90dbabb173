#pragma once

#include <string>

#include "text/text.h"

namespace qingwu {

// Compiles a profile pattern exactly as RegexMatcher does (same translator, same options) without
// matching anything. True when it compiles. Otherwise error receives the reason (UTF-8: the
// translator's or PCRE2's message) and offset the position of the fault in the pattern as
// written, counted in characters from 0. Either output may be null.
bool CheckPattern(const Text& pattern, std::string* error, int* offset);

// The number of capture groups of a profile pattern as RegexMatcher compiles it, whether or not
// it would match anything; -1 when the pattern does not compile.
int CaptureGroupCount(const Text& pattern);

}  // namespace qingwu
