// Whole-process figures of the reader, each iteration one child process of this program:
//   start-up to the window shown: the child builds the window as the reader's main() does and
//   ends at the window's first paint (beside it, a bare Qt window for the toolkit's own floor);
//   peak memory: the child starts, searches and opens the 5,000-chapter book from a loopback
//   site run by this process, and its peak resident memory is read when it ends.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPushButton>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/message_presenter.h"
#include "bench/support/bench_site.h"
#include "bench/support/child_process.h"
#include "reading/control_names.h"
#include "tests/support/temp_run_dir.h"
#include "text/gbk.h"
#include "web/fetch_page.h"

namespace {

namespace cn = qingwu::control;
using Clock = std::chrono::steady_clock;

constexpr int kOpenedChapters = 5000;

// Runs an event loop until the watched widget has painted for the first time. (The
// application's own quit would close the window first, and the reader's close offer with it.)
class UntilFirstPaint : public QObject {
  public:
    explicit UntilFirstPaint(QWidget& widget) : widget_(widget) {
        widget_.installEventFilter(this);
    }
    ~UntilFirstPaint() override { widget_.removeEventFilter(this); }

    int Run() { return loop_.exec(); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !painted_) {
            painted_ = true;
            QMetaObject::invokeMethod(&loop_, &QEventLoop::quit, Qt::QueuedConnection);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    QWidget& widget_;
    QEventLoop loop_;
    bool painted_ = false;
};

// The child modes. Each returns the process's exit status.
int ChildBareWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.resize(600, 549);
    UntilFirstPaint firstPaint(window);
    window.show();
    return firstPaint.Run();
}

int ChildReader(int argc, char** argv, const std::string& mode, const std::string& runDir) {
    if (curl_global_init(CURL_GLOBAL_ALL) != CURLE_OK) {
        return 2;
    }
    int status = 0;
    {
        QApplication app(argc, argv);
        qingwu::SetPendingEventsPump([] { QCoreApplication::processEvents(); });
        qingwu::MessagePresenter presenter;
        presenter.UseScriptedAnswers();  // a box would wait for a click that never comes
        qingwu::MainWindow window(runDir, presenter);
        UntilFirstPaint firstPaint(window);
        window.ShowCentred();
        status = firstPaint.Run();
        if (mode == "open" && status == 0) {
            qingwu::MainWindowPort& w = window.Port();
            w.SetEditText(cn::编辑框书名, qingwu::Utf8ToGbk("青梧"));
            window.按钮搜索->click();
            w.SetSelectedRow(cn::超级列表框搜索结果, 0);
            window.按钮确定->click();
            QCoreApplication::processEvents();
            const int results = w.RowCount(cn::超级列表框搜索结果);
            const int chapters = w.RowCount(cn::超级列表框章节列表);
            if (chapters != kOpenedChapters) {
                std::fprintf(stderr, "startup_bench: %d results, %d chapters opened\n", results,
                             chapters);
                for (const auto& box : presenter.Shown()) {
                    std::fprintf(stderr, "startup_bench: message %s\n", box.text.c_str());
                }
                status = 3;
            }
        }
        qingwu::SetPendingEventsPump({});
    }
    curl_global_cleanup();
    return status;
}

void RunChildren(benchmark::State& state, const std::vector<std::string>& argv) {
    long peakKib = 0;
    for (auto _ : state) {
        const qingwu::bench::ChildRun run =
            qingwu::bench::RunChild(argv, false, {"QT_QPA_PLATFORM=offscreen"});
        if (run.exitCode != 0) {
            state.SkipWithError("child failed");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(run.wall).count());
        peakKib = std::max(peakKib, run.maxRssKib);
    }
    state.counters["max_rss_MiB"] = static_cast<double>(peakKib) / 1024.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--child-bare") == 0) {
        return ChildBareWindow(argc, argv);
    }
    if (argc >= 3 && std::strncmp(argv[1], "--child-", 8) == 0) {
        return ChildReader(argc, argv, argv[1] + 8, argv[2]);
    }

    const std::string self = qingwu::bench::SelfPath();
    qingwu::bench::BenchSite site;
    site.SetSearchHits(1);
    site.AddBook(1001, kOpenedChapters);
    qingwu::test::TempRunDir runDir;
    site.PointProfileAt(runDir);

    benchmark::RegisterBenchmark("BM_StartupBareQtWindow", RunChildren,
                                 std::vector<std::string>{self, "--child-bare"})
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("BM_StartupToWindowShown", RunChildren,
                                 std::vector<std::string>{self, "--child-start", runDir.Path()})
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::RegisterBenchmark("BM_StartSearchOpen5000", RunChildren,
                                 std::vector<std::string>{self, "--child-open", runDir.Path()})
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
