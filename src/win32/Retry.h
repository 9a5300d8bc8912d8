#pragma once
// Waiting out a failure that passes: another program holding a file for a moment, a monitor busy
// with another exchange.
#include <windows.h>

namespace win32 {

// Runs step until it succeeds, at most tries times, pauseMs apart, while passes (when given) says
// the failure's code is one that waiting cures. GetLastError holds the last failure's code.
template <class Step>
bool retried(int tries, DWORD pauseMs, bool (*passes)(DWORD), Step step) {
  for (int attempt = 1;; ++attempt) {
    if (step()) return true;
    if (attempt == tries || (passes && !passes(GetLastError()))) return false;
    Sleep(pauseMs);
  }
}

// A monitor's exchange: a transient failure is retried twice, 50 ms apart.
template <class Step>
bool exchanged(Step step) {
  return retried(3, 50, nullptr, step);
}

}  // namespace win32
