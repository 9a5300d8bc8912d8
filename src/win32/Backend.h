#pragma once
// The Win32 side of the form toolkit: a window for every form and windowed control, windowless
// controls painted by their container in design order, input fed back through the model's
// setters, timers on the message loop, all sized from twips at the window's DPI.
#include <windows.h>

#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <tuple>

#include "ui/Form.h"
#include "win32/Accessible.h"
#include "win32/Handles.h"
#include "win32/PictureCache.h"
#include "win32/Report.h"
#include "win32/SystemWindow.h"

namespace win32 {

class FormWindow;

class Backend : public ui::FormHost {
 public:
  explicit Backend(HINSTANCE instance);
  ~Backend() override;
  Backend(const Backend&) = delete;
  Backend& operator=(const Backend&) = delete;

  void create(ui::Form& form) override;
  void post(std::function<void()> work) override;
  void copyImage(const ui::Control& from, ui::Control& to) override;

  HWND windowOf(const ui::Form& form) const;
  // The window of a windowed control, once its form's window exists.
  static HWND windowOf(const ui::Control& control);
  // A visible window of the program to own message boxes, or null.
  HWND ownerWindow() const;
  // A hidden window that owns every form without a taskbar button: owned windows get none, on
  // Windows and in Wine's desktop alike, whatever their styles.
  HWND hiddenOwner() const { return system_->hwnd(); }
  // Where system events arrive.
  SystemWindow& system() { return *system_; }

  // The keys a form handles itself (Tab, Space, Enter, Esc), taken from the message loop before
  // they reach the focused window, as a dialog's message loop does. True when the form used it.
  bool translateKey(const MSG& message);
  // What the program's windows tell assistive technology comes from here.
  const AccessSite& access() const { return access_; }

  // Implementation details shared by the views.
  HINSTANCE instance() const { return instance_; }
  PictureCache& pictures() { return pictures_; }
  HFONT font(const ui::Font& font, int dpi);
  HBRUSH brush(ui::Colour colour);
  void forget(FormWindow* window);

 private:
  void runPosted();

  class Access : public AccessSite {
   public:
    explicit Access(const Backend& backend) : backend_(backend) {}
    AccessTarget targetOf(HWND hwnd) const override;
    HWND windowOf(const ui::Control& control) const override { return Backend::windowOf(control); }
    HWND windowOf(const ui::Form& form) const override { return backend_.windowOf(form); }

   private:
    const Backend& backend_;
  };

  HINSTANCE instance_;
  PictureCache pictures_;
  std::map<const ui::Form*, std::unique_ptr<FormWindow>> forms_;
  std::map<std::tuple<std::string, int, bool, int, bool, int>, UniqueFont> fonts_;
  std::map<ui::Colour, UniqueBrush> brushes_;
  std::mutex postedLock_;  // work may be posted from a worker thread
  std::deque<std::function<void()>> posted_;
  std::unique_ptr<SystemWindow> system_;
  Access access_{*this};
};

// Resolves the toolkit's system colours.
COLORREF colourRef(ui::Colour colour);

}  // namespace win32
