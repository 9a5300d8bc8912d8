#include "ui/Design.h"

#include "ui/Form.h"

namespace ui {

void build(Form& form, std::initializer_list<Design> rows) {
  for (const Design& row : rows) {
    Control& c = row.control;
    // Stretch before place and picture: an image that does not stretch takes its picture's size.
    if (row.flags & kStretch) c.setStretch(true);
    c.setPlace(row.place);
    if (row.picture != Picture::None) c.setPicture(row.picture);
    if (row.text) c.setText(row.text);
    if (row.font) c.setFont(*row.font);
    if (row.fore) c.setForeColour(*row.fore);
    if (row.back) c.setBackColour(*row.back);
    if (row.flags & kCentred) c.setAlign(Align::Centre);
    if (row.flags & kTransparent) c.setTransparent(true);
    if (row.flags & kHidden) c.setVisible(false);
    if (row.tip) c.setToolTip(row.tip);
    form.add(c, row.in);
  }
}

Font systemFont() {
  return {.systemDefault = true};
}

}  // namespace ui
