// GBK decoding and marker cutting on a 1 MB page in the demo site's markup.

#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench/support/bench_pages.h"
#include "text/gbk.h"
#include "text/text.h"
#include "web/text_between.h"

namespace {

const qingwu::Text& MegabytePage() {
    static const qingwu::Text page = qingwu::bench::LargePage(1 << 20);
    return page;
}

void BM_GbkToUtf16_1MB(benchmark::State& state) {
    const qingwu::Text& page = MegabytePage();
    for (auto _ : state) {
        benchmark::DoNotOptimize(qingwu::GbkToUtf16(page).data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_GbkToUtf16_1MB)->Unit(benchmark::kMicrosecond);

void BM_Utf16ToGbk_1MB(benchmark::State& state) {
    const std::u16string decoded = qingwu::GbkToUtf16(MegabytePage());
    for (auto _ : state) {
        benchmark::DoNotOptimize(qingwu::Utf16ToGbk(decoded).data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(MegabytePage().size()));
}
BENCHMARK(BM_Utf16ToGbk_1MB)->Unit(benchmark::kMicrosecond);

// Both markers near the end: the whole page is scanned character by character.
void BM_TextBetween_1MB(benchmark::State& state) {
    const qingwu::Text& page = MegabytePage();
    const qingwu::Text before = qingwu::Utf8ToGbk("<div id=\"content\">");
    const qingwu::Text after = qingwu::Utf8ToGbk("</div>");
    for (auto _ : state) {
        const qingwu::Text cut = qingwu::TextBetween(page, before, after);
        if (cut.empty()) {
            state.SkipWithError("markers not found");
            break;
        }
        benchmark::DoNotOptimize(cut.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_TextBetween_1MB)->Unit(benchmark::kMicrosecond);

// A Chinese text found only at the end of the page: every earlier occurrence of its first byte
// is checked against the character boundaries.
void BM_FindChinese_1MB(benchmark::State& state) {
    const qingwu::Text& page = MegabytePage();
    const qingwu::Text sought = qingwu::Utf8ToGbk("正文在此");
    for (auto _ : state) {
        const int at = qingwu::Find(page, sought, 1);
        if (at < 0) {
            state.SkipWithError("not found");
            break;
        }
        benchmark::DoNotOptimize(at);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(page.size()));
}
BENCHMARK(BM_FindChinese_1MB)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
