#pragma once

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QWindow>
#include <string>
#include <vector>

#include "app/page_view.h"
#include "app/report_list.h"
#include "tests/app/window_fixture.h"
#include "tests/reading/fixture_site.h"

namespace qingwu::test {

// Records the key events a widget receives, and the chapter shown when each arrived.
class KeyRecorder : public QObject {
  public:
    struct Key {
        QEvent::Type type;
        int key;
        int chapterIndex;  // ChapterIndex when the widget received the key
    };

    KeyRecorder(QWidget& widget, const OpenBookState& state) : state_(state) {
        widget.installEventFilter(this);
    }
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease) {
            keys.push_back(
                {event->type(), static_cast<QKeyEvent*>(event)->key(), state_.ChapterIndex});
        }
        return false;
    }
    int Presses(int key) const {
        int n = 0;
        for (const Key& k : keys) {
            n += k.type == QEvent::KeyPress && k.key == key;
        }
        return n;
    }

    std::vector<Key> keys;

  private:
    const OpenBookState& state_;
};

// A window whose only website is the fixture site, with book "书一" of kChapters chapters.
class ReadingWindowTest : public WindowTest {
  protected:
    static constexpr int kChapters = 8;

    void SetUp() override {
        ASSERT_TRUE(site.Server().Listening());
        ASSERT_TRUE(run.ExecSk("DELETE FROM 书库信息;" + site.ProfileSql()));
        site.SetSearchResults({"作者甲"}, {"11"}, {"1"}, {"书一"});
        site.AddBook("11", "1", kChapters);
    }

    // Shows the window, searches for the book through the title box and opens it (chapter 1).
    void OpenBook() {
        MakeShown();
        Find<QLineEdit>("编辑框书名")->setText(QString::fromUtf8("书一"));
        QTest::mouseClick(Find("按钮搜索"), Qt::LeftButton);
        auto* results = Find<ReportList>("超级列表框搜索结果");
        ASSERT_EQ(results->RowCount(), 1);
        results->SetSelectedRow(0);
        QTest::mouseClick(Find("按钮确定"), Qt::LeftButton);
        ASSERT_EQ(Find<ReportList>("超级列表框章节列表")->RowCount(), kChapters);
        ASSERT_EQ(State().BookTitle, Gbk("书一"));
        ASSERT_TRUE(Showing(1));
    }

    // Double-clicks the chapter list's row of chapter n (from 1).
    void ActivateChapter(int n) {
        auto* list = Find<ReportList>("超级列表框章节列表");
        const QPoint at = list->visualRect(list->model()->index(n - 1, 0)).center();
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
    }

    // True when chapter n (from 1) is the chapter shown.
    bool Showing(int n) {
        return State().ChapterIndex == n - 1 &&
               State().ChapterTitle == FixtureSite::ChapterTitle(n) &&
               Find<PageView>("超文本浏览框1")
                   ->toPlainText()
                   .contains(QString::fromUtf8("第" + std::to_string(n) + "章 标题"));
    }

    // How many times the page of chapter n (from 1) was requested.
    int ChapterRequests(int n) {
        const std::string path = site.ChapterPath("11", "1", n);
        int count = 0;
        for (const RecordedRequest& r : site.Server().Requests()) {
            count += r.target == path;
        }
        return count;
    }

    OpenBookState& State() { return window->Context().state; }

    // A key press (or release) as the window system delivers it: to the window, then its focus.
    void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = {}, bool autoRepeat = false) {
        qt_handleKeyEvent(window->windowHandle(), QEvent::KeyPress, key, modifiers, {}, autoRepeat);
        QCoreApplication::processEvents();
    }
    void Release(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        qt_handleKeyEvent(window->windowHandle(), QEvent::KeyRelease, key, modifiers);
        QCoreApplication::processEvents();
    }

    FixtureSite site;
};

}  // namespace qingwu::test
