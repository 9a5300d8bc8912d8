#include "win32/SwitchPaint.h"

#include <cstring>
#include <map>
#include <utility>
#include <vector>

#include "controls/SwitchArt.h"
#include "win32/Handles.h"
#include "win32/Text.h"

namespace win32 {

namespace {

// Letters that the pixel font does not have are drawn into the strip with a system font.
void drawLettering(HDC dc, int skinSet, int dpi, int frameHeight) {
  UniqueFont font(CreateFontW(-MulDiv(9, dpi, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                              GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              ANTIALIASED_QUALITY, DEFAULT_PITCH, L"微软雅黑"));
  SelectObjectScope selected(dc, font.get());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, static_cast<COLORREF>(controls::switchLetteringColour(skinSet)));
  for (int frame = 0; frame < 8; ++frame) {
    std::wstring text = widen(controls::switchLettering(skinSet, frame));
    if (text.empty()) continue;
    controls::PixelRect box = controls::switchLetteringBox(skinSet, frame, dpi);
    RECT r{box.left, box.top + frame * frameHeight, box.right, box.bottom + frame * frameHeight};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  }
}

// The eight frames of a skin at a DPI, as a top-down DIB section.
UniqueBitmap makeStrip(int skinSet, int dpi) {
  controls::PixelBuffer strip = controls::switchStrip(skinSet, dpi);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = strip.width;
  info.bmiHeader.biHeight = -strip.height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return {};
  std::memcpy(bits, strip.pixels.data(), strip.pixels.size() * sizeof(strip.pixels[0]));
  if (!controls::switchDrawsLettering(skinSet)) {
    UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
    SelectObjectScope selected(dc.get(), bitmap.get());
    drawLettering(dc.get(), skinSet, dpi, strip.height / 8);
    GdiFlush();
  }
  return bitmap;
}

HBITMAP stripFor(int skinSet, int dpi) {
  static std::map<std::pair<int, int>, UniqueBitmap> cache;
  auto& slot = cache[{skinSet, dpi}];
  if (!slot) slot = makeStrip(skinSet, dpi);
  return slot.get();
}

}  // namespace

void paintSwitch(HDC dc, const controls::SafeSwitch& control, int dpi) {
  int skinSet = control.skinSet();
  HBITMAP strip = stripFor(skinSet, dpi);
  if (!strip) return;
  ui::Size size = controls::switchFrameSizeAt(skinSet, dpi);
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  SelectObjectScope selected(source.get(), strip);
  BitBlt(dc, 0, 0, size.width, size.height, source.get(), 0, control.frameIndex() * size.height,
         SRCCOPY);
}

HRGN switchRegion(const controls::SafeSwitch& control, int dpi) {
  controls::SwitchOutline outline =
      controls::switchOutline(control.skinSet(), control.Value(), dpi);
  // One rectangle per run of inside pixels in a row.
  std::vector<RECT> runs;
  for (int y = 0; y < outline.height; ++y) {
    int x = 0;
    while (x < outline.width) {
      if (!outline.contains(x, y)) {
        ++x;
        continue;
      }
      int start = x;
      while (x < outline.width && outline.contains(x, y)) ++x;
      runs.push_back({start, y, x, y + 1});
    }
  }
  std::vector<char> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  RGNDATAHEADER header{};
  header.dwSize = sizeof(header);
  header.iType = RDH_RECTANGLES;
  header.nCount = static_cast<DWORD>(runs.size());
  header.nRgnSize = static_cast<DWORD>(runs.size() * sizeof(RECT));
  header.rcBound = {0, 0, outline.width, outline.height};
  std::memcpy(data.data(), &header, sizeof(header));
  if (!runs.empty())
    std::memcpy(data.data() + sizeof(header), runs.data(), runs.size() * sizeof(RECT));
  return ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()),
                         reinterpret_cast<const RGNDATA*>(data.data()));
}

}  // namespace win32
