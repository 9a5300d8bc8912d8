#pragma once
// Decodes the embedded pictures once and keeps smooth-scaled copies for the sizes asked for.
#include <windows.h>

#include <map>
#include <tuple>

#include "ui/Pictures.h"
#include "win32/Handles.h"

struct IWICImagingFactory;

namespace win32 {

class PictureCache {
 public:
  PictureCache();
  ~PictureCache();
  PictureCache(const PictureCache&) = delete;
  PictureCache& operator=(const PictureCache&) = delete;

  // Draws the picture stretched to the rectangle, blending its transparent ground.
  void draw(HDC dc, ui::Picture picture, const RECT& to);

 private:
  HBITMAP scaled(ui::Picture picture, int width, int height);

  IWICImagingFactory* factory_ = nullptr;
  std::map<std::tuple<ui::Picture, int, int>, UniqueBitmap> bitmaps_;
};

int resourceId(ui::Picture picture);

}  // namespace win32
