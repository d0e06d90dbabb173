#pragma once

#include <QString>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/message_presenter.h"
#include "tests/reading/fixture_site.h"
#include "tests/support/temp_run_dir.h"

namespace qingwu::test {

// One reader on a fresh run directory whose only website is a FixtureSite, with every message
// box answered from a script and recorded. The window is real and shown (offscreen in tests).
class ReaderHarness {
  public:
    ReaderHarness();
    ~ReaderHarness();

    TempRunDir& Run() { return run_; }
    FixtureSite& Site() { return site_; }
    MessagePresenter& Presenter() { return presenter_; }

    // Creates and shows the window (again, after CloseWindow).
    MainWindow& Start();
    MainWindow& Window() { return *window_; }
    bool Started() const { return window_ != nullptr; }
    // Closes the window the way the user does and destroys it.
    void CloseWindow();

    OpenBookState& State() { return window_->Context().state; }

    // Types the title into the title box and clicks the search button.
    void Search(const std::string& titleUtf8);
    // Selects a row of a list with a click, as a user does.
    void ClickRow(ReportList* list, int row);
    // Opens the first search result with the "确定" button.
    void OpenFirstResult();
    // Puts a book with the given number of chapters on the site, searches its title and opens
    // it from the results: chapter 0 is then shown.
    void OpenBook(int chapters, const std::string& titleUtf8 = "测试书",
                  const std::string& authorUtf8 = "作者", const std::string& id = "11",
                  const std::string& prefix = "1");
    // Clicks a toolbar item (0 shelf, 2 add, 4 previous, 6 next, 8 settings).
    void ClickToolbar(int item);

    // The bytes of data/1.html; empty when it does not exist.
    std::string PageFile() const;
    bool PageFileExists() const;

    // The texts of the message boxes shown so far, "caption|text" in UTF-8.
    std::vector<std::string> Messages() const;

    // A cell of a list as UTF-8.
    static std::string Cell(ReportList* list, int row, int column);

  private:
    TempRunDir run_;
    FixtureSite site_;
    MessagePresenter presenter_;
    std::unique_ptr<MainWindow> window_;
};

QString Q(const std::string& utf8);

}  // namespace qingwu::test
