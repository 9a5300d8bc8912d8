#include "win32/MessageLoop.h"

namespace win32 {

int runMessageLoop(HANDLE exitRequest, const std::function<void()>& onExitRequest,
                   const std::function<bool(const MSG&)>& takeKey) {
  const DWORD count = exitRequest ? 1 : 0;
  for (;;) {
    // MWMO_INPUTAVAILABLE: also wake for messages that arrived before this call and were seen,
    // but not removed, by an earlier peek.
    DWORD woke = MsgWaitForMultipleObjectsEx(count, count ? &exitRequest : nullptr, INFINITE,
                                             QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    if (count && woke == WAIT_OBJECT_0)
      onExitRequest();
    else if (woke == WAIT_FAILED)
      WaitMessage();  // never spin; messages still flow
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return static_cast<int>(message.wParam);
      if (takeKey && takeKey(message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
}

}  // namespace win32
