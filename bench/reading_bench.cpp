// The reading road on the real window (offscreen) against a loopback site in the demo site's
// shapes: a search with 100 hits, opening books of 1,000, 5,000 and 50,000 chapters (from the
// click on 确定 to chapter 0 shown), and showing or stepping to a chapter of about 10 KB.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <map>
#include <string>

#include "bench/support/bench_site.h"
#include "bench/support/window/reader_window.h"
#include "reading/chapter_reader.h"
#include "web/fetch_page.h"

namespace {

using qingwu::bench::BenchSite;
using qingwu::bench::ReaderWindow;

constexpr int kHits = 100;
constexpr int kReadingBookChapters = 5000;
// Result row r opens book 1001 + r; these rows are the books the benchmarks open.
const std::map<int, int> kRowOfChapters = {{1000, 0}, {5000, 1}, {50000, 2}};

void SearchBooks100Hits(benchmark::State& state, ReaderWindow& reader) {
    for (auto _ : state) {
        if (!reader.Search("青梧", kHits)) {
            state.SkipWithError("search did not show 100 rows");
            break;
        }
    }
}

// From the click on 确定 to chapter 0 shown and the window's pending events processed.
void OpenBook(benchmark::State& state, ReaderWindow& reader, int chapters) {
    if (!reader.Search("青梧", kHits)) {
        state.SkipWithError("search failed");
        return;
    }
    for (auto _ : state) {
        if (!reader.OpenResult(kRowOfChapters.at(chapters), chapters)) {
            state.SkipWithError("book not opened");
            break;
        }
        QCoreApplication::processEvents();
    }
}

// Opens the 5,000-chapter book once for the chapter benchmarks.
bool OpenForReading(benchmark::State& state, ReaderWindow& reader) {
    if (!reader.Search("青梧", kHits) ||
        !reader.OpenResult(kRowOfChapters.at(kReadingBookChapters), kReadingBookChapters)) {
        state.SkipWithError("book not opened");
        return false;
    }
    return true;
}

// The toolbar's 下一章 from chapter N to N + 1, rewinding (untimed) near the end.
void NextChapter10KB(benchmark::State& state, ReaderWindow& reader) {
    if (!OpenForReading(state, reader)) {
        return;
    }
    qingwu::ReaderContext& ctx = reader.Context();
    for (auto _ : state) {
        const int before = ctx.state.ChapterIndex;
        reader.Window().RunToolbarButton(6);
        if (ctx.state.ChapterIndex != before + 1) {
            state.SkipWithError("did not step");
            break;
        }
        QCoreApplication::processEvents();
        if (ctx.state.ChapterIndex >= kReadingBookChapters - 2) {
            state.PauseTiming();
            qingwu::ShowChapter(ctx, 0);
            state.ResumeTiming();
        }
    }
}

void ShowChapter10KB(benchmark::State& state, ReaderWindow& reader) {
    if (!OpenForReading(state, reader)) {
        return;
    }
    qingwu::ReaderContext& ctx = reader.Context();
    int n = 0;
    for (auto _ : state) {
        qingwu::ShowChapter(ctx, n);
        if (ctx.state.ChapterIndex != n) {
            state.SkipWithError("not shown");
            break;
        }
        QCoreApplication::processEvents();
        n = (n + 1) % BenchSite::kCachedChapters;
    }
}

// The two largest parts of a chapter shown, alone: the fetch of its page, and the HTML view
// showing the page file (parse, layout and the paint that follows).
void FetchChapterPage10KB(benchmark::State& state, ReaderWindow& reader) {
    if (!OpenForReading(state, reader)) {
        return;
    }
    const qingwu::Text address = reader.Context().state.ChapterPageAddress + "1.html";
    for (auto _ : state) {
        if (qingwu::FetchPage(address).size() < 10000) {
            state.SkipWithError("short chapter page");
            break;
        }
    }
}

void ShowPageFile10KB(benchmark::State& state, ReaderWindow& reader) {
    if (!OpenForReading(state, reader)) {
        return;
    }
    const std::string path = reader.Context().ChapterPagePath();
    for (auto _ : state) {
        reader.Port().ShowPageFile(path);
        QCoreApplication::processEvents();
    }
}

}  // namespace

int main(int argc, char** argv) {
    qingwu::bench::ReaderProcess process(argc, argv);
    BenchSite site;
    site.SetSearchHits(kHits);
    for (const auto& [chapters, row] : kRowOfChapters) {
        site.AddBook(1001 + row, chapters);
    }
    ReaderWindow reader(site);

    benchmark::RegisterBenchmark("BM_SearchBooks_100Hits", SearchBooks100Hits, std::ref(reader))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    for (const auto& [chapters, row] : kRowOfChapters) {
        benchmark::RegisterBenchmark(("BM_OpenBook/" + std::to_string(chapters)).c_str(), OpenBook,
                                     std::ref(reader), chapters)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("BM_NextChapter_10KB", NextChapter10KB, std::ref(reader))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_ShowChapter_10KB", ShowChapter10KB, std::ref(reader))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();

    benchmark::RegisterBenchmark("BM_FetchChapterPage_10KB", FetchChapterPage10KB, std::ref(reader))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("BM_ShowPageFile_10KB", ShowPageFile10KB, std::ref(reader))
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
