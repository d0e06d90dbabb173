// The arrow keys as chapter steps, in every window of the program.
#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include "app/chapter_key_filter.h"
#include "tests/app/reading_window.h"

namespace qingwu::test {
namespace {

// A top-level widget with a focused child; neither handles keys, so each key press travels from
// the child to its parent.
class KeyFilterTest : public ::testing::Test {
  protected:
    void SetUp() override {
        child = new QWidget(&top);
        child->setFocusPolicy(Qt::StrongFocus);
        top.resize(100, 100);
        top.show();
        top.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&top));
        child->setFocus();
        InstallChapterKeyHook(filter);
    }
    void TearDown() override { RemoveChapterKeyHook(filter); }

    void Send(QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers modifiers,
              bool autoRepeat = false) {
        qt_handleKeyEvent(top.windowHandle(), type, key, modifiers, {}, autoRepeat);
        QCoreApplication::processEvents();
    }

    int next = 0;
    int previous = 0;
    ChapterKeyFilter filter{[this] { ++next; }, [this] { ++previous; }};
    QWidget top;
    QWidget* child = nullptr;
};

TEST_F(KeyFilterTest, EachKeyDownOfAnArrowStepsOnce) {
    struct Case {
        const char* name;
        QEvent::Type type;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        bool autoRepeat;
        int next;
        int previous;
    };
    const Case cases[] = {
        {"right", QEvent::KeyPress, Qt::Key_Right, {}, false, 1, 0},
        {"left", QEvent::KeyPress, Qt::Key_Left, {}, false, 0, 1},
        {"auto-repeated right", QEvent::KeyPress, Qt::Key_Right, {}, true, 1, 0},
        {"shift+right", QEvent::KeyPress, Qt::Key_Right, Qt::ShiftModifier, false, 1, 0},
        {"ctrl+left", QEvent::KeyPress, Qt::Key_Left, Qt::ControlModifier, false, 0, 1},
        {"keypad 6 without num lock", QEvent::KeyPress, Qt::Key_Right, Qt::KeypadModifier, false, 1,
         0},
        {"keypad 4 without num lock", QEvent::KeyPress, Qt::Key_Left, Qt::KeypadModifier, false, 0,
         1},
        {"alt+right is a system key", QEvent::KeyPress, Qt::Key_Right, Qt::AltModifier, false, 0,
         0},
        {"alt+shift+left", QEvent::KeyPress, Qt::Key_Left, Qt::AltModifier | Qt::ShiftModifier,
         false, 0, 0},
        {"release of right", QEvent::KeyRelease, Qt::Key_Right, {}, false, 0, 0},
        {"keypad 6 with num lock", QEvent::KeyPress, Qt::Key_6, Qt::KeypadModifier, false, 0, 0},
        {"up", QEvent::KeyPress, Qt::Key_Up, {}, false, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        next = previous = 0;
        Send(c.type, c.key, c.modifiers, c.autoRepeat);
        EXPECT_EQ(next, c.next);
        EXPECT_EQ(previous, c.previous);
    }
}

TEST_F(KeyFilterTest, KeyTravellingToParentsStepsOnceAndStillArrives) {
    std::vector<QObject*> receivers;
    struct Spy : QObject {
        std::vector<QObject*>* seen;
        bool eventFilter(QObject* o, QEvent* e) override {
            if (e->type() == QEvent::KeyPress) {
                seen->push_back(o);
            }
            return false;
        }
    } spy;
    spy.seen = &receivers;
    child->installEventFilter(&spy);
    top.installEventFilter(&spy);

    Send(QEvent::KeyPress, Qt::Key_Right, {});
    EXPECT_EQ(next, 1);
    ASSERT_EQ(receivers.size(), 2u);  // the child ignored it, so its parent got it too
    EXPECT_EQ(receivers[0], child);
    EXPECT_EQ(receivers[1], &top);

    // Five auto-repeats: five steps.
    for (int i = 0; i < 5; ++i) {
        Send(QEvent::KeyPress, Qt::Key_Right, {}, true);
    }
    EXPECT_EQ(next, 6);
}

TEST_F(KeyFilterTest, RemovedFilterStepsNoMore) {
    RemoveChapterKeyHook(filter);
    RemoveChapterKeyHook(filter);  // harmless
    Send(QEvent::KeyPress, Qt::Key_Right, {});
    EXPECT_EQ(next, 0);
    InstallChapterKeyHook(filter);
    InstallChapterKeyHook(filter);  // installed once
    Send(QEvent::KeyPress, Qt::Key_Right, {});
    EXPECT_EQ(next, 1);
}

TEST_F(KeyFilterTest, KeyTheProgramSendsToAWidgetIsNoKeyPress) {
    QKeyEvent sent(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QCoreApplication::sendEvent(child, &sent);
    EXPECT_EQ(next, 0);
}

class ChapterKeyTest : public ReadingWindowTest {};

TEST_F(ChapterKeyTest, RightAtChapter4ShowsChapter5BeforeTheKeyArrives) {
    OpenBook();
    ActivateChapter(4);
    ASSERT_TRUE(Showing(4));
    auto* view = Find<PageView>("超文本浏览框1");
    ASSERT_TRUE(view->hasFocus());
    KeyRecorder recorder(*view, State());

    Press(Qt::Key_Right);
    EXPECT_TRUE(Showing(5));
    EXPECT_EQ(ChapterRequests(5), 1);
    ASSERT_EQ(recorder.Presses(Qt::Key_Right), 1);
    EXPECT_EQ(recorder.keys.front().chapterIndex, 4);  // the step ran first
    Release(Qt::Key_Right);
    EXPECT_TRUE(Showing(5));
    EXPECT_EQ(ChapterRequests(6), 0);
}

TEST_F(ChapterKeyTest, HeldRightStepsOnEveryRepeat) {
    OpenBook();
    Press(Qt::Key_Right);
    Press(Qt::Key_Right, {}, true);
    Press(Qt::Key_Right, {}, true);
    Release(Qt::Key_Right);
    EXPECT_TRUE(Showing(4));
    for (int n = 2; n <= 4; ++n) {
        EXPECT_EQ(ChapterRequests(n), 1) << "chapter " << n;
    }
}

TEST_F(ChapterKeyTest, LeftInTheTitleBoxStepsBackAndStillMovesTheCursor) {
    OpenBook();
    ActivateChapter(3);
    ASSERT_TRUE(Showing(3));
    auto* title = Find<QLineEdit>("编辑框书名");
    title->setFocus();
    title->setCursorPosition(2);  // inside "书一"
    ASSERT_TRUE(title->hasFocus());

    Press(Qt::Key_Left);
    EXPECT_TRUE(Showing(2));
    // Showing a chapter moves the focus to the view, yet the key went to the title box.
    EXPECT_EQ(title->cursorPosition(), 1);
}

TEST_F(ChapterKeyTest, ModifiersShiftAndCtrlStepAltDoesNot) {
    struct Case {
        const char* name;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int chapterAfter;
    };
    const Case cases[] = {
        {"shift+right", Qt::Key_Right, Qt::ShiftModifier, 5},
        {"ctrl+right", Qt::Key_Right, Qt::ControlModifier, 6},
        {"alt+right", Qt::Key_Right, Qt::AltModifier, 6},
        {"keypad 4 without num lock", Qt::Key_Left, Qt::KeypadModifier, 5},
        {"alt+left", Qt::Key_Left, Qt::AltModifier, 5},
    };
    OpenBook();
    ActivateChapter(4);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Press(c.key, c.modifiers);
        Release(c.key, c.modifiers);
        EXPECT_TRUE(Showing(c.chapterAfter));
    }
    EXPECT_TRUE(presenter.Shown().empty());
}

TEST_F(ChapterKeyTest, NoBookOpenRightSaysLastChapter) {
    MakeShown();
    Press(Qt::Key_Right);
    ASSERT_EQ(presenter.Shown().size(), 1u);
    EXPECT_EQ(presenter.Shown()[0].text, "这已经是最后一章了!");
    EXPECT_EQ(presenter.Shown()[0].caption, "错误信息");
    EXPECT_EQ(site.Server().RequestCount(), 0u);
}

// With real message boxes: an arrow pressed in the box at the last chapter steps back.
class ChapterKeyInMessageBoxTest : public ReadingWindowTest {
  protected:
    void MakeWithRealBoxes() {
        window = std::make_unique<MainWindow>(run.Path(), presenter);
        window->ShowCentred();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
};

TEST_F(ChapterKeyInMessageBoxTest, ArrowInTheLastChapterBoxRunsTheStep) {
    MakeWithRealBoxes();
    // Open the book through the controls, as the fixture does, then go to the last chapter.
    Find<QLineEdit>("编辑框书名")->setText(QString::fromUtf8("书一"));
    QTest::mouseClick(Find("按钮搜索"), Qt::LeftButton);
    Find<ReportList>("超级列表框搜索结果")->SetSelectedRow(0);
    QTest::mouseClick(Find("按钮确定"), Qt::LeftButton);
    ActivateChapter(kChapters);
    ASSERT_TRUE(Showing(kChapters));

    QString boxText;
    bool steppedInBox = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !QTest::qWaitForWindowExposed(box)) {
            return;  // the test fails below on the empty text
        }
        boxText = box->text();
        EXPECT_TRUE(box->windowTitle() == QString::fromUtf8("错误信息"));
        qt_handleKeyEvent(box->windowHandle(), QEvent::KeyPress, Qt::Key_Left, {});
        QCoreApplication::processEvents();
        steppedInBox = Showing(kChapters - 1);
        box->accept();
    });
    Press(Qt::Key_Right);  // at the last chapter: the box opens and the timer runs inside it

    EXPECT_EQ(boxText, QString::fromUtf8("这已经是最后一章了!"));
    EXPECT_TRUE(steppedInBox);
    EXPECT_TRUE(Showing(kChapters - 1));
    EXPECT_EQ(presenter.Shown().size(), 1u);
}

}  // namespace
}  // namespace qingwu::test
