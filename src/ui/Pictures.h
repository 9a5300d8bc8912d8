#pragma once
#include "ui/Types.h"

namespace ui {

// The pictures embedded in the program. The backend maps each to its resource.
enum class Picture {
  None,
  Hide,        // white bar, GIF 48 x 20
  Close,       // white cross on red, JPEG 48 x 19
  Pencil,      // GIF 20 x 20
  EyeMonitor,  // JPEG 128 x 128
  Monitor,     // JPEG 128 x 128
  Ok,          // GIF 48 x 48
  Back,        // JPEG 48 x 48
  RestClose,   // JPEG 60 x 60
};

// Pixel size of a picture; an image that does not stretch takes this size (in twips at 15 per
// pixel).
Size pictureSize(Picture picture);

}  // namespace ui
