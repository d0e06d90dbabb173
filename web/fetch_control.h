#pragma once

#include <cstdint>

namespace qingwu::fetch {

// Runs the pending-events pump set with SetPendingEventsPump, when there is one. Never called
// from inside a libcurl callback: the pump may start other fetches or cancel this one.
void RunPendingEventsPump();

// The number of CancelAllFetches calls so far. A fetch notes it when it starts and stops once it
// has changed.
std::uint64_t CancelGeneration();

}  // namespace qingwu::fetch
