// Looks at windows from inside the wineserver, for what X cannot show:
// window classes, hidden windows, layered alpha and the shell's tray windows.
// Output: one line per window, tab-separated:
//   hwnd parent owner id visible left top right bottom exstyle alpha class title
// (id is the child-window id, which for a taskbar button is the window it
// stands for; alpha is -1 when the window is not layered with LWA_ALPHA).
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

std::string utf8(const wchar_t* text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (n <= 1) return {};
  std::string out(static_cast<size_t>(n - 1), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), n, nullptr, nullptr);
  return out;
}

void printWindow(HWND hwnd) {
  wchar_t cls[256] = L"";
  wchar_t title[512] = L"";
  GetClassNameW(hwnd, cls, 256);
  GetWindowTextW(hwnd, title, 512);
  RECT r{};
  GetWindowRect(hwnd, &r);
  LONG ex = GetWindowLongW(hwnd, GWL_EXSTYLE);
  int alpha = -1;
  BYTE a = 0;
  DWORD flags = 0;
  if ((ex & WS_EX_LAYERED) && GetLayeredWindowAttributes(hwnd, nullptr, &a, &flags) &&
      (flags & LWA_ALPHA))
    alpha = a;
  auto handle = [](HWND h) { return static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(h)); };
  std::printf("%#lx\t%#lx\t%#lx\t%#lx\t%d\t%ld\t%ld\t%ld\t%ld\t%#lx\t%d\t%s\t%s\n", handle(hwnd),
              handle(GetAncestor(hwnd, GA_PARENT)), handle(GetWindow(hwnd, GW_OWNER)),
              static_cast<unsigned long>(GetWindowLongPtrW(hwnd, GWLP_ID)),
              IsWindowVisible(hwnd) ? 1 : 0, r.left, r.top, r.right, r.bottom,
              static_cast<unsigned long>(ex), alpha, utf8(cls).c_str(), utf8(title).c_str());
}

BOOL CALLBACK onWindow(HWND hwnd, LPARAM) {
  printWindow(hwnd);
  return TRUE;
}

BOOL CALLBACK onTopLevel(HWND hwnd, LPARAM) {
  printWindow(hwnd);
  EnumChildWindows(hwnd, onWindow, 0);
  return TRUE;
}

// Draws each text as a pop-up menu draws its entries (menu font, menu colours) and
// prints "width height" and then one line per pixel row of RRGGBB values, so a test
// can find a menu entry's caption in a screenshot.
int printMenuTexts(int count, wchar_t** texts) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) return 4;
  HFONT font = CreateFontIndirectW(&metrics.lfMenuFont);
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ oldFont = SelectObject(dc, font);
  for (int i = 0; i < count; ++i) {
    RECT r{0, 0, 0, 0};
    UINT flags = DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP;
    DrawTextW(dc, texts[i], -1, &r, flags | DT_CALCRECT);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HBRUSH back = GetSysColorBrush(COLOR_MENU);
    FillRect(dc, &r, back);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
    DrawTextW(dc, texts[i], -1, &r, flags);
    std::printf("%ld %ld\n", r.right, r.bottom);
    for (int y = 0; y < r.bottom; ++y) {
      for (int x = 0; x < r.right; ++x) {
        COLORREF c = GetPixel(dc, x, y);
        std::printf("%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
      }
      std::printf("\n");
    }
    SelectObject(dc, oldBitmap);
    DeleteObject(bitmap);
  }
  SelectObject(dc, oldFont);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  DeleteObject(font);
  return 0;
}

// A tooltip's own text: another process's GetWindowText reads only the stored caption, while a
// sent WM_GETTEXT is answered by the tooltip with the tip it shows.
BOOL CALLBACK printTooltip(HWND hwnd, LPARAM) {
  wchar_t cls[64] = L"";
  GetClassNameW(hwnd, cls, 64);
  if (std::wcscmp(cls, L"tooltips_class32") != 0 || !IsWindowVisible(hwnd)) return TRUE;
  wchar_t text[256] = L"";
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                      &copied);
  std::printf("%s\n", utf8(text).c_str());
  return TRUE;
}

BOOL CALLBACK printMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  const RECT& r = info.rcMonitor;
  std::printf("%ld %ld %ld %ld %d\n", r.left, r.top, r.right, r.bottom,
              (info.dwFlags & MONITORINFOF_PRIMARY) ? 1 : 0);
  return TRUE;
}

}  // namespace

