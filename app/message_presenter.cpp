#include "app/message_presenter.h"

#include <QMessageBox>
#include <QString>

namespace qingwu {

MessagePresenter::Answer MessagePresenter::Show(std::string_view text, std::string_view caption,
                                                Buttons buttons) {
    Box box{std::string(text), std::string(caption), buttons};
    shown_.push_back(box);
    if (!scripted_) {
        return ShowBox(box);
    }
    if (onBox_) {
        onBox_(box);
    }
    const Answer fallback = buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    if (answers_.empty()) {
        return fallback;
    }
    const Answer answer = answers_.front();
    answers_.pop_front();
    // An answer that the box has no button for counts as closing the box.
    const bool fits = buttons == Buttons::Ok ? answer == Answer::Ok : answer != Answer::Ok;
    return fits ? answer : fallback;
}

MessagePresenter::Answer MessagePresenter::ShowBox(const Box& box) const {
    // No parent: the box belongs to no window, and application-modal blocks every window.
    QMessageBox dialog;
    dialog.setIcon(QMessageBox::NoIcon);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(
        QString::fromUtf8(box.caption.data(), static_cast<qsizetype>(box.caption.size())));
    dialog.setTextFormat(Qt::PlainText);
    dialog.setText(QString::fromUtf8(box.text.data(), static_cast<qsizetype>(box.text.size())));
    if (box.buttons == Buttons::Ok) {
        dialog.setStandardButtons(QMessageBox::Ok);
        dialog.setEscapeButton(QMessageBox::Ok);
        dialog.exec();
        return Answer::Ok;
    }
    dialog.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    dialog.setDefaultButton(QMessageBox::Yes);
    dialog.setEscapeButton(QMessageBox::No);
    return dialog.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
}

}  // namespace qingwu
