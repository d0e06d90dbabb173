#include "web/fetch_control.h"

#include <atomic>
#include <functional>
#include <memory>
#include <utility>

#include "web/fetch_page.h"

namespace qingwu {
namespace {

// The program-wide settings of the fetcher: the pump the application sets at start, the cancel
// counter the closing window bumps, and the limits (tests shorten the time-outs).
std::shared_ptr<const std::function<void()>>& Pump() {
    static std::shared_ptr<const std::function<void()>> pump;
    return pump;
}

std::atomic<std::uint64_t>& Generation() {
    static std::atomic<std::uint64_t> generation{0};
    return generation;
}

}  // namespace

void SetPendingEventsPump(std::function<void()> pump) {
    Pump() = pump ? std::make_shared<const std::function<void()>>(std::move(pump)) : nullptr;
}

void CancelAllFetches() {
    Generation().fetch_add(1);
}

FetchLimits& CurrentFetchLimits() {
    static FetchLimits limits;
    return limits;
}

namespace fetch {

void RunPendingEventsPump() {
    // A local reference keeps the pump alive even when it replaces itself while it runs.
    const std::shared_ptr<const std::function<void()>> pump = Pump();
    if (pump) {
        (*pump)();
    }
}

std::uint64_t CancelGeneration() {
    return Generation().load();
}

}  // namespace fetch
}  // namespace qingwu
