#pragma once
// Rows of a panel laid out top to bottom: each row a label in a fixed column, then its controls
// one after another, each centred on the row's middle. A new row of a panel is one line of its
// table; nothing below it is moved by hand. A row whose cells are all hidden is left out.
#include <initializer_list>
#include <vector>

#include "ui/Control.h"

namespace ui {

// A control of a row at its own size, gap twips after what comes before it. A width of 0 runs
// the control to the layout's right edge.
struct RowCell {
  Control* control = nullptr;
  int width = 0;
  int height = 0;
  int gap = 90;
};

struct Row {
  Control* label = nullptr;  // none: the cells start in the label column
  std::vector<RowCell> cells;
};

struct RowLayout {
  int left = 0;
  int top = 0;
  int right = 0;
  int labelWidth = 0;  // the label column; the first cell starts after it
  int rowGap = 105;
  int labelHeight = 255;

  // Places every label and cell; returns the bottom of the last row.
  int place(std::initializer_list<Row> rows) const;
};

}  // namespace ui
