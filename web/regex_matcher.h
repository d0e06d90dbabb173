#pragma once

#include <memory>

#include "text/text.h"

namespace qingwu {

// Regular-expression matching with the dialect of the patterns stored in website profiles
// (ECMAScript-like: classes, \d \w \s \b, greedy and lazy quantifiers, capturing and
// non-capturing groups, lookahead). Texts are GBK; matching runs on characters. Every failure
// gives an empty value: a pattern that does not compile makes Execute return 0. An Execute that
// runs past its 1-second budget ends with the matches found so far. Move-only.
class RegexMatcher {
  public:
    RegexMatcher();
    ~RegexMatcher();
    RegexMatcher(RegexMatcher&&) noexcept;
    RegexMatcher& operator=(RegexMatcher&&) noexcept;
    RegexMatcher(const RegexMatcher&) = delete;
    RegexMatcher& operator=(const RegexMatcher&) = delete;

    // Sets the pattern and flags; drops earlier matches. False only when no engine can be made.
    bool Create(const Text& pattern, bool ignoreCase = true, bool multiline = true,
                bool global = true);
    Text GetPattern() const;
    // The text with the matches replaced ($1..$99, $&, $$ as the dialect knows them).
    Text Replace(const Text& text, const Text& replacement);
    // Runs over the whole text; returns the number of matches, which becomes MatchCount.
    int Execute(const Text& text);
    int MatchCount() const;
    // Whole text of match m (from 1); empty when out of range.
    Text MatchText(int matchIndex) const;
    // Group g (from 1) of match m (from 1); empty when out of range or the group took no part.
    Text SubMatchText(int matchIndex, int groupIndex) const;
    // Number of capture groups in the first match; 0 when nothing matched.
    int SubMatchCount() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace qingwu
