#include "win32/GammaDisplay.h"

#include "win32/Report.h"
#include "win32/Text.h"

namespace win32 {

// The ramp's layout (red 0-255, then green, then blue) is the one the gamma functions use.
static_assert(sizeof(ui::Ramp) == 3 * 256 * sizeof(WORD));

HDC GammaDisplay::dc() const {
  return std::visit([](const auto& dc) { return dc.get(); }, dc_);
}

bool GammaDisplay::get(ui::Ramp& ramp) {
  return dc() && GetDeviceGammaRamp(dc(), ramp.data()) != FALSE;
}

bool GammaDisplay::set(const ui::Ramp& ramp) {
  if (!dc()) {
    failure_ = "no device context for the display";
    return false;
  }
  // The function takes a non-const pointer but only reads the ramp.
  ui::Ramp copy = ramp;
  SetLastError(0);
  if (SetDeviceGammaRamp(dc(), copy.data())) return true;
  failure_ = "SetDeviceGammaRamp failed, error " + std::to_string(GetLastError());
  return false;
}

std::vector<ui::AttachedDisplay> GammaDisplays::enumerate() {
  std::vector<ui::AttachedDisplay> displays;
  DISPLAY_DEVICEW device{};
  device.cb = sizeof(device);
  for (DWORD i = 0; EnumDisplayDevicesW(nullptr, i, &device, 0); ++i) {
    // On an extended desktop the desktop window's context may reach one display or none, so
    // each display gets a context of its own.
    if (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP)
      displays.push_back(
          {narrow(device.DeviceName), std::make_unique<GammaDisplay>(device.DeviceName)});
    device = {};
    device.cb = sizeof(device);
  }
  if (displays.empty()) displays.push_back({"", std::make_unique<GammaDisplay>()});
  return displays;
}

// Windows reads this value at sign-in; 256 lets any ramp through.
constexpr wchar_t kIcmKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ICM";
constexpr wchar_t kGammaRange[] = L"GdiIcmGammaRange";
constexpr DWORD kWholeRange = 256;

bool GammaDisplays::limitLifted() {
  DWORD value = 0, size = sizeof(value);
  return RegGetValueW(HKEY_LOCAL_MACHINE, kIcmKey, kGammaRange, RRF_RT_REG_DWORD, nullptr, &value,
                      &size) == ERROR_SUCCESS &&
         value == kWholeRange;
}

void GammaDisplays::report(const std::string& line) {
  writeLog(widen(line));
}

bool liftGammaLimit() {
  return RegSetKeyValueW(HKEY_LOCAL_MACHINE, kIcmKey, kGammaRange, REG_DWORD, &kWholeRange,
                         sizeof(kWholeRange)) == ERROR_SUCCESS;
}

}  // namespace win32
