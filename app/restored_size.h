#pragma once

#include <QObject>
#include <QSize>

class QWidget;

namespace qingwu {

// Keeps a top-level window at one outer size (frame and title bar included) whenever it is
// neither maximised, full screen nor minimised: maximising and restoring work, but a size the
// window system or the user's drag of an edge gives it is turned back.
//
// X11 offers no portable way to forbid resizing while allowing maximising (window managers
// disable the maximise button of a window whose minimum and maximum sizes agree), so the window
// is sized back after the fact. The client size is derived from the frame margins the window
// system reports, which are known only once the window is shown. A window manager that insists
// on another size gets three tries, then wins until the window's state next changes.
class RestoredOuterSize : public QObject {
    Q_OBJECT

  public:
    RestoredOuterSize(QWidget& window, QSize outer);

    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Enforce();

    QWidget& window_;
    QSize outer_;
    bool queued_ = false;
    int tries_ = 0;
};

}  // namespace qingwu
