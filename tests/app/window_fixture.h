#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <string_view>

#include "app/main_window.h"
#include "app/message_presenter.h"
#include "tests/support/temp_run_dir.h"

namespace qingwu::test {

// A main window on a fresh run directory, its message boxes answered from a script. The
// databases can be prepared (run.ExecDb1 / ExecSk) before Make() creates the window.
class WindowTest : public ::testing::Test {
  protected:
    void TearDown() override {
        if (window) {
            window->hide();
            window.reset();
        }
    }

    // Creates the window (InitMainWindow runs) without showing it.
    void Make() {
        presenter.UseScriptedAnswers();
        window = std::make_unique<MainWindow>(run.Path(), presenter);
    }

    // Creates and shows the window, and waits until it is active and has its outer size.
    void MakeShown() {
        Make();
        window->ShowCentred();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        ASSERT_TRUE(QTest::qWaitFor([this] {
            return window->frameGeometry().size() ==
                   QSize(MainWindow::kOuterWidth, MainWindow::kOuterHeight);
        }));
    }

    // The control with this object name, of kind T; fails the test when there is none.
    template <class T = QWidget>
    T* Find(std::string_view name) const {
        T* found = window->findChild<T*>(QString::fromUtf8(name.data(), qsizetype(name.size())));
        EXPECT_NE(found, nullptr) << "no control " << name;
        return found;
    }

    TempRunDir run;
    MessagePresenter presenter;
    std::unique_ptr<MainWindow> window;
};

}  // namespace qingwu::test
