#include "app/title_box.h"

#include <QKeyEvent>

namespace qingwu {

TitleBox::TitleBox(QWidget* parent) : QLineEdit(parent) {
    setFont(TitleBoxFont());
}

void TitleBox::keyReleaseEvent(QKeyEvent* event) {
    QLineEdit::keyReleaseEvent(event);
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && !event->isAutoRepeat()) {
        emit enterReleased();
    }
}

QFont TitleBoxFont() {
    QFont font;
    font.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("NSimSun"),
                      QStringLiteral("Noto Serif CJK SC"), QStringLiteral("AR PL UMing CN"),
                      QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("Noto Sans CJK SC"),
                      QStringLiteral("Droid Sans Fallback")});
    font.setPixelSize(19);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return font;
}

}  // namespace qingwu
