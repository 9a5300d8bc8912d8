#include "win32/SwitchPaint.h"

#include <cstring>
#include <map>
#include <tuple>
#include <vector>

#include "controls/SwitchArt.h"
#include "win32/Handles.h"
#include "win32/PictureCache.h"
#include "win32/Text.h"

namespace win32 {

namespace {

// The lettering of every enabled frame, drawn into the strip with the program's face, smooth at
// the DPI's own size.
void drawLettering(HDC dc, int skinSet, int dpi, int frameHeight, bool contrast, bool plain) {
  SetBkMode(dc, TRANSPARENT);
  for (int frame = 0; frame < 8; ++frame) {
    controls::SwitchLettering l = controls::switchLettering(skinSet, frame, dpi, plain);
    if (l.text.empty()) continue;
    UniqueFont font(CreateFontW(-l.emHeight, 0, 0, 0, l.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                ANTIALIASED_QUALITY, DEFAULT_PITCH, L"微软雅黑"));
    SelectObjectScope selected(dc, font.get());
    std::wstring text = widen(l.text);
    RECT r{l.box.left, l.box.top + frame * frameHeight, l.box.right,
           l.box.bottom + frame * frameHeight};
    auto draw = [&](COLORREF colour, int dy) {
      SetTextColor(dc, colour);
      RECT at = r;
      OffsetRect(&at, 0, dy);
      DrawTextW(dc, text.c_str(), -1, &at, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    };
    if (contrast) {
      bool on = frame < 4;
      FillRect(dc, &r, GetSysColorBrush(on ? COLOR_HIGHLIGHT : COLOR_WINDOW));
      draw(GetSysColor(on ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT), 0);
      continue;
    }
    if (l.shadow) draw(static_cast<COLORREF>(*l.shadow), l.shadowOffset);
    draw(static_cast<COLORREF>(l.colour), 0);
  }
}

// The eight frames of a skin at a DPI, as a top-down DIB section.
UniqueBitmap makeStrip(int skinSet, int dpi, bool contrast, bool plain) {
  controls::PixelBuffer strip = controls::switchStrip(skinSet, dpi);
  UniqueBitmap bitmap = dibSection(strip.width, strip.height, strip.pixels);
  if (!bitmap) return {};
  UniqueMemoryDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return {};
  SelectObjectScope selected(dc.get(), bitmap.get());
  drawLettering(dc.get(), skinSet, dpi, strip.height / 8, contrast, plain);
  GdiFlush();
  return bitmap;
}

HBITMAP stripFor(int skinSet, int dpi, bool contrast, bool plain) {
  static std::map<std::tuple<int, int, bool, bool>, UniqueBitmap> cache;
  auto& slot = cache[{skinSet, dpi, contrast, plain}];
  if (!slot) slot = makeStrip(skinSet, dpi, contrast, plain);
  return slot.get();
}

}  // namespace

// Asked at every paint: turning high contrast on or off changes the system colours, which
// repaints every window.
bool highContrastOn() {
  HIGHCONTRASTW hc{};
  hc.cbSize = sizeof(hc);
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0) &&
         (hc.dwFlags & HCF_HIGHCONTRASTON);
}

void paintSwitch(HDC dc, const controls::SafeSwitch& control, int dpi, bool highContrast) {
  int skinSet = control.skinSet();
  HBITMAP strip = stripFor(skinSet, dpi, highContrast, control.plainLettering());
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
    for (int x = 0; x < outline.width; ++x) {
      if (!outline.contains(x, y)) continue;
      int start = x;
      while (outline.contains(x + 1, y)) ++x;
      runs.push_back({start, y, x + 1, y + 1});
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
