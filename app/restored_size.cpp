#include "app/restored_size.h"

#include <QEvent>
#include <QMetaObject>
#include <QWidget>

namespace qingwu {

namespace {
constexpr int kMaxTries = 3;
}

RestoredOuterSize::RestoredOuterSize(QWidget& window, QSize outer)
    : QObject(&window), window_(window), outer_(outer) {
    window_.installEventFilter(this);
}

bool RestoredOuterSize::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &window_) {
        switch (event->type()) {
            case QEvent::WindowStateChange:
                tries_ = 0;
                [[fallthrough]];
            case QEvent::Show:
            case QEvent::Resize:
            case QEvent::Move:  // frame margins may arrive with the first move
                if (!queued_) {
                    // After the event: the geometry the event reports is settled by then.
                    queued_ = true;
                    QMetaObject::invokeMethod(this, &RestoredOuterSize::Enforce,
                                              Qt::QueuedConnection);
                }
                break;
            default:
                break;
        }
    }
    return false;
}

void RestoredOuterSize::Enforce() {
    queued_ = false;
    const Qt::WindowStates sized = Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized;
    if (!window_.isVisible() || (window_.windowState() & sized)) {
        return;
    }
    const QSize frame = window_.frameGeometry().size();
    if (frame == outer_) {
        tries_ = 0;
        return;
    }
    if (tries_ >= kMaxTries) {
        return;
    }
    ++tries_;
    const QSize margins = frame - window_.size();
    window_.resize(outer_ - margins);
}

}  // namespace qingwu
