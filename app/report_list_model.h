#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

#include "text/text.h"

namespace qingwu {

// The rows of a report-style list view. Cells hold the program's GBK texts as given, so a text
// read back is byte for byte the text written; they are converted only for display. The cells
// are kept column by column, so appending rows costs no more than the texts themselves and tens
// of thousands of rows arrive with one insertion notice.
class ReportListModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    explicit ReportListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Adds a column at the right end; existing rows get an empty cell in it.
    void AddColumn(const QString& caption, Qt::Alignment alignment);
    void RemoveAllRows();
    // Inserts a row with its column-0 text at row (at the end when row < 0 or past the last);
    // returns the new row's number.
    int InsertRow(int row, const Text& column0);
    // Appends one row per text (column 0), with a single insertion notice.
    void AppendRows(const std::vector<Text>& column0);
    // Sets a cell; no effect when the row or column does not exist.
    void SetCell(int row, int column, const Text& text);
    // A cell's text; the empty text when the row or column does not exist.
    const Text& Cell(int row, int column) const;
    int RowCount() const { return rows_; }

  private:
    struct Column {
        QString caption;
        Qt::Alignment alignment;
        // Column 0: one cell per row. Other columns: the cells from row 0 up to the last one
        // ever set; the rows after it are empty. A column added to a long list (the hidden
        // page list gains columns with every book opened) costs nothing until it is written.
        std::vector<Text> cells;
    };

    std::vector<Column> columns_;
    int rows_ = 0;
};

}  // namespace qingwu
