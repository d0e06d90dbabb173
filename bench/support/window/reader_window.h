#pragma once

#include <QApplication>
#include <memory>
#include <string>

#include "app/main_window.h"
#include "app/message_presenter.h"
#include "bench/support/bench_site.h"
#include "tests/support/temp_run_dir.h"

namespace qingwu::bench {

// Sets the process up as the reader's main() does: libcurl initialised, the offscreen platform
// unless another is chosen, a QApplication and the pending-events pump that processes Qt's
// events. Lives for the whole benchmark program.
class ReaderProcess {
  public:
    ReaderProcess(int& argc, char** argv);
    ~ReaderProcess();
    ReaderProcess(const ReaderProcess&) = delete;
    ReaderProcess& operator=(const ReaderProcess&) = delete;

  private:
    bool curlReady_ = false;
    std::unique_ptr<QApplication> app_;
};

// The real main window over a fresh run directory whose delivered demo profile points at a
// BenchSite, shown centred as the program shows it. Message boxes are answered by script (none
// is expected; one would otherwise wait for a click).
class ReaderWindow {
  public:
    explicit ReaderWindow(BenchSite& site);

    MainWindow& Window() { return *window_; }
    ReaderContext& Context() { return window_->Context(); }
    MainWindowPort& Port() { return window_->Port(); }
    MessagePresenter& Presenter() { return presenter_; }
    const test::TempRunDir& RunDir() const { return runDir_; }

    // Types the title and presses 按钮搜索; true when the results panel shows `hits` rows.
    bool Search(const std::string& titleUtf8, int hits);
    // Selects result row r and presses 按钮确定; true when chapter 0 of a book with `chapters`
    // chapters is shown.
    bool OpenResult(int row, int chapters);

  private:
    test::TempRunDir runDir_;
    MessagePresenter presenter_;
    std::unique_ptr<MainWindow> window_;
};

}  // namespace qingwu::bench
