// FetchPage of a 10 MB page over the loopback, side by side with the curl command-line tool
// fetching the same address from the same server, as throughput.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "bench/support/bench_pages.h"
#include "bench/support/child_process.h"
#include "tests/support/loopback_server.h"
#include "web/fetch_page.h"

namespace {

constexpr std::size_t kBodyBytes = 10u << 20;

// The server generates the body while sending it: the same cost for every client.
qingwu::test::LoopbackServer& Server() {
    static qingwu::test::LoopbackServer server(
        [](const qingwu::test::RecordedRequest&, std::size_t) {
            static const std::string line = qingwu::bench::ChapterListPage(1).substr(0, 512);
            return qingwu::test::LargeBody(kBodyBytes, line);
        });
    return server;
}

void SetThroughput(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(kBodyBytes));
}

// With a pump that does as little as the idle window's event processing.
void BM_FetchPage_10MB(benchmark::State& state) {
    const std::string url = Server().Url("/big.html");
    std::size_t pumpCalls = 0;
    qingwu::SetPendingEventsPump([&pumpCalls] { ++pumpCalls; });
    for (auto _ : state) {
        const qingwu::Text body = qingwu::FetchPage(url);
        if (body.size() != kBodyBytes) {
            state.SkipWithError("short body");
            break;
        }
        benchmark::DoNotOptimize(body.data());
    }
    qingwu::SetPendingEventsPump(nullptr);
    state.counters["pumps_per_fetch"] =
        static_cast<double>(pumpCalls) / static_cast<double>(state.iterations());
    SetThroughput(state);
}
BENCHMARK(BM_FetchPage_10MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole curl process: start, connect, receive, write to /dev/null, exit.
void BM_CurlProcess_10MB(benchmark::State& state) {
    const std::string url = Server().Url("/big.html");
    for (auto _ : state) {
        const qingwu::bench::ChildRun run = qingwu::bench::RunChild(
            {"curl", "-s", "-f", "--noproxy", "*", "-o", "/dev/null", url}, false);
        if (run.exitCode != 0) {
            state.SkipWithError("curl failed");
            break;
        }
    }
    SetThroughput(state);
}
BENCHMARK(BM_CurlProcess_10MB)->Unit(benchmark::kMillisecond)->UseRealTime();

// curl's own measure of the transfer (time_total: from its start of name resolution to the
// last byte), without the process start and exit.
void BM_CurlTransfer_10MB(benchmark::State& state) {
    const std::string url = Server().Url("/big.html");
    for (auto _ : state) {
        const qingwu::bench::ChildRun run = qingwu::bench::RunChild(
            {"curl", "-s", "-f", "--noproxy", "*", "-o", "/dev/null", "-w", "%{time_total}", url},
            true);
        double seconds = 0;
        std::istringstream(run.output) >> seconds;
        if (run.exitCode != 0 || seconds <= 0) {
            state.SkipWithError("curl failed");
            break;
        }
        state.SetIterationTime(seconds);
    }
    SetThroughput(state);
}
BENCHMARK(BM_CurlTransfer_10MB)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_ALL);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    curl_global_cleanup();
    return 0;
}
