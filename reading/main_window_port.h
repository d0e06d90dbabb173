#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "reading/control_names.h"
#include "text/text.h"

namespace qingwu {

// The control operations the reading and shelf operations use, with controls addressed by
// name. Texts are GBK; message texts and captions are the program's own constants in UTF-8.
// The main window implements it; nothing in reading/ or shelf/ sees a widget.
class MainWindowPort {
  public:
    virtual ~MainWindowPort() = default;

    // Edit box.
    virtual Text EditText(ControlName edit) const = 0;
    virtual void SetEditText(ControlName edit, const Text& text) = 0;

    // Selectors. A written index above the last item selects the last; below 0 selects nothing.
    // Writing the index never raises the item-chosen event.
    virtual void AppendItem(ControlName selector, const Text& text) = 0;
    virtual int ItemCount(ControlName selector) const = 0;
    virtual Text ItemText(ControlName selector, int index) const = 0;
    virtual int SelectedIndex(ControlName selector) const = 0;  // -1 when nothing is selected
    virtual void SetSelectedIndex(ControlName selector, int index) = 0;

    // List views. Rows count from 0. Reading a cell that does not exist gives the empty text;
    // setting one has no effect.
    virtual void RemoveAllRows(ControlName list) = 0;
    // Inserts a row at `row` (at the end when row < 0 or beyond the last); returns its number.
    virtual int InsertRow(ControlName list, int row, const Text& column0) = 0;
    // Appends many rows at once (column 0 only); same result as InsertRow at the end per text.
    virtual void AppendRows(ControlName list, const std::vector<Text>& column0) = 0;
    virtual void SetCellText(ControlName list, int row, int column, const Text& text) = 0;
    virtual Text CellText(ControlName list, int row, int column) const = 0;
    virtual int RowCount(ControlName list) const = 0;
    virtual int SelectedRow(ControlName list) const = 0;  // -1 when none
    virtual void SetSelectedRow(ControlName list, int row) = 0;
    // Selects the row and gives it the focus mark; a negative row is ignored.
    virtual void SelectRowWithFocus(ControlName list, int row) = 0;
    virtual void SetColumnWidth(ControlName list, int column, int width) = 0;
    virtual void AddColumn(ControlName list, const Text& caption, int width) = 0;

    // Any control.
    virtual bool IsVisible(ControlName control) const = 0;
    virtual void SetVisible(ControlName control, bool visible) = 0;

    // The HTML view: show a local file (UTF-8 path; the file is read as GBK), repaint, focus.
    virtual void ShowPageFile(const std::string& path) = 0;
    virtual void RepaintView() = 0;
    virtual void FocusView() = 0;

    // Modal message boxes, owned by no window, without icon.
    virtual void ShowMessage(std::string_view text, std::string_view caption) = 0;
    virtual bool AskYesNo(std::string_view text, std::string_view caption) = 0;

    // Lets the window repaint and react while a long operation runs.
    virtual void ProcessPendingEvents() = 0;
    // Busy cursor while an operation waits on the network.
    virtual void SetBusy(bool busy) = 0;
};

}  // namespace qingwu
