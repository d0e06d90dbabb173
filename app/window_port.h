#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "reading/main_window_port.h"

class QComboBox;
class QLineEdit;
class QWidget;

namespace qingwu {

class MessagePresenter;
class PageView;
class ReportList;

// The control operations of the main window for the reading and shelf operations. Controls are
// found by name in a registry the window fills when it creates them; a name that is not there,
// or that names a control of another kind, reads as empty and writes nothing.
class WindowPort : public MainWindowPort {
  public:
    WindowPort(MessagePresenter& presenter, PageView& view);

    // Makes control known under name (its object name).
    void Register(ControlName name, QWidget* control);

    Text EditText(ControlName edit) const override;
    void SetEditText(ControlName edit, const Text& text) override;

    void AppendItem(ControlName selector, const Text& text) override;
    int ItemCount(ControlName selector) const override;
    Text ItemText(ControlName selector, int index) const override;
    int SelectedIndex(ControlName selector) const override;
    void SetSelectedIndex(ControlName selector, int index) override;

    void RemoveAllRows(ControlName list) override;
    int InsertRow(ControlName list, int row, const Text& column0) override;
    void AppendRows(ControlName list, const std::vector<Text>& column0) override;
    void SetCellText(ControlName list, int row, int column, const Text& text) override;
    Text CellText(ControlName list, int row, int column) const override;
    int RowCount(ControlName list) const override;
    int SelectedRow(ControlName list) const override;
    void SetSelectedRow(ControlName list, int row) override;
    void SelectRowWithFocus(ControlName list, int row) override;
    void SetColumnWidth(ControlName list, int column, int width) override;
    void AddColumn(ControlName list, const Text& caption, int width) override;

    bool IsVisible(ControlName control) const override;
    void SetVisible(ControlName control, bool visible) override;

    void ShowPageFile(const std::string& path) override;
    void RepaintView() override;
    void FocusView() override;

    void ShowMessage(std::string_view text, std::string_view caption) override;
    bool AskYesNo(std::string_view text, std::string_view caption) override;

    void ProcessPendingEvents() override;
    void SetBusy(bool busy) override;

  private:
    QWidget* Find(ControlName name) const;
    QLineEdit* Edit(ControlName name) const;
    QComboBox* Selector(ControlName name) const;
    ReportList* List(ControlName name) const;

    MessagePresenter& presenter_;
    PageView& view_;
    std::unordered_map<std::string_view, QWidget*> controls_;
};

}  // namespace qingwu
