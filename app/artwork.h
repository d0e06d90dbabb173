#pragma once

#include <QIcon>
#include <QList>
#include <QPixmap>

namespace qingwu {

// The program's own pictures, drawn in code so the program carries no image files.

// Picture k of the toolbar's image list (0 shelf, 1 add to shelf, 2 previous chapter, 3 next
// chapter, 4 settings), size × size pixels on a transparent ground.
QPixmap ToolbarPicture(int k, int size);

// The toolbar's image list: the five pictures at 32 × 32.
QList<QPixmap> ToolbarImageList();

// The window icon: an open book under a parasol-tree leaf.
QIcon WindowIcon();

}  // namespace qingwu
