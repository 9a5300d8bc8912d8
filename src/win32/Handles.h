#pragma once
// Move-only owners of Windows handles: each releases its handle the one way that handle wants.
#include <windows.h>

#include <utility>

namespace win32 {

template <class H, class Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(H h) : h_(h) {}
  ~Unique() { reset(); }
  Unique(Unique&& other) noexcept : h_(std::exchange(other.h_, Traits::invalid())) {}
  Unique& operator=(Unique&& other) noexcept {
    if (this != &other) reset(std::exchange(other.h_, Traits::invalid()));
    return *this;
  }
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;

  H get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::invalid(); }
  H release() { return std::exchange(h_, Traits::invalid()); }
  void reset(H h = Traits::invalid()) {
    if (h_ != Traits::invalid()) Traits::close(h_);
    h_ = h;
  }

 private:
  H h_ = Traits::invalid();
};

// A handle type released by one function, where null holds none.
template <class H, auto Close>
struct ClosedBy {
  static H invalid() { return nullptr; }
  static void close(H h) { Close(h); }
};
template <class H, auto Close>
using ClosedUnique = Unique<H, ClosedBy<H, Close>>;

using UniqueBrush = ClosedUnique<HBRUSH, DeleteObject>;
using UniquePen = ClosedUnique<HPEN, DeleteObject>;
using UniqueFont = ClosedUnique<HFONT, DeleteObject>;
using UniqueRegion = ClosedUnique<HRGN, DeleteObject>;
using UniqueBitmap = ClosedUnique<HBITMAP, DeleteObject>;
using DcTraits = ClosedBy<HDC, DeleteDC>;
using UniqueMemoryDc = Unique<HDC, DcTraits>;
using UniqueIcon = ClosedUnique<HICON, DestroyIcon>;
using UniqueMenu = ClosedUnique<HMENU, DestroyMenu>;
using UniqueHandle = ClosedUnique<HANDLE, CloseHandle>;
using UniqueKey = ClosedUnique<HKEY, RegCloseKey>;
// CreateFile's failure is INVALID_HANDLE_VALUE, not null.
struct FileTraits : ClosedBy<HANDLE, CloseHandle> {
  static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
};
using UniqueFile = Unique<HANDLE, FileTraits>;
struct FindTraits : FileTraits {
  static void close(HANDLE h) { FindClose(h); }
};
using UniqueFind = Unique<HANDLE, FindTraits>;
using UniqueWindow = ClosedUnique<HWND, DestroyWindow>;
using UniquePowerNotify = ClosedUnique<HPOWERNOTIFY, UnregisterPowerSettingNotification>;
using UniqueWinEventHook = ClosedUnique<HWINEVENTHOOK, UnhookWinEvent>;

// A DC from GetDC, released to its window.
class WindowDc {
 public:
  explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
  ~WindowDc() {
    if (dc_) ReleaseDC(hwnd_, dc_);
  }
  WindowDc(WindowDc&& other) noexcept
      : hwnd_(other.hwnd_), dc_(std::exchange(other.dc_, nullptr)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  WindowDc& operator=(WindowDc&&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
  ~PaintDc() { EndPaint(hwnd_, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HWND hwnd_;
  PAINTSTRUCT ps_{};
  HDC dc_;
};

// Selects an object into a DC and puts the previous one back.
class SelectObjectScope {
 public:
  SelectObjectScope(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectObjectScope() {
    if (old_) SelectObject(dc_, old_);
  }
  SelectObjectScope(const SelectObjectScope&) = delete;
  SelectObjectScope& operator=(const SelectObjectScope&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A memory DC with a compatible bitmap, for flicker-free painting.
class BufferedPaint {
 public:
  BufferedPaint(HDC target, int width, int height)
      : target_(target), width_(width), height_(height) {
    dc_.reset(CreateCompatibleDC(target));
    bitmap_.reset(CreateCompatibleBitmap(target, width > 0 ? width : 1, height > 0 ? height : 1));
    old_ = SelectObject(dc_.get(), bitmap_.get());
  }
  ~BufferedPaint() { SelectObject(dc_.get(), old_); }
  BufferedPaint(const BufferedPaint&) = delete;
  BufferedPaint& operator=(const BufferedPaint&) = delete;
  HDC get() const { return dc_.get(); }
  void copyToTarget() { BitBlt(target_, 0, 0, width_, height_, dc_.get(), 0, 0, SRCCOPY); }

 private:
  HDC target_;
  int width_, height_;
  UniqueMemoryDc dc_;
  UniqueBitmap bitmap_;
  HGDIOBJ old_ = nullptr;
};

}  // namespace win32
