#pragma once
// The displays' gamma ramps: one device context per display attached to the desktop, or the
// desktop window's when the system lists none.
#include <windows.h>

#include <variant>

#include "ui/System.h"
#include "win32/Handles.h"

namespace win32 {

class GammaDisplay final : public ui::GammaDisplay {
 public:
  // The whole desktop, through the desktop window's device context.
  GammaDisplay() : dc_(std::in_place_type<WindowDc>, GetDesktopWindow()) {}
  // One display device, such as \\.\DISPLAY2, through a device context of its own.
  explicit GammaDisplay(const wchar_t* device)
      : dc_(std::in_place_type<Unique<HDC, DcTraits>>,
            CreateDCW(device, nullptr, nullptr, nullptr)) {}

  bool get(ui::Ramp& ramp) override;
  // One call; the engine checks what the display kept and retries.
  bool set(const ui::Ramp& ramp) override;
  std::string failure() const override { return failure_; }

 private:
  HDC dc() const;

  std::string failure_;
  std::variant<WindowDc, Unique<HDC, DcTraits>> dc_;
};

class GammaDisplays final : public ui::DisplaySet {
 public:
  std::vector<ui::AttachedDisplay> enumerate() override;
  bool limitLifted() override;
  void report(const std::string& line) override;  // to lumora.log
};

// GdiIcmGammaRange = 256 from the next sign-in on. Needs administrator rights.
bool liftGammaLimit();

}  // namespace win32
