#pragma once
// The program's message loop, which also answers a request to end sent from outside.
#include <windows.h>

#include <functional>

namespace win32 {

// The event another program (the installer, the uninstaller) sets to ask a running copy to end.
// Its name is fixed: packaging/installer.nsi opens it by this name.
constexpr wchar_t kExitEventName[] = L"Local\\Tavik.Lumora.Exit";
// The uninstaller also holds this event open while it asks: its copy is being removed.
constexpr wchar_t kUninstallEventName[] = L"Local\\Tavik.Lumora.Uninstall";

// Dispatches messages until WM_QUIT and returns its exit code. Whenever exitRequest (an
// auto-reset event; may be null) is set, onExitRequest runs on this thread between messages.
// A message takeKey takes (the keys a form handles itself) goes no further.
int runMessageLoop(HANDLE exitRequest, const std::function<void()>& onExitRequest,
                   const std::function<bool(const MSG&)>& takeKey = {});

}  // namespace win32
