// The chapter pattern of the delivered demo profile over the chapter-list page of a
// 5,000-chapter book: RegexMatcher (Execute, then every group of every match) side by side with
// the same pattern and page run by Node's engine (bench/node_regex.js).

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "bench/support/bench_pages.h"
#include "bench/support/child_process.h"
#include "tests/support/temp_run_dir.h"
#include "text/gbk.h"
#include "web/regex_matcher.h"

namespace {

constexpr int kChapters = 5000;
constexpr int kNodeIterations = 200;

// The page, the pattern and both as files for Node; made once for every benchmark.
struct Fixture {
    qingwu::test::TempRunDir runDir;
    qingwu::Text page = qingwu::bench::ChapterListPage(kChapters);
    std::string patternUtf8;
    std::string pagePath;
    std::string patternPath;

    Fixture() {
        const auto rows =
            runDir.QuerySk("SELECT 书库列出全部章节正则 FROM 书库信息 WHERE 书库名称 = '青梧书屋'");
        if (!rows.empty() && !rows[0].empty()) {
            patternUtf8 = rows[0][0];
        }
        pagePath = runDir.DataPath("list.html");
        patternPath = runDir.DataPath("pattern.txt");
        std::ofstream(pagePath, std::ios::binary) << page;
        std::ofstream(patternPath, std::ios::binary) << patternUtf8;
    }
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_RegexChapterPass(benchmark::State& state) {
    Fixture& f = Shared();
    qingwu::RegexMatcher matcher;
    if (f.patternUtf8.empty() ||
        !matcher.Create(qingwu::Utf8ToGbk(f.patternUtf8), true, false, true)) {
        state.SkipWithError("no chapter pattern");
        return;
    }
    int matches = 0;
    for (auto _ : state) {
        matches = matcher.Execute(f.page);
        const int groups = matcher.SubMatchCount();
        std::size_t bytes = 0;
        for (int j = 1; j <= matches; ++j) {
            for (int g = 1; g <= groups; ++g) {
                bytes += matcher.SubMatchText(j, g).size();
            }
        }
        benchmark::DoNotOptimize(bytes);
    }
    if (matches != kChapters) {
        state.SkipWithError("wrong number of matches");
    }
    state.counters["matches"] = matches;
}
BENCHMARK(BM_RegexChapterPass)->Unit(benchmark::kMillisecond)->UseRealTime();

// Typical clean-up and extraction rules over a 1 MB page (GBK decoding included, as in every
// Execute); the argument picks the rule.
const char* const kPageRules[] = {
    "&nbsp;",
    R"(<br\s*/?>)",
    "<[^>]*>",
    "第[一二三四五六七八九十百千0-9]+章",
    R"(w{3}\.[a-z0-9]+\.(?:com|net))",
    R"([^\x00-\xff]{2,})",
    R"re(<a href="(\d+)\.html">([^<]*)</a>)re",
};

void BM_RegexPageRule_1MB(benchmark::State& state) {
    static const qingwu::Text page = qingwu::bench::LargePage(1 << 20);
    const char* rule = kPageRules[state.range(0)];
    qingwu::RegexMatcher matcher;
    if (!matcher.Create(qingwu::Utf8ToGbk(rule), true, false, true)) {
        state.SkipWithError("no engine");
        return;
    }
    int matches = 0;
    for (auto _ : state) {
        matches = matcher.Execute(page);
        benchmark::DoNotOptimize(matches);
    }
    state.SetLabel(rule);
    state.counters["matches"] = matches;
}
BENCHMARK(BM_RegexPageRule_1MB)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);

// Execute alone (decoding the page and matching), without reading the groups back.
void BM_RegexExecuteOnly(benchmark::State& state) {
    Fixture& f = Shared();
    qingwu::RegexMatcher matcher;
    if (f.patternUtf8.empty() ||
        !matcher.Create(qingwu::Utf8ToGbk(f.patternUtf8), true, false, true)) {
        state.SkipWithError("no chapter pattern");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(matcher.Execute(f.page));
    }
}
BENCHMARK(BM_RegexExecuteOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// One Node process per iteration; its own mean per pass over kNodeIterations passes after a
// warm-up becomes the iteration's time.
void NodePass(benchmark::State& state, const char* mode) {
    Fixture& f = Shared();
    const std::string script = std::string(QINGWU_SOURCE_DIR) + "/bench/node_regex.js";
    for (auto _ : state) {
        const qingwu::bench::ChildRun run = qingwu::bench::RunChild(
            {"node", script, f.pagePath, f.patternPath, mode, std::to_string(kNodeIterations)},
            true);
        double nanoseconds = 0;
        int matches = 0;
        std::istringstream(run.output) >> nanoseconds >> matches;
        if (run.exitCode != 0 || matches != kChapters) {
            state.SkipWithError("node failed or matched differently");
            break;
        }
        state.SetIterationTime(nanoseconds * 1e-9);
        state.counters["matches"] = matches;
    }
}

void BM_NodeRegexChapterPass(benchmark::State& state) {
    NodePass(state, "regex");
}
BENCHMARK(BM_NodeRegexChapterPass)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

void BM_NodeDecodeAndRegexChapterPass(benchmark::State& state) {
    NodePass(state, "decode+regex");
}
BENCHMARK(BM_NodeDecodeAndRegexChapterPass)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
