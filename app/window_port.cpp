#include "app/window_port.h"

#include <QApplication>
#include <QComboBox>
#include <QCursor>
#include <QLineEdit>
#include <algorithm>

#include "app/message_presenter.h"
#include "app/page_view.h"
#include "app/qt_text.h"
#include "app/report_list.h"

namespace qingwu {

WindowPort::WindowPort(MessagePresenter& presenter, PageView& view)
    : presenter_(presenter), view_(view) {}

void WindowPort::Register(ControlName name, QWidget* control) {
    controls_[name] = control;
}

QWidget* WindowPort::Find(ControlName name) const {
    const auto it = controls_.find(name);
    return it != controls_.end() ? it->second : nullptr;
}

QLineEdit* WindowPort::Edit(ControlName name) const {
    return qobject_cast<QLineEdit*>(Find(name));
}

QComboBox* WindowPort::Selector(ControlName name) const {
    return qobject_cast<QComboBox*>(Find(name));
}

ReportList* WindowPort::List(ControlName name) const {
    return qobject_cast<ReportList*>(Find(name));
}

Text WindowPort::EditText(ControlName edit) const {
    const QLineEdit* box = Edit(edit);
    return box != nullptr ? ToText(box->text()) : Text();
}

void WindowPort::SetEditText(ControlName edit, const Text& text) {
    if (QLineEdit* box = Edit(edit)) {
        box->setText(ToQString(text));
    }
}

void WindowPort::AppendItem(ControlName selector, const Text& text) {
    if (QComboBox* box = Selector(selector)) {
        box->addItem(ToQString(text));
    }
}

int WindowPort::ItemCount(ControlName selector) const {
    const QComboBox* box = Selector(selector);
    return box != nullptr ? box->count() : 0;
}

Text WindowPort::ItemText(ControlName selector, int index) const {
    const QComboBox* box = Selector(selector);
    return (box != nullptr && index >= 0 && index < box->count()) ? ToText(box->itemText(index))
                                                                  : Text();
}

int WindowPort::SelectedIndex(ControlName selector) const {
    const QComboBox* box = Selector(selector);
    return box != nullptr ? box->currentIndex() : -1;
}

void WindowPort::SetSelectedIndex(ControlName selector, int index) {
    QComboBox* box = Selector(selector);
    if (box == nullptr) {
        return;
    }
    // Above the last item: the last one; below 0: nothing. The user-chosen signal (activated)
    // is not raised by a programmatic change.
    box->setCurrentIndex(index < 0 ? -1 : std::min(index, box->count() - 1));
}

void WindowPort::RemoveAllRows(ControlName list) {
    if (ReportList* view = List(list)) {
        view->RemoveAllRows();
    }
}

int WindowPort::InsertRow(ControlName list, int row, const Text& column0) {
    ReportList* view = List(list);
    return view != nullptr ? view->InsertRow(row, column0) : -1;
}

void WindowPort::AppendRows(ControlName list, const std::vector<Text>& column0) {
    if (ReportList* view = List(list)) {
        view->AppendRows(column0);
    }
}

void WindowPort::SetCellText(ControlName list, int row, int column, const Text& text) {
    if (ReportList* view = List(list)) {
        view->SetCellText(row, column, text);
    }
}

Text WindowPort::CellText(ControlName list, int row, int column) const {
    const ReportList* view = List(list);
    return view != nullptr ? view->CellText(row, column) : Text();
}

int WindowPort::RowCount(ControlName list) const {
    const ReportList* view = List(list);
    return view != nullptr ? view->RowCount() : 0;
}

int WindowPort::SelectedRow(ControlName list) const {
    const ReportList* view = List(list);
    return view != nullptr ? view->SelectedRow() : -1;
}

void WindowPort::SetSelectedRow(ControlName list, int row) {
    if (ReportList* view = List(list)) {
        view->SetSelectedRow(row);
    }
}

void WindowPort::SelectRowWithFocus(ControlName list, int row) {
    if (ReportList* view = List(list)) {
        view->SelectRowWithFocus(row);
    }
}

void WindowPort::SetColumnWidth(ControlName list, int column, int width) {
    if (ReportList* view = List(list)) {
        view->SetColumnWidth(column, width);
    }
}

void WindowPort::AddColumn(ControlName list, const Text& caption, int width) {
    if (ReportList* view = List(list)) {
        view->AddColumn(ToQString(caption), width, Qt::AlignLeft);
    }
}

bool WindowPort::IsVisible(ControlName control) const {
    // The control's own visibility, as set: a control on a hidden panel still counts as visible.
    const QWidget* widget = Find(control);
    return widget != nullptr && !widget->isHidden();
}

void WindowPort::SetVisible(ControlName control, bool visible) {
    if (QWidget* widget = Find(control)) {
        widget->setVisible(visible);
        if (visible) {
            widget->raise();  // a panel covers what lies beneath it
        }
    }
}

void WindowPort::ShowPageFile(const std::string& path) {
    view_.ShowPageFile(path);
}

void WindowPort::RepaintView() {
    // Marks the view for repainting; the paint itself comes with the next processed events.
    view_.update();
}

void WindowPort::FocusView() {
    view_.setFocus(Qt::OtherFocusReason);
}

void WindowPort::ShowMessage(std::string_view text, std::string_view caption) {
    presenter_.Show(text, caption, MessagePresenter::Buttons::Ok);
}

bool WindowPort::AskYesNo(std::string_view text, std::string_view caption) {
    return presenter_.Show(text, caption, MessagePresenter::Buttons::YesNo) ==
           MessagePresenter::Answer::Yes;
}

void WindowPort::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

void WindowPort::SetBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    } else {
        QApplication::restoreOverrideCursor();
    }
}

}  // namespace qingwu
