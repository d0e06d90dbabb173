// Loopback throughput of FetchPage: one page of the given size per iteration, from a server
// that generates the body while sending it.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstddef>

#include "tests/support/loopback_server.h"
#include "web/fetch_page.h"

namespace {

void BM_FetchLargePage(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    qingwu::test::LoopbackServer server([size](const qingwu::test::RecordedRequest&, std::size_t) {
        return qingwu::test::LargeBody(size, "<p>0123456789abcdefghijklmnopqrstuvwxyz</p>\r\n");
    });
    for (auto _ : state) {
        const qingwu::Text body = qingwu::FetchPage(server.Url("/big.html"));
        if (body.size() != size) {
            state.SkipWithError("short body");
            break;
        }
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}
BENCHMARK(BM_FetchLargePage)
    ->Arg(64 << 10)
    ->Arg(10 << 20)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// With a pump that does a little work, as the window's event processing would.
void BM_FetchLargePageWithPump(benchmark::State& state) {
    const auto size = static_cast<std::size_t>(state.range(0));
    qingwu::test::LoopbackServer server([size](const qingwu::test::RecordedRequest&, std::size_t) {
        return qingwu::test::LargeBody(size, "<p>0123456789abcdefghijklmnopqrstuvwxyz</p>\r\n");
    });
    std::size_t pumpCalls = 0;
    qingwu::SetPendingEventsPump([&pumpCalls] { ++pumpCalls; });
    for (auto _ : state) {
        benchmark::DoNotOptimize(qingwu::FetchPage(server.Url("/big.html")).size());
    }
    qingwu::SetPendingEventsPump(nullptr);
    state.counters["pump_calls_per_fetch"] =
        static_cast<double>(pumpCalls) / static_cast<double>(state.iterations());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(size));
}
BENCHMARK(BM_FetchLargePageWithPump)->Arg(10 << 20)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_ALL);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    curl_global_cleanup();
    return 0;
}
