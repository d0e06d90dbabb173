#pragma once

#include <QTableView>
#include <vector>

#include "app/report_list_model.h"
#include "text/text.h"

namespace qingwu {

// A list view in report style: a column header, single selection, no check boxes, no editing,
// rows of one fixed height (so very long lists scroll without measuring every row). Grid lines
// and whole-row selection are chosen at creation. A row is activated by a double-click on it or
// by Enter while a row is selected, never by a single click, whatever the style prefers.
class ReportList : public QTableView {
    Q_OBJECT

  public:
    enum class Look { Plain, GridAndWholeRow };

    ReportList(Look look, QWidget* parent);

    void AddColumn(const QString& caption, int width, Qt::Alignment alignment);
    void SetColumnWidth(int column, int width);
    int ColumnWidth(int column) const;

    void RemoveAllRows() { model_->RemoveAllRows(); }
    int InsertRow(int row, const Text& column0) { return model_->InsertRow(row, column0); }
    void AppendRows(const std::vector<Text>& column0) { model_->AppendRows(column0); }
    void SetCellText(int row, int column, const Text& text) { model_->SetCell(row, column, text); }
    const Text& CellText(int row, int column) const { return model_->Cell(row, column); }
    int RowCount() const { return model_->RowCount(); }

    // The selected row, -1 when none.
    int SelectedRow() const;
    // Selects the row alone; a row that does not exist clears the selection.
    void SetSelectedRow(int row);
    // Selects the row, gives it the focus mark and scrolls it into view; a negative row or one
    // that does not exist is ignored.
    void SelectRowWithFocus(int row);

    ReportListModel& Model() { return *model_; }

  signals:
    // A double-click on a row or Enter while a row is selected.
    void rowActivated();

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    ReportListModel* model_;
};

}  // namespace qingwu
