#pragma once

#include <QObject>
#include <functional>

class QKeyEvent;

namespace qingwu {

// What a key event asks of the chapter reader.
enum class ChapterStep { None, Next, Previous };

// A key-down of Right (Next) or Left (Previous), auto-repeated or not, with or without Shift,
// Ctrl or the keypad (the keypad's 6 and 4 with Num Lock off); with Alt held it is a system key
// and asks for nothing. Releases ask for nothing.
ChapterStep ChapterStepFor(const QKeyEvent& event);

// Turns the arrow keys into chapter steps in every window of the program, message boxes
// included, while the key still reaches its target unchanged.
//
// As an application-wide event filter it sees one key event several times: on the top-level
// window that the window system delivered it to, then on the widget that has the focus, then on
// that widget's parents while the event is ignored. The step runs once per key press, on the
// first of those widget deliveries, before the widget handles the key: the receiver is chosen by
// then, so the key goes to the control that had the focus when it was pressed even when the
// step moves the focus. A key event sent straight to a widget by the program itself, without
// passing through a window, is not a key press of the user and runs nothing.
class ChapterKeyFilter : public QObject {
    Q_OBJECT

  public:
    ChapterKeyFilter(std::function<void()> next, std::function<void()> previous,
                     QObject* parent = nullptr);

    bool eventFilter(QObject* receiver, QEvent* event) override;

  private:
    // The hook proper: runs the step for the key press, if any. Never consumes the event.
    void ChapterKeyHook(QObject* receiver, QEvent* event);

    std::function<void()> next_;
    std::function<void()> previous_;
    const QEvent* arrived_ = nullptr;  // the key press a window received, not yet at a widget
};

// Installs the filter for the whole application. Installing it again has no further effect.
void InstallChapterKeyHook(ChapterKeyFilter& filter);
// Removes it; the arrow keys then change no chapter. Removing it twice is harmless.
void RemoveChapterKeyHook(ChapterKeyFilter& filter);

}  // namespace qingwu
