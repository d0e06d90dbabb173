#include "web/regex_limits.h"

#include <atomic>

namespace qingwu::regex_internal {
namespace {

constexpr std::chrono::milliseconds kProgramBudget{1000};

std::atomic<long long> budgetMs{kProgramBudget.count()};
std::atomic<bool> jitEnabled{true};

}  // namespace

std::chrono::milliseconds ExecuteBudget() {
    return std::chrono::milliseconds(budgetMs.load(std::memory_order_relaxed));
}

bool JitEnabled() {
    return jitEnabled.load(std::memory_order_relaxed);
}

void SetExecuteBudgetForTesting(std::chrono::milliseconds budget) {
    budgetMs.store(budget.count(), std::memory_order_relaxed);
}

void SetJitEnabledForTesting(bool enabled) {
    jitEnabled.store(enabled, std::memory_order_relaxed);
}

}  // namespace qingwu::regex_internal
