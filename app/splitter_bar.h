#pragma once

#include <QFrame>

class QRubberBand;

namespace qingwu {

// A vertical splitter bar: the user drags it sideways with the left mouse button. While it is
// dragged a line shows where it would go; when the button is released at a new place it reports
// the drag. The bar itself does not move: the window decides where it goes.
class SplitterBar : public QFrame {
    Q_OBJECT

  public:
    explicit SplitterBar(QWidget* parent);

  signals:
    // start: the bar's left edge before the drag; target: the left edge it was dragged to. Both
    // in the coordinates of the bar's parent.
    void dragged(int start, int target);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    int TargetFor(const QMouseEvent& event) const;

    bool dragging_ = false;
    int startLeft_ = 0;
    int grabOffset_ = 0;  // where in the bar the pointer took hold
    QRubberBand* feedback_ = nullptr;
};

}  // namespace qingwu
