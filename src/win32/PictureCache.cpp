#include "win32/PictureCache.h"

#include <cstring>

#include "resource.h"
#include "ui/Decode.h"

namespace win32 {

int resourceId(ui::Picture picture) {
  switch (picture) {
    case ui::Picture::None:
      return 0;
    case ui::Picture::Hide:
      return IDR_HIDE_GIF;
    case ui::Picture::Close:
      return IDR_CLOSE_JPG;
    case ui::Picture::Pencil:
      return IDR_PENCIL_GIF;
    case ui::Picture::EyeMonitor:
      return IDR_EYE_MONITOR_JPG;
    case ui::Picture::Monitor:
      return IDR_MONITOR_JPG;
    case ui::Picture::Ok:
      return IDR_OK_GIF;
    case ui::Picture::Back:
      return IDR_BACK_JPG;
    case ui::Picture::RestClose:
      return IDR_REST_CLOSE_JPG;
  }
  return 0;
}

UniqueBitmap dibSection(int width, int height, const std::vector<std::uint32_t>& pixels) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as the pixels are kept
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  std::memcpy(bits, pixels.data(), pixels.size() * sizeof(pixels[0]));
  return bitmap;
}

void PictureCache::decodeAll() {
  decoded_ = true;
  HMODULE module = GetModuleHandleW(nullptr);
  for (std::size_t i = 1; i < originals_.size(); ++i) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId(static_cast<ui::Picture>(i))),
                                MAKEINTRESOURCEW(10));
    const auto* bytes =
        found ? static_cast<const unsigned char*>(LockResource(LoadResource(module, found)))
              : nullptr;
    if (bytes) originals_[i] = ui::decodePicture({bytes, SizeofResource(module, found)});
  }
}

HBITMAP PictureCache::scaled(ui::Picture picture, int width, int height) {
  auto key = std::make_tuple(picture, width, height);
  if (auto it = bitmaps_.find(key); it != bitmaps_.end()) return it->second.get();
  UniqueBitmap& slot = bitmaps_[key];
  if (width <= 0 || height <= 0) return nullptr;
  if (!decoded_) decodeAll();
  const ui::PixelImage& source = originals_[static_cast<std::size_t>(picture)];
  if (source.pixels.empty()) return nullptr;
  // Our own filter rather than the imaging library's scaler: some implementations stretch by
  // nearest neighbour whatever mode is asked for, which makes enlarged pictures blocky.
  ui::PixelImage fitted = ui::resample(source, width, height);
  if (fitted.pixels.empty()) return nullptr;
  slot = dibSection(width, height, fitted.pixels);
  return slot.get();
}

void PictureCache::draw(HDC dc, ui::Picture picture, const RECT& to) {
  int width = to.right - to.left, height = to.bottom - to.top;
  HBITMAP bitmap = scaled(picture, width, height);
  if (!bitmap) return;
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  SelectObjectScope select(source.get(), bitmap);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  // gdi32's own entry: the other library that offers it is not a known system library, and a
  // copy planted beside the program would be loaded in its place.
  GdiAlphaBlend(dc, to.left, to.top, width, height, source.get(), 0, 0, width, height, blend);
}

}  // namespace win32
