#pragma once
// The sections and keys of config.ini.
namespace settings::keys {

// Rest reminders.
inline constexpr const char* kRestSection = "dsxx";
inline constexpr const char* kInterval = "mei";  // minutes of work between rests
inline constexpr const char* kLength = "xiuxi";  // minutes of a rest
inline constexpr const char* kOn = "pdrun";      // a feature's on/off flag, in either section
// Putting a rest off, pausing reminders, the sounds of a rest.
inline constexpr const char* kLater = "later";               // minutes a prompt is put off
inline constexpr const char* kLaters = "laters";             // times in a row at most
inline constexpr const char* kPausedUntil = "paused_until";  // local "YYYY-MM-DD HH:MM"
inline constexpr const char* kLaterUntil = "later_until";  // a prompt put off comes back, as above
inline constexpr const char* kLatersUsed = "laters_used";  // prompts put off in a row so far
inline constexpr const char* kSound = "sound";             // 1 or 0
inline constexpr const char* kWarn = "warn";               // 1 or 0: dim before a prompt

// Working hours: reminders only on these days, between these times.
inline constexpr const char* kHoursSection = "hours";
inline constexpr const char* kHoursOn = "on";      // 1 or 0
inline constexpr const char* kHoursDays = "days";  // "mon,tue,wed,thu,fri"
inline constexpr const char* kHoursFrom = "from";  // HH:MM
inline constexpr const char* kHoursTo = "to";

// Short breaks for the eyes.
inline constexpr const char* kBreakSection = "micro";
inline constexpr const char* kBreakOn = "on";            // 1 or 0
inline constexpr const char* kBreakEvery = "every";      // minutes, 1 to 120
inline constexpr const char* kBreakSeconds = "seconds";  // 10 to 120
// What holds a due prompt besides full-screen work.
inline constexpr const char* kBusySection = "busy";
inline constexpr const char* kCalls = "calls";  // 1 or 0: a microphone or camera in use
inline constexpr const char* kApps = "apps";    // program file names, separated by ";"

// Eye care.
inline constexpr const char* kEyeSection = "eye";
inline constexpr const char* kBrightness = "liangdu";
inline constexpr const char* kContrast = "duibidu";
inline constexpr const char* kRedBalance = "rgbr";
inline constexpr const char* kGreenBalance = "rgbg";
inline constexpr const char* kBlueBalance = "rgbb";

// System-wide shortcuts as key texts, and their defaults, in the order of app::Action.
inline constexpr const char* kKeysSection = "keys";
inline constexpr const char* kShortcuts[][2] = {{"darker", "Ctrl+Alt+PageDown"},
                                                {"brighter", "Ctrl+Alt+PageUp"},
                                                {"eyecare", "Ctrl+Alt+End"},
                                                {"nightlight", "Ctrl+Alt+Home"}};

// Display backlights: the level in percent of every display while linked, or of each under
// "level " and the monitor's name; each monitor's own value before Lumora changed it under "was "
// and its name, and the monitors whose own value is stored, "|" apart.
inline constexpr const char* kBacklightSection = "backlight";
inline constexpr const char* kBacklightLevel = "level";
inline constexpr const char* kBacklightLinked = "linked";  // "0": each display has its own level
inline constexpr const char* kBacklightWas = "was";
inline constexpr const char* kBacklightOwed = "owed";

// Night light.
inline constexpr const char* kNightSection = "night";
inline constexpr const char* kNightOn = "on";
inline constexpr const char* kNightMode = "mode";  // "times" or "sun"
inline constexpr const char* kNightFrom = "from";  // HH:MM
inline constexpr const char* kNightTo = "to";
inline constexpr const char* kNightDay = "day";  // kelvin
inline constexpr const char* kNightNight = "night";
inline constexpr const char* kNightFade = "fade";  // minutes
inline constexpr const char* kNightLat = "lat";    // degrees, north positive
inline constexpr const char* kNightLon = "lon";    // degrees, east positive

}  // namespace settings::keys
