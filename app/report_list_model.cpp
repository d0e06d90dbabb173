#include "app/report_list_model.h"

#include "app/qt_text.h"

namespace qingwu {

ReportListModel::ReportListModel(QObject* parent) : QAbstractTableModel(parent) {}

int ReportListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int ReportListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

QVariant ReportListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_ ||
        index.column() >= static_cast<int>(columns_.size())) {
        return {};
    }
    const Column& column = columns_[static_cast<std::size_t>(index.column())];
    switch (role) {
        case Qt::DisplayRole:
            return ToQString(Cell(index.row(), index.column()));
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
        default:
            return {};
    }
}

QVariant ReportListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 ||
        section >= static_cast<int>(columns_.size())) {
        return {};
    }
    const Column& column = columns_[static_cast<std::size_t>(section)];
    switch (role) {
        case Qt::DisplayRole:
            return column.caption;
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(column.alignment | Qt::AlignVCenter);
        default:
            return {};
    }
}

Qt::ItemFlags ReportListModel::flags(const QModelIndex& index) const {
    // Selectable and enabled only: no check boxes, no editing in place.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void ReportListModel::AddColumn(const QString& caption, Qt::Alignment alignment) {
    const int at = static_cast<int>(columns_.size());
    beginInsertColumns({}, at, at);
    // The existing rows' cells in the new column are empty: none is stored until one is set.
    columns_.push_back(Column{caption, alignment, {}});
    endInsertColumns();
}

void ReportListModel::RemoveAllRows() {
    if (rows_ == 0) {
        return;
    }
    beginRemoveRows({}, 0, rows_ - 1);
    for (Column& column : columns_) {
        column.cells.clear();
        column.cells.shrink_to_fit();
    }
    rows_ = 0;
    endRemoveRows();
}

int ReportListModel::InsertRow(int row, const Text& column0) {
    if (columns_.empty()) {
        // A row needs a cell for its text; a list always has its columns before its rows.
        return -1;
    }
    const int at = (row < 0 || row > rows_) ? rows_ : row;
    beginInsertRows({}, at, at);
    // Every row has its column-0 text, so column 0 holds a cell per row. The other columns
    // store cells only up to their last set one; the cells after the new row move down.
    columns_[0].cells.insert(columns_[0].cells.begin() + at, column0);
    for (std::size_t c = 1; c < columns_.size(); ++c) {
        std::vector<Text>& cells = columns_[c].cells;
        if (static_cast<std::size_t>(at) < cells.size()) {
            cells.insert(cells.begin() + at, Text());
        }
    }
    ++rows_;
    endInsertRows();
    return at;
}

void ReportListModel::AppendRows(const std::vector<Text>& column0) {
    if (column0.empty() || columns_.empty()) {
        return;
    }
    const int first = rows_;
    const int count = static_cast<int>(column0.size());
    beginInsertRows({}, first, first + count - 1);
    columns_[0].cells.insert(columns_[0].cells.end(), column0.begin(), column0.end());
    // The new rows' cells in the other columns are empty and not stored.
    rows_ += count;
    endInsertRows();
}

void ReportListModel::SetCell(int row, int column, const Text& text) {
    if (row < 0 || row >= rows_ || column < 0 || column >= static_cast<int>(columns_.size())) {
        return;
    }
    std::vector<Text>& cells = columns_[static_cast<std::size_t>(column)].cells;
    if (cells.size() <= static_cast<std::size_t>(row)) {
        cells.resize(static_cast<std::size_t>(row) + 1);
    }
    cells[static_cast<std::size_t>(row)] = text;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at, {Qt::DisplayRole});
}

const Text& ReportListModel::Cell(int row, int column) const {
    static const Text kNone;
    if (row < 0 || row >= rows_ || column < 0 || column >= static_cast<int>(columns_.size())) {
        return kNone;
    }
    const std::vector<Text>& cells = columns_[static_cast<std::size_t>(column)].cells;
    return static_cast<std::size_t>(row) < cells.size() ? cells[static_cast<std::size_t>(row)]
                                                        : kNone;
}

}  // namespace qingwu
