#pragma once

#include <QToolBar>
#include <vector>

class QAction;

namespace qingwu {

// The window's toolbar. Its items are numbered from 0 in order, separators included, and a click
// on a button reports that button's item number.
class Toolbar : public QToolBar {
    Q_OBJECT

  public:
    explicit Toolbar(QWidget* parent);

    // Appends a button showing caption under picture k of the image list.
    void AddButton(const QString& caption, int picture);
    void AddSeparator();

    int ItemCount() const { return static_cast<int>(items_.size()); }
    QAction* Item(int item) const;
    // The widget that shows an item (a tool button or a separator line); null for no such item.
    QWidget* ItemWidget(int item) const;

  signals:
    void itemClicked(int item);

  private:
    QList<QPixmap> images_;
    std::vector<QAction*> items_;
};

}  // namespace qingwu
