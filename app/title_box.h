#pragma once

#include <QLineEdit>

namespace qingwu {

// The single-line edit box for a book title. Reports the release of Enter (either Enter key),
// after the box has handled the key as usual; holding Enter down reports one release.
class TitleBox : public QLineEdit {
    Q_OBJECT

  public:
    explicit TitleBox(QWidget* parent);

  signals:
    void enterReleased();

  protected:
    void keyReleaseEvent(QKeyEvent* event) override;
};

// "宋体" at a character height of 19 pixels, normal weight. Where that family is not installed the
// font falls back, in order, to the other Song faces and then to an installed Chinese face, at the
// same pixel size.
QFont TitleBoxFont();

}  // namespace qingwu
