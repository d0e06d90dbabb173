#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qingwu {

// Why a pattern was refused; the values are the run-time error numbers of the dialect.
enum class PatternError {
    kNone = 0,
    kSyntax = 5017,
    kUnexpectedQuantifier = 5018,
    kExpectedBracket = 5019,
    kExpectedParen = 5020,
    kInvalidRange = 5021,
};

struct TranslatedPattern {
    std::u16string pcre2;  // the pattern in PCRE2 syntax; meaningful only without error
    // For each unit of pcre2, the position (UTF-16 units from 0) in the source pattern of the
    // item it was written for, so that an error PCRE2 reports can be placed in the source.
    std::vector<std::size_t> sourceOffsets;
    PatternError error = PatternError::kNone;
    std::size_t errorOffset = 0;  // where in the source pattern the error lies
};

// Rewrites a pattern of the profiles' ECMAScript-like dialect into PCRE2 syntax with the same
// meaning under the compile options the matcher uses (UTF, ALT_BSUX, MATCH_UNSET_BACKREF,
// ALLOW_EMPTY_CLASS, DOLLAR_ENDONLY, no UCP). Every escape is resolved here: digit escapes become
// back references, octal characters or literal digits; \v, \cX, \xHH and \uHHHH become code
// points; letters the dialect does not know as escapes stand for themselves; a '{' that does not
// begin a quantifier, and '[' or a '-' next to a class escape inside a class, are literal.
// Constructs the dialect lacks (lookbehind, named groups, inline flags, comments, verbs,
// possessive or doubled quantifiers) are refused. ignoreCase wraps the few characters whose
// Unicode case folding reaches further than the dialect's upper-casing rule.
TranslatedPattern TranslatePattern(std::u16string_view pattern, bool ignoreCase);

}  // namespace qingwu
