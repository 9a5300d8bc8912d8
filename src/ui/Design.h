#pragma once
// A window's design as a table: one row per control in design order (which is stacking order),
// applied by one loop. A row names only what differs from the control's defaults.
#include <initializer_list>
#include <optional>

#include "ui/Control.h"

namespace ui {

class Form;

enum DesignFlag : unsigned {
  kHidden = 1,
  kTransparent = 2,
  kCentred = 4,   // centred text
  kStretch = 16,  // an image stretched to its place rather than taking its picture's size
};

struct Design {
  Control& control;
  Control* in = nullptr;  // the container, or the form itself
  Rect place = {};        // for a line, its extent from one end to the other
  const char* text = nullptr;
  std::optional<Font> font = std::nullopt;
  std::optional<Colour> fore = std::nullopt;
  std::optional<Colour> back = std::nullopt;
  Picture picture = Picture::None;
  unsigned flags = 0;
  const char* tip = nullptr;
};

void build(Form& form, std::initializer_list<Design> rows);

// A control without a font of its own: the backend gives it the user-interface font.
Font systemFont();

}  // namespace ui
