#include "app/toolbar.h"

#include <QAction>

#include "app/artwork.h"

namespace qingwu {

Toolbar::Toolbar(QWidget* parent) : QToolBar(parent), images_(ToolbarImageList()) {
    setMovable(false);
    setFloatable(false);
    setOrientation(Qt::Horizontal);
    setIconSize(QSize(32, 32));
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setContextMenuPolicy(Qt::PreventContextMenu);
}

void Toolbar::AddButton(const QString& caption, int picture) {
    const int item = ItemCount();
    QAction* action = addAction(QIcon(images_.value(picture)), caption);
    connect(action, &QAction::triggered, this, [this, item] { emit itemClicked(item); });
    items_.push_back(action);
}

void Toolbar::AddSeparator() {
    items_.push_back(addSeparator());
}

QAction* Toolbar::Item(int item) const {
    return (item >= 0 && item < ItemCount()) ? items_[static_cast<std::size_t>(item)] : nullptr;
}

QWidget* Toolbar::ItemWidget(int item) const {
    QAction* action = Item(item);
    return action != nullptr ? widgetForAction(action) : nullptr;
}

}  // namespace qingwu