// probe [--desktop NAME] tooltips     the text of every visible tooltip, one a line
// probe [--desktop NAME] windows      every top-level window and its descendants
// probe [--desktop NAME] class CLASS   windows of class CLASS (top-level) and their descendants
// probe menutext TEXT...              TEXT drawn as a pop-up menu entry, as pixels
// probe [--desktop NAME] foreground   the foreground window, the one with the keyboard
// probe [--desktop NAME] workarea     the primary work area: left top right bottom
// probe [--desktop NAME] monitors     every monitor: left top right bottom primary(0/1)
// probe post HWND MESSAGE WPARAM      posts a message (numbers in C notation) to a window
// probe [--desktop NAME] broadcast MESSAGE WPARAM LPARAM
//                                     sends a message to every top-level window, as the system
//                                     sends WM_DISPLAYCHANGE, and waits until each has handled it
// probe hold MODIFIERS VK            holds a system-wide shortcut as another program would, prints
//                                     "held" and keeps it until it is ended
// probe [--desktop NAME] act TITLE NAME  a screen reader's default action on NAME in window TITLE
// --desktop looks into a Wine desktop started with "explorer /desktop=NAME,...".
int wmain(int argc, wchar_t** argv) {
  if (argc >= 3 && std::wcscmp(argv[1], L"--desktop") == 0) {
    HDESK desk = OpenDesktopW(argv[2], 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (!desk || !SetThreadDesktop(desk)) {
      std::fprintf(stderr, "probe: cannot open desktop\n");
      return 3;
    }
    argc -= 2;
    argv += 2;
  }
  if (argc >= 3 && std::wcscmp(argv[1], L"class") == 0) {
    HWND hwnd = nullptr;
    int found = 0;
    while ((hwnd = FindWindowExW(nullptr, hwnd, argv[2], nullptr)) != nullptr) {
      ++found;
      printWindow(hwnd);
      EnumChildWindows(hwnd, onWindow, 0);
    }
    return found ? 0 : 1;
  }
  if (argc >= 4 && std::wcscmp(argv[1], L"act") == 0) {
    IAccessible* acc = nullptr;
    long count = 0;
    if (FAILED(CoInitialize(nullptr)) ||
        FAILED(AccessibleObjectFromWindow(FindWindowW(nullptr, argv[2]), OBJID_CLIENT,
                                          IID_IAccessible, reinterpret_cast<void**>(&acc))) ||
        FAILED(acc->get_accChildCount(&count)))
      return 2;
    VARIANT child{};
    for (child.vt = VT_I4; child.lVal++ < count;) {
      BSTR name = nullptr;
      if (acc->get_accName(child, &name) == S_OK && std::wcscmp(name, argv[3]) == 0)
        return acc->accDoDefaultAction(child) == S_OK ? 0 : 1;
    }
    return 1;
  }
  if (argc >= 2 && std::wcscmp(argv[1], L"menutext") == 0)
    return printMenuTexts(argc - 2, argv + 2);
  if (argc >= 2 && std::wcscmp(argv[1], L"foreground") == 0) {
    HWND hwnd = GetForegroundWindow();
    if (!hwnd) return 1;
    printWindow(hwnd);
    return 0;
  }
  if (argc >= 2 && std::wcscmp(argv[1], L"workarea") == 0) {
    RECT r{};
    if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return 1;
    std::printf("%ld %ld %ld %ld\n", r.left, r.top, r.right, r.bottom);
    return 0;
  }
  if (argc >= 5 && std::wcscmp(argv[1], L"post") == 0) {
    auto number = [](const wchar_t* text) { return std::wcstoul(text, nullptr, 0); };
    HWND hwnd = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(number(argv[2])));
    return PostMessageW(hwnd, number(argv[3]), number(argv[4]), 0) ? 0 : 1;
  }
  if (argc >= 4 && std::wcscmp(argv[1], L"hold") == 0) {
    if (!RegisterHotKey(nullptr, 1, std::wcstoul(argv[2], nullptr, 0),
                        std::wcstoul(argv[3], nullptr, 0)))
      return 1;
    std::printf("held\n");
    std::fflush(stdout);
    for (MSG m; GetMessageW(&m, nullptr, 0, 0) > 0;) {
    }
    return 0;
  }
  if (argc >= 2 && std::wcscmp(argv[1], L"monitors") == 0)
    return EnumDisplayMonitors(nullptr, nullptr, printMonitor, 0) ? 0 : 1;
  if (argc >= 5 && std::wcscmp(argv[1], L"broadcast") == 0) {
    auto number = [](const wchar_t* text) { return std::wcstol(text, nullptr, 0); };
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(HWND_BROADCAST, static_cast<UINT>(number(argv[2])),
                               static_cast<WPARAM>(number(argv[3])), number(argv[4]),
                               SMTO_ABORTIFHUNG, 10000, &result)
               ? 0
               : 1;
  }
  if (argc >= 2 && std::wcscmp(argv[1], L"tooltips") == 0) {
    EnumWindows(printTooltip, 0);
    return 0;
  }
  if (argc >= 2 && std::wcscmp(argv[1], L"windows") == 0) {
    EnumWindows(onTopLevel, 0);
    return 0;
  }
  std::fprintf(stderr,
               "usage: probe windows | probe class NAME | probe menutext TEXT... | probe post HWND "
               "MSG WP | probe broadcast MSG WP LP | probe monitors\n");
  return 2;
}
