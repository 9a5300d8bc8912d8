#include "win32/Services.h"

namespace win32 {

ui::LocalTime Clock::now() {
  SYSTEMTIME t;
  GetLocalTime(&t);
  // The offset in force now: the daylight bias counts only while daylight saving time is on.
  TIME_ZONE_INFORMATION zone{};
  const DWORD kind = GetTimeZoneInformation(&zone);
  LONG bias = zone.Bias;
  if (kind == TIME_ZONE_ID_DAYLIGHT)
    bias += zone.DaylightBias;
  else if (kind == TIME_ZONE_ID_STANDARD)
    bias += zone.StandardBias;
  return {t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, static_cast<int>(-bias)};
}

std::int64_t Clock::monotonicMs() {
  // The tick count includes time spent asleep or hibernating (the unbiased interrupt time would
  // not), and no clock change moves it.
  return static_cast<std::int64_t>(GetTickCount64());
}

std::int64_t Clock::idleMs() {
  LASTINPUTINFO info{sizeof info, 0};
  if (!GetLastInputInfo(&info)) return 0;
  // Both are the 32-bit tick count: the difference is right across its wrap every 49.7 days.
  return static_cast<DWORD>(GetTickCount() - info.dwTime);
}

}  // namespace win32
