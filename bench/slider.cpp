// Drags Lumora's brightness slider through the positions between the given ones, one after
// another, the way a user's drag reaches the program (the trackbar moves, its container is told),
// and prints how long the whole drag took:
//   slider P0 P1 [P2 ...]   ->   "<positions>\t<microseconds>"      (default -50 50)
// Every message is sent, not posted, so each position's handling, ramp send included, has
// finished before the next one starts.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace {

struct Search {
  HWND best = nullptr;
  RECT bestRect{};
};

// The brightness slider is the leftmost, then topmost, trackbar with the range -50 to 50.
BOOL CALLBACK onChild(HWND hwnd, LPARAM lp) {
  wchar_t cls[64] = L"";
  GetClassNameW(hwnd, cls, 64);
  if (lstrcmpiW(cls, TRACKBAR_CLASSW) != 0) return TRUE;
  if (SendMessageW(hwnd, TBM_GETRANGEMIN, 0, 0) != -50 ||
      SendMessageW(hwnd, TBM_GETRANGEMAX, 0, 0) != 50)
    return TRUE;
  auto& search = *reinterpret_cast<Search*>(lp);
  RECT r{};
  GetWindowRect(hwnd, &r);
  if (!search.best || r.left < search.bestRect.left ||
      (r.left == search.bestRect.left && r.top < search.bestRect.top)) {
    search.best = hwnd;
    search.bestRect = r;
  }
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::vector<int> waypoints;
  for (int i = 1; i < argc; ++i) waypoints.push_back(_wtoi(argv[i]));
  if (waypoints.size() < 2) waypoints = {-50, 50};
  HWND main = FindWindowW(nullptr, L"Form1");
  if (!main) {
    std::fprintf(stderr, "slider: no window Form1\n");
    return 1;
  }
  Search search;
  EnumChildWindows(main, onChild, reinterpret_cast<LPARAM>(&search));
  if (!search.best) {
    std::fprintf(stderr, "slider: no brightness trackbar\n");
    return 1;
  }
  HWND trackbar = search.best;
  HWND container = GetParent(trackbar);

  LARGE_INTEGER frequency, start, end;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  int positions = 0;
  auto moveTo = [&](int value) {
    SendMessageW(trackbar, TBM_SETPOS, TRUE, value);
    SendMessageW(container, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, value & 0xFFFF),
                 reinterpret_cast<LPARAM>(trackbar));
    ++positions;
  };
  moveTo(waypoints[0]);
  for (std::size_t leg = 1; leg < waypoints.size(); ++leg) {
    const int step = waypoints[leg] > waypoints[leg - 1] ? 1 : -1;
    for (int value = waypoints[leg - 1]; value != waypoints[leg];) moveTo(value += step);
  }
  SendMessageW(container, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
               reinterpret_cast<LPARAM>(trackbar));
  QueryPerformanceCounter(&end);
  const long long micros = (end.QuadPart - start.QuadPart) * 1000000LL / frequency.QuadPart;
  std::printf("%d\t%lld\n", positions, micros);
  return 0;
}
