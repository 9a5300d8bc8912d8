#include "ui/Pictures.h"

namespace ui {

Size pictureSize(Picture picture) {
  switch (picture) {
    case Picture::None:
      return {0, 0};
    case Picture::Hide:
      return {48, 20};
    case Picture::Close:
      return {48, 19};
    case Picture::Pencil:
      return {20, 20};
    case Picture::EyeMonitor:
    case Picture::Monitor:
      return {128, 128};
    case Picture::Ok:
    case Picture::Back:
      return {48, 48};
    case Picture::RestClose:
      return {60, 60};
  }
  return {0, 0};
}

}  // namespace ui
