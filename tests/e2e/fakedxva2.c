/* dxva2.dll's monitor functions playing the monitors described in the file %FAKE_DXVA2%, one a
   line: display value maximum delay_ms fail_all fail_every ignore_writes. Writes go back to the
   file; every call, two exchanges overlapping on one monitor and handles left open at unload are
   logged to %FAKE_DXVA2%.log. */
#include <windows.h>
#include <physicalmonitorenumerationapi.h>
#include <stdio.h>
#include <stdlib.h>

enum { kMax = 8 };
typedef struct { int display, value, maximum, delay, failAll, failEvery, ignore; } Monitor;
static Monitor monitors[kMax];
static LONG busy[kMax], calls[kMax], open;

static void note(const char *format, int a, int b) {
  char path[MAX_PATH], line[64];
  snprintf(path, sizeof path, "%s.log", getenv("FAKE_DXVA2"));
  snprintf(line, sizeof line, format, a, b);
  FILE *log = fopen(path, "a");
  if (log) fputs(line, log), fclose(log);
}

static int load(void) {
  FILE *f = fopen(getenv("FAKE_DXVA2"), "r");
  int n = 0;
  while (f && n < kMax && fscanf(f, "%d %d %d %d %d %d %d", &monitors[n].display, &monitors[n].value,
                                 &monitors[n].maximum, &monitors[n].delay, &monitors[n].failAll,
                                 &monitors[n].failEvery, &monitors[n].ignore) == 7)
    ++n;
  if (f) fclose(f);
  return n;
}

static void save(int n) {
  FILE *f = fopen(getenv("FAKE_DXVA2"), "w");
  for (int i = 0; f && i < n; ++i)
    fprintf(f, "%d %d %d %d %d %d %d\n", monitors[i].display, monitors[i].value, monitors[i].maximum,
            monitors[i].delay, monitors[i].failAll, monitors[i].failEvery, monitors[i].ignore);
  if (f) fclose(f);
}

static int displayOf(HMONITOR h) {
  MONITORINFOEXA info = {.cbSize = sizeof info};
  return GetMonitorInfoA(h, (MONITORINFO *)&info) ? atoi(info.szDevice + 11) : 0;
}

BOOL WINAPI GetNumberOfPhysicalMonitorsFromHMONITOR(HMONITOR h, DWORD *count) {
  int n = load(), display = displayOf(h);
  *count = 0;
  for (int i = 0; i < n; ++i) *count += monitors[i].display == display;
  return TRUE;
}

BOOL WINAPI GetPhysicalMonitorsFromHMONITOR(HMONITOR h, DWORD size, PHYSICAL_MONITOR *out) {
  int n = load(), display = displayOf(h);
  for (int i = 0; i < n && size; ++i)
    if (monitors[i].display == display) {
      out->hPhysicalMonitor = (HANDLE)(INT_PTR)(i + 1);
      swprintf(out->szPhysicalMonitorDescription, PHYSICAL_MONITOR_DESCRIPTION_SIZE, L"Fake %d", i);
      InterlockedIncrement(&open), ++out, --size;
    }
  note("list %d %d\n", display, (int)open);
  return TRUE;
}

BOOL WINAPI DestroyPhysicalMonitors(DWORD size, PHYSICAL_MONITOR *list) {
  InterlockedExchangeAdd(&open, -(LONG)size);
  (void)list;
  return TRUE;
}

static BOOL exchange(HANDLE h, int write, DWORD value, DWORD *now, DWORD *maximum) {
  int i = (int)(INT_PTR)h - 1, n = load();
  if (i < 0 || i >= n) return SetLastError(ERROR_GEN_FAILURE), FALSE; /* unplugged */
  if (InterlockedIncrement(&busy[i]) > 1) note("overlap %d %d\n", i, 0);
  Sleep(monitors[i].delay);
  LONG call = InterlockedIncrement(&calls[i]);
  BOOL ok = !monitors[i].failAll && !(monitors[i].failEvery && call % monitors[i].failEvery == 0);
  if (ok && write && !monitors[i].ignore) monitors[i].value = (int)value, save(n);
  note(write ? "set %d %d\n" : "get %d %d\n", i, write ? (int)value : ok); /* after the save */
  if (ok && !write) *now = (DWORD)monitors[i].value, *maximum = (DWORD)monitors[i].maximum;
  InterlockedDecrement(&busy[i]);
  return ok ? TRUE : (SetLastError(ERROR_GEN_FAILURE), FALSE);
}

BOOL WINAPI GetVCPFeatureAndVCPFeatureReply(HANDLE h, BYTE code, LPDWORD type, LPDWORD now,
                                            LPDWORD maximum) {
  (void)type;
  return code == 0x10 && exchange(h, 0, 0, now, maximum);
}

BOOL WINAPI SetVCPFeature(HANDLE h, BYTE code, DWORD value) {
  return code == 0x10 && exchange(h, 1, value, NULL, NULL);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
  (void)self;
  if (reason == DLL_PROCESS_DETACH && !reserved) note("unload %d %d\n", (int)open, 0);
  if (reason == DLL_PROCESS_DETACH && reserved) note("exit %d %d\n", (int)open, 0);
  return TRUE;
}
