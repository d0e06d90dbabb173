#pragma once

#include <chrono>

namespace qingwu::regex_internal {

// The wall-clock budget of one Execute or Replace: past it, matching stops and keeps the matches
// found so far. One second in the program.
std::chrono::milliseconds ExecuteBudget();

// Whether patterns are JIT-compiled (always in the program). Both setters exist for tests only:
// a short budget keeps a runaway-pattern test fast, and switching the JIT off exercises the
// interpreter. They affect matchers created afterwards (the JIT) or the next Execute (the budget).
bool JitEnabled();
void SetExecuteBudgetForTesting(std::chrono::milliseconds budget);
void SetJitEnabledForTesting(bool enabled);

}  // namespace qingwu::regex_internal
