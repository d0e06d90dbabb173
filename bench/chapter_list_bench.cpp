// The chapter list of books of 1,000, 10,000 and 100,000 chapters on the real window: the whole
// ParseChapterList (pattern, groups, both lists filled), and the fill of the two lists alone.
// The 100,000-chapter figures should be no more than 12 times the 10,000-chapter ones.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <string>
#include <vector>

#include "bench/support/bench_pages.h"
#include "bench/support/bench_site.h"
#include "bench/support/window/reader_window.h"
#include "reading/book_opening.h"
#include "reading/control_names.h"
#include "text/gbk.h"
#include "web/regex_matcher.h"

namespace {

using qingwu::bench::ReaderWindow;
namespace cn = qingwu::control;

const int kSizes[] = {1000, 10000, 100000};

void ClearLists(qingwu::MainWindowPort& w) {
    w.RemoveAllRows(cn::超级列表框章节列表);
    w.RemoveAllRows(cn::超级列表框页面列表);
}

void ParseChapterListBench(benchmark::State& state, ReaderWindow& reader, int chapters) {
    const qingwu::Text page = qingwu::bench::ChapterListPage(chapters);
    qingwu::ReaderContext& ctx = reader.Context();
    ctx.state.SiteName = qingwu::bench::SiteName();
    for (auto _ : state) {
        state.PauseTiming();
        ClearLists(ctx.window);
        state.ResumeTiming();
        qingwu::ParseChapterList(ctx, page);
        if (ctx.window.RowCount(cn::超级列表框章节列表) != chapters) {
            state.SkipWithError("wrong number of rows");
            break;
        }
    }
    state.counters["page_bytes"] = static_cast<double>(page.size());
}

void FillChapterLists(benchmark::State& state, ReaderWindow& reader, int chapters) {
    std::vector<qingwu::Text> numbers;
    std::vector<qingwu::Text> names;
    for (int n = 1; n <= chapters; ++n) {
        numbers.push_back(std::to_string(n) + ".html");
        names.push_back(qingwu::Utf8ToGbk(qingwu::bench::ChapterName(n)));
    }
    qingwu::MainWindowPort& w = reader.Port();
    for (auto _ : state) {
        state.PauseTiming();
        ClearLists(w);
        QCoreApplication::processEvents();
        state.ResumeTiming();
        w.AppendRows(cn::超级列表框页面列表, numbers);
        w.AppendRows(cn::超级列表框章节列表, names);
        QCoreApplication::processEvents();
    }
}

}  // namespace

int main(int argc, char** argv) {
    qingwu::bench::ReaderProcess process(argc, argv);
    qingwu::bench::BenchSite site;
    ReaderWindow reader(site);
    for (const int chapters : kSizes) {
        benchmark::RegisterBenchmark(("BM_ParseChapterList/" + std::to_string(chapters)).c_str(),
                                     ParseChapterListBench, std::ref(reader), chapters)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    for (const int chapters : kSizes) {
        benchmark::RegisterBenchmark(("BM_FillChapterLists/" + std::to_string(chapters)).c_str(),
                                     FillChapterLists, std::ref(reader), chapters)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
