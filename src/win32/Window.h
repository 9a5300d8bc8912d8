#pragma once
// The base of every window the backend makes, and the one way an object is attached to a window:
// its pointer in GWLP_USERDATA, set at WM_NCCREATE for the program's own classes and by attach()
// for the system's controls, cleared when either side goes.
#include <windows.h>

#include "ui/Types.h"

namespace win32 {

class Backend;

class Window {
 public:
  explicit Window(Backend& backend) : backend_(backend) {}
  // A child window outlives its object until its parent is destroyed: from then on its
  // messages go to the default procedure, never to the freed object.
  virtual ~Window() { detach(); }
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  HWND hwnd() const { return hwnd_; }
  // The object attached to a window of the program, or null.
  static Window* from(HWND hwnd);

  // What system controls report to their parent, handed on to the child's object.
  virtual void command(WORD) {}
  virtual void scroll() {}
  // WM_CTLCOLOR*: the brush a system control paints with, or null for the default.
  virtual HBRUSH colours(HDC, ui::Colour /*containerBack*/) { return nullptr; }

  // The program's own window classes, all served by proc().
  static void registerClasses(HINSTANCE instance);
  static constexpr wchar_t kFormClass[] = L"LumoraForm";
  static constexpr wchar_t kPanelClass[] = L"LumoraPanel";
  static constexpr wchar_t kSwitchClass[] = L"LumoraSwitch";
  static constexpr wchar_t kProgButtonClass[] = L"LumoraProgButton";
  static constexpr wchar_t kSystemClass[] = L"LumoraSystem";

 protected:
  virtual LRESULT handle(UINT message, WPARAM wp, LPARAM lp);
  // A window of one of the program's classes, attached to this object; null when it failed.
  HWND createWindow(DWORD exStyle, const wchar_t* className, const wchar_t* text, DWORD style,
                    RECT place, HWND parent);
  // A system control's window made elsewhere.
  void attach(HWND hwnd);
  // Nothing reaches this object through its window from now on.
  void detach();

  Backend& backend_;
  HWND hwnd_ = nullptr;

 private:
  static LRESULT CALLBACK proc(HWND, UINT, WPARAM, LPARAM);
};

}  // namespace win32
