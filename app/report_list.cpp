#include "app/report_list.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMouseEvent>

namespace qingwu {

ReportList::ReportList(Look look, QWidget* parent)
    : QTableView(parent), model_(new ReportListModel(this)) {
    setModel(model_);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSortingEnabled(false);
    setShowGrid(look == Look::GridAndWholeRow);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);

    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    QHeaderView* header = horizontalHeader();
    header->setStretchLastSection(false);
    header->setHighlightSections(false);
    header->setSectionsClickable(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setMinimumSectionSize(0);
}

void ReportList::AddColumn(const QString& caption, int width, Qt::Alignment alignment) {
    model_->AddColumn(caption, alignment);
    SetColumnWidth(model_->columnCount() - 1, width);
}

void ReportList::SetColumnWidth(int column, int width) {
    if (column >= 0 && column < model_->columnCount()) {
        horizontalHeader()->resizeSection(column, width < 0 ? 0 : width);
    }
}

int ReportList::ColumnWidth(int column) const {
    return horizontalHeader()->sectionSize(column);
}

int ReportList::SelectedRow() const {
    const QModelIndexList selected = selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.front().row();
}

void ReportList::SetSelectedRow(int row) {
    if (row < 0 || row >= model_->RowCount()) {
        clearSelection();
        return;
    }
    selectionModel()->select(model_->index(row, 0),
                             QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

void ReportList::SelectRowWithFocus(int row) {
    if (row < 0 || row >= model_->RowCount()) {
        return;
    }
    const QModelIndex at = model_->index(row, 0);
    selectionModel()->setCurrentIndex(
        at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(at);
}

void ReportList::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && SelectedRow() >= 0) {
        event->accept();
        emit rowActivated();
        return;
    }
    QTableView::keyPressEvent(event);
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event) {
    // The first click of the pair has selected the row under the pointer.
    const bool onRow =
        event->button() == Qt::LeftButton && indexAt(event->position().toPoint()).isValid();
    QTableView::mouseDoubleClickEvent(event);
    if (onRow) {
        emit rowActivated();
    }
}

}  // namespace qingwu
