/* dxva2.dll's monitor functions playing the monitors of the file %FAKE_DXVA2%, one a line:
   display value maximum delay_ms fail_every ignore_writes (display 0: unplugged; fail_every 1:
   never answers). Writes go back to the file. Every call, two exchanges at once on one monitor
   and the handles still open at exit go to %FAKE_DXVA2%.log. While %FAKE_DXVA2%.hold exists,
   exchanges wait before they start ("held" in the log): a monitor that hangs. */
#include <windows.h>
#include <physicalmonitorenumerationapi.h>
#include <stdio.h>
#include <stdlib.h>

typedef struct { int display, value, maximum, delay, failEvery, ignore; } Monitor;
static Monitor monitors[8];
static LONG busy[8], calls[8], open;

static char file[MAX_PATH], part[MAX_PATH + 8], logFile[MAX_PATH + 8], hold[MAX_PATH + 8];

static void note(const char *format, int a, int b) {
  FILE *log = fopen(logFile, "a");
  if (!log) return;
  fprintf(log, format, a, b);
  fclose(log);
}

static int load(void) {
  FILE *f = fopen(file, "r");
  int n = 0;
  while (f && n < 8 && fscanf(f, "%d %d %d %d %d %d", &monitors[n].display, &monitors[n].value,
                              &monitors[n].maximum, &monitors[n].delay, &monitors[n].failEvery,
                              &monitors[n].ignore) == 6)
    ++n;
  if (f) fclose(f);
  return n;
}

static void save(int n) { /* whole, in one step: the scenario reads it meanwhile */
  FILE *f = fopen(part, "w");
  if (!f) return;
  for (const Monitor *m = monitors; m < monitors + n; ++m)
    fprintf(f, "%d %d %d %d %d %d\n", m->display, m->value, m->maximum, m->delay, m->failEvery,
            m->ignore);
  fclose(f);
  MoveFileExA(part, file, MOVEFILE_REPLACE_EXISTING);
}

static int displayOf(HMONITOR h) {
  MONITORINFOEXA info = {.cbSize = sizeof info};
  return GetMonitorInfoA(h, (MONITORINFO *)&info) ? atoi(info.szDevice + 11) : -1;
}

BOOL WINAPI GetNumberOfPhysicalMonitorsFromHMONITOR(HMONITOR h, DWORD *count) {
  int n = load(), display = displayOf(h);
  *count = 0;
  for (int i = 0; i < n; ++i) *count += monitors[i].display == display;
  return TRUE;
}

BOOL WINAPI GetPhysicalMonitorsFromHMONITOR(HMONITOR h, DWORD size, PHYSICAL_MONITOR *out) {
  int n = load(), display = displayOf(h);
  for (int i = 0; i < n && size; ++i) {
    if (monitors[i].display != display) continue;
    out->hPhysicalMonitor = (HANDLE)(INT_PTR)(i + 1);
    swprintf(out->szPhysicalMonitorDescription, PHYSICAL_MONITOR_DESCRIPTION_SIZE, L"Fake %d", i);
    InterlockedIncrement(&open);
    ++out;
    --size;
  }
  note("list %d %d\n", display, (int)open);
  return TRUE;
}

BOOL WINAPI DestroyPhysicalMonitors(DWORD size, PHYSICAL_MONITOR *list) {
  (void)list;
  InterlockedExchangeAdd(&open, -(LONG)size);
  return TRUE;
}

static BOOL exchange(HANDLE h, int write, DWORD value, DWORD *now, DWORD *maximum) {
  int i = (int)(INT_PTR)h - 1, n = load();
  if (i < 0 || i >= n || !monitors[i].display) { /* unplugged */
    SetLastError(ERROR_GEN_FAILURE);
    return FALSE;
  }
  if (InterlockedIncrement(&busy[i]) > 1) note("overlap %d %d\n", i, 0);
  if (GetFileAttributesA(hold) != INVALID_FILE_ATTRIBUTES) note("held %d %d\n", i, write);
  while (GetFileAttributesA(hold) != INVALID_FILE_ATTRIBUTES) Sleep(10);
  Sleep(monitors[i].delay);
  const BOOL ok =
      !monitors[i].failEvery || InterlockedIncrement(&calls[i]) % monitors[i].failEvery != 0;
  if (ok && write && !monitors[i].ignore) {
    monitors[i].value = (int)value;
    save(n);
  } else if (ok && !write) {
    *now = (DWORD)monitors[i].value;
    *maximum = (DWORD)monitors[i].maximum;
  }
  note(write ? "set %d %d\n" : "get %d %d\n", i, write ? (int)value : ok);
  InterlockedDecrement(&busy[i]);
  if (!ok) SetLastError(ERROR_GEN_FAILURE);
  return ok;
}

BOOL WINAPI GetVCPFeatureAndVCPFeatureReply(HANDLE h, BYTE code, LPDWORD type, LPDWORD now,
                                            LPDWORD maximum) {
  (void)type;
  return code == 0x10 && exchange(h, 0, 0, now, maximum);
}

BOOL WINAPI SetVCPFeature(HANDLE h, BYTE code, DWORD value) {
  return code == 0x10 && exchange(h, 1, value, NULL, NULL);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID exiting) {
  (void)self;
  if (reason == DLL_PROCESS_ATTACH) {
    snprintf(file, sizeof file, "%s", getenv("FAKE_DXVA2"));
    snprintf(part, sizeof part, "%s.part", file);
    snprintf(logFile, sizeof logFile, "%s.log", file);
    snprintf(hold, sizeof hold, "%s.hold", file);
  }
  if (reason == DLL_PROCESS_DETACH) note(exiting ? "exit %d %d\n" : "unload %d %d\n", (int)open, 0);
  return TRUE;
}
