#include "app/chapter_key_filter.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace qingwu {

ChapterStep ChapterStepFor(const QKeyEvent& event) {
    if (event.type() != QEvent::KeyPress || (event.modifiers() & Qt::AltModifier)) {
        return ChapterStep::None;
    }
    switch (event.key()) {
        case Qt::Key_Right:
            return ChapterStep::Next;
        case Qt::Key_Left:
            return ChapterStep::Previous;
        default:
            return ChapterStep::None;
    }
}

ChapterKeyFilter::ChapterKeyFilter(std::function<void()> next, std::function<void()> previous,
                                   QObject* parent)
    : QObject(parent), next_(std::move(next)), previous_(std::move(previous)) {}

bool ChapterKeyFilter::eventFilter(QObject* receiver, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        ChapterKeyHook(receiver, event);
    }
    return false;  // every event goes on unchanged
}

void ChapterKeyFilter::ChapterKeyHook(QObject* receiver, QEvent* event) {
    if (receiver->isWindowType()) {
        // A key press the window system delivered to a window; the window passes it on to its
        // focus widget next.
        arrived_ = event;
        return;
    }
    if (event != arrived_ || !receiver->isWidgetType()) {
        // A parent's turn for a key its child ignored, or a key the program sent itself.
        return;
    }
    arrived_ = nullptr;
    switch (ChapterStepFor(*static_cast<const QKeyEvent*>(event))) {
        case ChapterStep::Next:
            next_();
            break;
        case ChapterStep::Previous:
            previous_();
            break;
        case ChapterStep::None:
            break;
    }
}

void InstallChapterKeyHook(ChapterKeyFilter& filter) {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->installEventFilter(&filter);
    }
}

void RemoveChapterKeyHook(ChapterKeyFilter& filter) {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(&filter);
    }
}

}  // namespace qingwu
