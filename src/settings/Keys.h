#pragma once
// The sections and keys of config.ini.
namespace settings::keys {

// Rest reminders.
inline constexpr const char* kRestSection = "dsxx";
inline constexpr const char* kInterval = "mei";  // minutes of work between rests
inline constexpr const char* kLength = "xiuxi";  // minutes of a rest
inline constexpr const char* kOn = "pdrun";      // a feature's on/off flag, in either section

// Eye care.
inline constexpr const char* kEyeSection = "eye";
inline constexpr const char* kBrightness = "liangdu";
inline constexpr const char* kContrast = "duibidu";
inline constexpr const char* kRedBalance = "rgbr";
inline constexpr const char* kGreenBalance = "rgbg";
inline constexpr const char* kBlueBalance = "rgbb";

// Night light.
inline constexpr const char* kNightSection = "night";
inline constexpr const char* kNightOn = "on";
inline constexpr const char* kNightFrom = "from";  // HH:MM
inline constexpr const char* kNightTo = "to";
inline constexpr const char* kNightDay = "day";  // kelvin
inline constexpr const char* kNightNight = "night";
inline constexpr const char* kNightFade = "fade";  // minutes

}  // namespace settings::keys
