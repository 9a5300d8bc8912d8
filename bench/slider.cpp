// Drags Lumora's brightness slider through all of its positions the way a user's drag reaches
// the program (the trackbar moves, its container is told), one position after another, and
// prints how long the whole drag took:
//   slider   ->   "<positions>\t<microseconds>"
// Every message is sent, not posted, so each position's handling, ramp send included, has
// finished before the next one starts.
#include <windows.h>

#include <commctrl.h>

#include <climits>
#include <cstdio>

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

int wmain() {
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
  for (int value = -50; value <= 50; ++value, ++positions) {
    SendMessageW(trackbar, TBM_SETPOS, TRUE, value);
    SendMessageW(container, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, value & 0xFFFF),
                 reinterpret_cast<LPARAM>(trackbar));
  }
  SendMessageW(container, WM_HSCROLL, MAKEWPARAM(TB_ENDTRACK, 0),
               reinterpret_cast<LPARAM>(trackbar));
  QueryPerformanceCounter(&end);
  const long long micros = (end.QuadPart - start.QuadPart) * 1000000LL / frequency.QuadPart;
  std::printf("%d\t%lld\n", positions, micros);
  return 0;
}
