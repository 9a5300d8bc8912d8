#include "ui/RowLayout.h"

#include <algorithm>

namespace ui {

int RowLayout::place(std::initializer_list<Row> rows) const {
  int y = top;
  bool first = true;
  for (const Row& row : rows) {
    // A row whose controls are all hidden takes no room (a display's row with one display).
    if (std::none_of(row.cells.begin(), row.cells.end(),
                     [](const RowCell& cell) { return cell.control->visible(); }))
      continue;
    if (!first) y += rowGap;
    first = false;
    int height = row.label ? labelHeight : 0;
    for (const RowCell& cell : row.cells) height = std::max(height, cell.height);
    if (row.label)
      row.label->setPlace({left, y + (height - labelHeight) / 2, labelWidth, labelHeight});
    int x = row.label ? left + labelWidth : left;
    for (const RowCell& cell : row.cells) {
      x += cell.gap;
      const int width = cell.width > 0 ? cell.width : right - x;
      cell.control->setPlace({x, y + (height - cell.height) / 2, width, cell.height});
      x += width;
    }
    y += height;
  }
  return y;
}

}  // namespace ui
