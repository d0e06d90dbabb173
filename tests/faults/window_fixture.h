#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QGroupBox>
#include <QPushButton>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_presenter.h"
#include "app/page_view.h"
#include "app/report_list.h"
#include "tests/faults/fault_site.h"
#include "tests/support/temp_run_dir.h"
#include "web/fetch_page.h"

namespace qingwu::test {

// The real main window on a fresh run directory whose only website profile is a FaultSite on
// the loopback server. Message boxes are answered from a script (No to the closing question
// unless a test queues Yes) and recorded. Fetch time-outs are shortened so that a stalled site
// fails within a second or two; the production limits come back after each test.
class WindowFixture : public ::testing::Test {
  protected:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kFetchTimeout{1500};

    void SetUp() override;
    void TearDown() override;

    // Adds the site's profile row under nameUtf8 (before OpenWindow: the window lists the
    // websites when it starts).
    void AddProfile(const std::string& nameUtf8, const std::string& searchUrl = {});
    // Creates and shows the window and waits (bounded) until it was activated and filled the
    // shelf list.
    void OpenWindow();
    MainWindow& Window() { return *window_; }
    MainWindowPort& Port() { return window_->Port(); }
    ReaderContext& Context() { return window_->Context(); }

    // User actions, through the controls.
    void Search(const std::string& titleUtf8);  // types the title, clicks 搜索
    void ClickOk();                             // 确定 of the search results
    void ActivateChapter(int row);              // selects the row, presses Enter on it
    void ChooseColour(int index);               // picks an entry of 组合框背景颜色
    void SelectShelfRow(int row);
    void ClickLoadBookmark();  // 载入书签
    void ClickAddToShelf();    // 加入书架
    // Search, open the first result and wait until its first chapter is shown.
    void OpenBook(const std::string& titleUtf8 = "青梧");

    // Closes the window (as its close button does) from inside the event loop as soon as
    // condition holds; checked every few milliseconds until the window has closed.
    void CloseWhen(std::function<bool()> condition);
    bool Closed() const { return closed_; }

    // Runs the event loop until condition holds or timeout passes; true when it held.
    static bool WaitUntil(const std::function<bool()>& condition,
                          std::chrono::milliseconds timeout = std::chrono::seconds(10));

    // The texts of the message boxes shown since the last call.
    std::vector<std::string> TakeMessages();

    // The file is sound and its settings and shelf rows are exactly these.
    void ExpectDb1(const TempRunDir::Rows& settings, const TempRunDir::Rows& shelf);
    TempRunDir::Rows ShelfRows() const;

    TempRunDir run_;
    FaultSite site_;
    MessagePresenter presenter_;
    std::unique_ptr<MainWindow> window_;

  private:
    FetchLimits savedLimits_;
    bool closed_ = false;
};

}  // namespace qingwu::test
