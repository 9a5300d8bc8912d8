#include "win32/PictureCache.h"

#include <wincodec.h>

#include <cstring>

#include "resource.h"
#include "ui/Resample.h"
#include "win32/SystemLibrary.h"

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

namespace {

// Decodes one embedded GIF or JPEG into premultiplied 32-bit pixels.
ui::PixelImage decode(IWICImagingFactory* factory, ui::Picture picture) {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId(picture)), MAKEINTRESOURCEW(10));
  if (!found) return {};
  auto* bytes = static_cast<BYTE*>(LockResource(LoadResource(module, found)));
  DWORD size = SizeofResource(module, found);
  if (!bytes || !size) return {};

  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (FAILED(factory->CreateStream(stream.out())) ||
      FAILED(stream->InitializeFromMemory(bytes, size)) ||
      FAILED(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnLoad,
                                              decoder.out())) ||
      FAILED(decoder->GetFrame(0, frame.out())) ||
      FAILED(factory->CreateFormatConverter(converter.out())) ||
      FAILED(converter->Initialize(frame.p, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone,
                                   nullptr, 0, WICBitmapPaletteTypeCustom)) ||
      FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 || width > 4096 ||
      height > 4096)
    return {};
  ui::PixelImage image{static_cast<int>(width), static_cast<int>(height), {}};
  image.pixels.resize(static_cast<std::size_t>(width) * height);
  UINT stride = width * 4;
  if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                   reinterpret_cast<BYTE*>(image.pixels.data()))))
    return {};
  return image;
}

}  // namespace

void PictureCache::decodeAll() {
  decoded_ = true;
  // The imaging library is needed only for these few small pictures: it is loaded for them,
  // without starting COM, and let go at once, so the program does not carry it while it
  // sits in the tray.
  HMODULE codecs = loadSystemLibrary(L"windowscodecs.dll");
  if (!codecs) return;
  using CreateFactory = HRESULT(WINAPI*)(UINT, IWICImagingFactory**);
  auto create = reinterpret_cast<CreateFactory>(
      reinterpret_cast<void*>(GetProcAddress(codecs, "WICCreateImagingFactory_Proxy")));
  IWICImagingFactory* factory = nullptr;
  if (create && SUCCEEDED(create(WINCODEC_SDK_VERSION, &factory)) && factory) {
    for (std::size_t i = 1; i < originals_.size(); ++i)
      originals_[i] = decode(factory, static_cast<ui::Picture>(i));
    factory->Release();
  }
  FreeLibrary(codecs);
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

  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // top-down, as the pixels are kept
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
  // gdi32's own entry: the other library that offers it is not a known system library, and a
  // copy planted beside the program would be loaded in its place.
  GdiAlphaBlend(dc, to.left, to.top, width, height, source.get(), 0, 0, width, height, blend);
}

}  // namespace win32
