#pragma once
// Runs the messages waiting on this thread as the program's loop does, keys through the backend.
#include <windows.h>

#include "win32/Backend.h"

inline void pump(win32::Backend* backend = nullptr) {
  MSG m;
  while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (backend && backend->translateKey(m)) continue;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}
