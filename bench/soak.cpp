// Soak: the real program objects on the real Win32 backend, with a clock that moves only when
// told, run through many rest cycles (prompt -> rest screen -> close) and settings panel cycles
// (each sub-panel opened and closed), counting the process's USER and GDI objects and its
// private memory along the way. Prints a table; fails when objects or private memory grow.
//   soak.exe [REST_CYCLES] [PANEL_CYCLES] [OUTPUT_FILE]   (defaults 1000, 1000, stdout)
#include <windows.h>

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Fakes.h"
#include "Pump.h"
#include "app/MainWindow.h"
#include "app/Program.h"
#include "colour/GammaEngine.h"
#include "rest/PromptWindow.h"
#include "rest/Rest.h"
#include "rest/RestScreen.h"
#include "win32/Backend.h"
#include "win32/Services.h"

extern "C" DWORD WINAPI countUserObjects(void*);
extern "C" DWORD WINAPI countGdiObjects(void*);

namespace {

struct Sample {
  DWORD user = 0, gdi = 0;
  SIZE_T privateKiB = 0;
};

Sample sample() {
  pump();
  Sample s;
  s.user = countUserObjects(nullptr);
  s.gdi = countGdiObjects(nullptr);
  PROCESS_MEMORY_COUNTERS_EX memory{};
  memory.cb = sizeof(memory);
  if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                           sizeof(memory)))
    s.privateKiB = memory.PrivateUsage / 1024;
  // Wine reports no private usage; its process is a Linux process, whose private memory in use
  // is its resident anonymous memory.
  if (s.privateKiB == 0) {
    if (FILE* status = _wfopen(L"Z:\\proc\\self\\status", L"r")) {
      char line[256];
      unsigned long kib = 0;
      while (std::fgets(line, sizeof line, status))
        if (std::sscanf(line, "RssAnon: %lu kB", &kib) == 1) s.privateKiB = kib;
      std::fclose(status);
    }
  }
  return s;
}

void print(const char* what, int cycles, const Sample& s, DWORD ms) {
  std::printf("%-28s %6d  USER %4lu  GDI %4lu  private %7lu KiB  %6lu ms\n", what, cycles,
              static_cast<unsigned long>(s.user), static_cast<unsigned long>(s.gdi),
              static_cast<unsigned long>(s.privateKiB), static_cast<unsigned long>(ms));
  std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int restCycles = argc > 1 ? _wtoi(argv[1]) : 1000;
  const int panelCycles = argc > 2 ? _wtoi(argv[2]) : 1000;
  // Started inside a Wine desktop, the program has no console to print to.
  if (argc > 3) _wfreopen(argv[3], L"w", stdout);

  win32::Backend backend(GetModuleHandleW(nullptr));
  fakes::Clock clock;
  clock.set(9, 0);
  win32::Screen screen;
  fakes::GammaDisplay gamma;
  gamma.keepsSent = false;
  fakes::DisplaySet displays{gamma};
  fakes::ProfileStore store;
  store.values[{"dsxx", "mei"}] = "1";  // a rest every minute of the fake clock
  store.values[{"dsxx", "xiuxi"}] = "1";
  fakes::Shell shell;
  win32::NotifyArea notify(backend);
  fakes::SignInEntry signIn;  // never the user's own
  app::Program program({backend, clock, displays, store, screen, shell, notify, signIn});
  program.start();
  pump();
  app::MainWindow& main = program.mainWindow();
  rest::Rest& rest = main.rest();

  // One rest: work until the prompt, take the rest it offers, close the rest screen.
  auto restCycle = [&] {
    store.log.clear();  // the fake's record of calls would grow without end
    for (int second = 0; second < 180 && !rest.prompt(); ++second) {
      clock.advance(1);
      main.Timer1.Tick();
      pump();
    }
    if (!rest.prompt()) return false;
    rest.prompt()->Label1.Click();
    pump();
    if (!rest.restScreen()) return false;
    clock.advance(1);
    main.Timer1.Tick();
    pump();
    rest.restScreen()->imgclose.Click();
    pump();

    return !rest.restScreen() && !rest.prompt();
  };
  // Both settings sub-panels opened and closed with their back images.
  auto panelCycle = [&] {
    store.log.clear();
    main.edit[0].Click();
    pump();
    main.Image8.Click();
    pump();
    main.edit[1].Click();
    pump();
    main.setno[1].Click();
    pump();
    return !main.ppset.visible();
  };

  // Warm-up: everything made once (fonts, pictures, the windows' classes).
  for (int i = 0; i < 20; ++i)
    if (!restCycle() || !panelCycle()) {
      std::fprintf(stderr, "soak: a warm-up cycle did not complete\n");
      return 2;
    }
  Sample warm = sample();
  print("after warm-up", 20, warm, 0);

  Sample last = warm;
  DWORD start = GetTickCount();
  for (int i = 1; i <= restCycles; ++i) {
    if (!restCycle()) {
      std::fprintf(stderr, "soak: rest cycle %d did not complete\n", i);
      return 2;
    }
    if (i % 250 == 0 || i == restCycles)
      print("rest cycles", i, last = sample(), GetTickCount() - start);
  }
  Sample afterRests = last;
  start = GetTickCount();
  for (int i = 1; i <= panelCycles; ++i) {
    if (!panelCycle()) {
      std::fprintf(stderr, "soak: panel cycle %d did not complete\n", i);
      return 2;
    }
    if (i % 250 == 0 || i == panelCycles)
      print("panel cycles", i, last = sample(), GetTickCount() - start);
  }

  // Flat: not one object more, and private memory within what the allocator keeps in reserve.
  constexpr SIZE_T kPrivateSlackKiB = 256;
  bool flat = last.user <= warm.user && last.gdi <= warm.gdi && afterRests.user <= warm.user &&
              afterRests.gdi <= warm.gdi && last.privateKiB <= warm.privateKiB + kPrivateSlackKiB;
  std::printf("soak: %s (USER %+ld, GDI %+ld, private %+ld KiB since warm-up), %d messages\n",
              flat ? "flat" : "GROWS", static_cast<long>(last.user) - static_cast<long>(warm.user),
              static_cast<long>(last.gdi) - static_cast<long>(warm.gdi),
              static_cast<long>(last.privateKiB) - static_cast<long>(warm.privateKiB),
              static_cast<int>(shell.messages.size()));
  for (const auto& m : shell.messages) std::fprintf(stderr, "soak: message: %s\n", m.text.c_str());
  return flat && shell.messages.empty() ? 0 : 1;
}
