#include "app/splitter_bar.h"

#include <QMouseEvent>
#include <QRubberBand>

namespace qingwu {

SplitterBar::SplitterBar(QWidget* parent) : QFrame(parent) {
    setCursor(Qt::SplitHCursor);
    setFrameShape(QFrame::NoFrame);
}

int SplitterBar::TargetFor(const QMouseEvent& event) const {
    return mapToParent(event.position().toPoint()).x() - grabOffset_;
}

void SplitterBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QFrame::mousePressEvent(event);
        return;
    }
    dragging_ = true;
    startLeft_ = x();
    grabOffset_ = event->position().toPoint().x();
    event->accept();
}

void SplitterBar::mouseMoveEvent(QMouseEvent* event) {
    if (!dragging_) {
        QFrame::mouseMoveEvent(event);
        return;
    }
    if (feedback_ == nullptr) {
        feedback_ = new QRubberBand(QRubberBand::Line, parentWidget());
    }
    feedback_->setGeometry(TargetFor(*event), y(), width(), height());
    feedback_->show();
    event->accept();
}

void SplitterBar::mouseReleaseEvent(QMouseEvent* event) {
    if (!dragging_ || event->button() != Qt::LeftButton) {
        QFrame::mouseReleaseEvent(event);
        return;
    }
    dragging_ = false;
    if (feedback_ != nullptr) {
        feedback_->hide();
    }
    event->accept();
    const int target = TargetFor(*event);
    // A click without a move is no drag.
    if (target != startLeft_) {
        emit dragged(startLeft_, target);
    }
}

}  // namespace qingwu
