#include "win32/PictureCache.h"

#include <wincodec.h>

#include <cstring>

#include "resource.h"
#include "ui/Resample.h"

namespace win32 {

namespace {

template <class T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
  T** out() { return &p; }
  T* operator->() const { return p; }
};

}  // namespace

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

PictureCache::PictureCache() {
  CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                   reinterpret_cast<void**>(&factory_));
}

PictureCache::~PictureCache() {
  bitmaps_.clear();
  if (factory_) factory_->Release();
}

HBITMAP PictureCache::scaled(ui::Picture picture, int width, int height) {
  auto key = std::make_tuple(picture, width, height);
  if (auto it = bitmaps_.find(key); it != bitmaps_.end()) return it->second.get();
  UniqueBitmap& slot = bitmaps_[key];
  if (!factory_ || width <= 0 || height <= 0) return nullptr;

  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId(picture)), MAKEINTRESOURCEW(10));
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(module, found);
  auto* bytes = static_cast<BYTE*>(LockResource(loaded));
  DWORD size = SizeofResource(module, found);
  if (!bytes || !size) return nullptr;

  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  UINT sourceWidth = 0, sourceHeight = 0;
  if (FAILED(factory_->CreateStream(stream.out())) ||
      FAILED(stream->InitializeFromMemory(bytes, size)) ||
      FAILED(factory_->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnLoad,
                                               decoder.out())) ||
      FAILED(decoder->GetFrame(0, frame.out())) ||
      FAILED(factory_->CreateFormatConverter(converter.out())) ||
      FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                   nullptr, 0, WICBitmapPaletteTypeCustom)) ||
      FAILED(converter->GetSize(&sourceWidth, &sourceHeight)) || sourceWidth == 0 ||
      sourceHeight == 0 || sourceWidth > 4096 || sourceHeight > 4096)
    return nullptr;
  ui::PixelImage source{static_cast<int>(sourceWidth), static_cast<int>(sourceHeight), {}};
  source.pixels.resize(static_cast<std::size_t>(sourceWidth) * sourceHeight);
  UINT sourceStride = sourceWidth * 4;
  if (FAILED(converter->CopyPixels(nullptr, sourceStride, sourceStride * sourceHeight,
                                   reinterpret_cast<BYTE*>(source.pixels.data()))))
    return nullptr;
  // Our own filter rather than WIC's scaler: some WIC implementations stretch by nearest
  // neighbour whatever mode is asked for, which makes enlarged pictures blocky.
  ui::PixelImage fitted = ui::resample(source, width, height);
  if (fitted.pixels.empty()) return nullptr;

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as WIC writes rows
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!bitmap || !bits) return nullptr;
  std::memcpy(bits, fitted.pixels.data(), fitted.pixels.size() * sizeof(fitted.pixels[0]));
  slot = std::move(bitmap);
  return slot.get();
}

void PictureCache::draw(HDC dc, ui::Picture picture, const RECT& to) {
  int width = to.right - to.left, height = to.bottom - to.top;
  HBITMAP bitmap = scaled(picture, width, height);
  if (!bitmap) return;
  UniqueMemoryDc source(CreateCompatibleDC(dc));
  SelectObjectScope select(source.get(), bitmap);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  AlphaBlend(dc, to.left, to.top, width, height, source.get(), 0, 0, width, height, blend);
}

}  // namespace win32
