/* The WMI locator playing laptop panels in ROOT\WMI from the file %FAKE_WMI%, one a line:
   active value levels fail (levels evenly from 0 to 100; fail: "-" or the step that always fails:
   connect, query, next, method, exec, or keep: the set succeeds and the value stays). No line: no
   panel. Sets go back to the file; they, calls from a second thread, strings that are not BSTRs
   and the references still held at exit go to %FAKE_WMI%.log. Other namespaces are Wine's own. */
#define COBJMACROS
#include <windows.h>
#include <wbemcli.h>
#include <stdio.h>

typedef struct {
  int active, value, levels;
  char fail[16];
} Panel;
typedef struct {
  void** vtbl;
  int kind, panel, at, brightness;
} Object;
enum { LOCATOR, SERVICES, ENUM_PANELS, ENUM_METHODS, PANEL, METHODS, CLASS, SIGNATURE, PARAMS };
static Panel panels[4];
static char file[MAX_PATH], logFile[MAX_PATH + 8];
static LONG live;
static DWORD owner;

static void note(const char* format, int a) {
  FILE* log = fopen(logFile, "a");
  if (!log) return;
  fprintf(log, format, a);
  fclose(log);
}

static int load(void) {
  if (!owner) owner = GetCurrentThreadId();
  if (owner != GetCurrentThreadId()) note("thread %d\n", (int)GetCurrentThreadId());
  FILE* f = fopen(file, "r");
  int n = 0;
  while (f && n < 4 &&
         fscanf(f, "%d %d %d %15s", &panels[n].active, &panels[n].value, &panels[n].levels,
                panels[n].fail) == 4)
    ++n;
  if (f) fclose(f);
  return n;
}

static int fails(int n, const char* step) {
  for (int i = 0; i < n; ++i)
    if (!strcmp(panels[i].fail, step)) return 1;
  return 0;
}

static BSTR real(BSTR s) {
  if (SysStringLen(s) != wcslen(s)) note("not a BSTR %d\n", 0);
  return s;
}

static void* make(int kind, int panel);
static HRESULT WINAPI none0(void* t) {
  return E_NOTIMPL;
}
static HRESULT WINAPI none1(void* t, void* a) {
  return E_NOTIMPL;
}
static HRESULT WINAPI none2(void* t, void* a, void* b) {
  return E_NOTIMPL;
}
static HRESULT WINAPI none4(void* t, void* a, void* b, void* c, void* d) {
  return E_NOTIMPL;
}
static HRESULT WINAPI none5(void* t, void* a, void* b, void* c, void* d, void* e) {
  return E_NOTIMPL;
}
static HRESULT WINAPI none6(void* t, void* a, void* b, void* c, void* d, void* e, void* f) {
  return E_NOTIMPL;
}
static HRESULT WINAPI query(Object* o, REFIID iid, void** out) {
  *out = o;
  InterlockedIncrement(&live);
  return S_OK;
}
static ULONG WINAPI addRef(Object* o) {
  return InterlockedIncrement(&live);
}
static ULONG WINAPI release(Object* o) {
  return InterlockedDecrement(&live);
}

static HRESULT WINAPI connectServer(Object* o, BSTR space, BSTR user, BSTR password, BSTR locale,
                                    LONG flags, BSTR authority, IWbemContext* context,
                                    IWbemServices** out) {
  static IWbemLocator* wine;
  if (wcslen(real(space)) < 8 || _wcsicmp(space + wcslen(space) - 8, L"ROOT\\WMI")) {
    WCHAR path[MAX_PATH];
    wcscpy(path + GetSystemDirectoryW(path, MAX_PATH), L"\\wbem\\wbemprox.dll");
    HRESULT(WINAPI * get)
    (REFCLSID, REFIID, void**) = (void*)GetProcAddress(LoadLibraryW(path), "DllGetClassObject");
    IClassFactory* factory;
    if (!wine && get(&CLSID_WbemLocator, &IID_IClassFactory, (void**)&factory) == S_OK)
      IClassFactory_CreateInstance(factory, NULL, &IID_IWbemLocator, (void**)&wine);
    return IWbemLocator_ConnectServer(wine, space, user, password, locale, flags, authority,
                                      context, out);
  }
  if (fails(load(), "connect")) return WBEM_E_FAILED;
  *out = make(SERVICES, 0);
  return S_OK;
}

static HRESULT WINAPI execQuery(Object* o, BSTR language, BSTR text, LONG flags,
                                IWbemContext* context, IEnumWbemClassObject** out) {
  if (fails(load(), "query")) return WBEM_E_NOT_SUPPORTED;
  real(language);
  *out = make(wcsstr(real(text), L"Methods") ? ENUM_METHODS : ENUM_PANELS, 0);
  return S_OK;
}

static HRESULT WINAPI next(Object* o, LONG timeout, ULONG count, IWbemClassObject** out,
                           ULONG* returned) {
  int n = load();
  if (fails(n, "next")) return WBEM_E_FAILED;
  *returned = o->at < n;
  if (o->at < n) *out = make(o->kind == ENUM_PANELS ? PANEL : METHODS, o->at++);
  return o->at < n ? S_OK : WBEM_S_FALSE; /* the last object comes with WBEM_S_FALSE */
}

static HRESULT WINAPI getObject(Object* o, BSTR path, LONG flags, IWbemContext* context,
                                IWbemClassObject** out, IWbemCallResult** result) {
  if (fails(load(), "method") || wcscmp(real(path), L"WmiMonitorBrightnessMethods"))
    return WBEM_E_NOT_FOUND;
  *out = make(CLASS, 0);
  return S_OK;
}

static HRESULT WINAPI getMethod(Object* o, LPCWSTR name, LONG flags, IWbemClassObject** in,
                                IWbemClassObject** out) {
  if (o->kind != CLASS || wcscmp(name, L"WmiSetBrightness")) return WBEM_E_NOT_FOUND;
  *in = make(SIGNATURE, 0);
  return S_OK;
}

static HRESULT WINAPI spawn(Object* o, LONG flags, IWbemClassObject** out) {
  if (o->kind != SIGNATURE) return WBEM_E_INVALID_OPERATION;
  *out = make(PARAMS, 0);
  return S_OK;
}

static HRESULT WINAPI put(Object* o, LPCWSTR name, LONG flags, VARIANT* v, CIMTYPE type) {
  if (o->kind != PARAMS) return WBEM_E_READ_ONLY;
  if (!wcscmp(name, L"Brightness") && v->vt == VT_UI1)
    o->brightness = v->bVal;
  else if (wcscmp(name, L"Timeout") || v->vt != VT_I4)
    return WBEM_E_TYPE_MISMATCH; /* uint32 */
  return S_OK;
}

static HRESULT WINAPI get(Object* o, LPCWSTR name, LONG flags, VARIANT* v, CIMTYPE* type,
                          LONG* flavor) {
  const Panel* p = &panels[o->panel];
  WCHAR text[80];
  swprintf(text, 80, L"DISPLAY\\FAKE%d\\1_0", o->panel);
  VariantInit(v);
  if (!wcscmp(name, L"__PATH") && o->kind == METHODS)
    swprintf(text, 80, L"WmiMonitorBrightnessMethods.InstanceName=\"DISPLAY\\\\FAKE%d\\\\1_0\"",
             o->panel);
  if (!wcscmp(name, L"InstanceName") || (!wcscmp(name, L"__PATH") && o->kind == METHODS)) {
    v->vt = VT_BSTR;
    v->bstrVal = SysAllocString(text);
  } else if (o->kind != PANEL) {
    return WBEM_E_NOT_FOUND;
  } else if (!wcscmp(name, L"CurrentBrightness")) {
    v->vt = VT_UI1;
    v->bVal = (BYTE)p->value;
  } else if (!wcscmp(name, L"Levels")) {
    v->vt = VT_I4; /* uint32 */
    v->lVal = p->levels;
  } else if (!wcscmp(name, L"Active")) {
    v->vt = VT_BOOL;
    v->boolVal = p->active ? VARIANT_TRUE : VARIANT_FALSE;
  } else if (!wcscmp(name, L"Level")) {
    v->vt = VT_ARRAY | VT_UI1;
    v->parray = SafeArrayCreateVector(VT_UI1, 0, p->levels);
    for (int i = 0; i < p->levels; ++i)
      ((BYTE*)v->parray->pvData)[i] = (BYTE)(p->levels > 1 ? i * 100 / (p->levels - 1) : 100);
  } else {
    return WBEM_E_NOT_FOUND;
  }
  return S_OK;
}

static HRESULT WINAPI execMethod(Object* o, BSTR path, BSTR method, LONG flags,
                                 IWbemContext* context, Object* in, IWbemClassObject** out,
                                 IWbemCallResult** result) {
  int n = load(), i = -1;
  const WCHAR* at = wcsstr(real(path), L"FAKE");
  if (at) swscanf(at + 4, L"%d", &i);
  if (wcscmp(real(method), L"WmiSetBrightness") || !in || in->kind != PARAMS || i < 0 || i >= n)
    return WBEM_E_INVALID_PARAMETER;
  if (fails(n, "exec")) return WBEM_E_FAILED;
  note("set %d\n", in->brightness);
  if (strcmp(panels[i].fail, "keep")) panels[i].value = in->brightness;
  char part[MAX_PATH + 8];
  snprintf(part, sizeof part, "%s.part", file);
  FILE* f = fopen(part, "w");
  for (int k = 0; f && k < n; ++k)
    fprintf(f, "%d %d %d %s\n", panels[k].active, panels[k].value, panels[k].levels,
            panels[k].fail);
  if (!f) return S_OK;
  fclose(f);
  MoveFileExA(part, file, MOVEFILE_REPLACE_EXISTING);
  return S_OK;
}

static HRESULT WINAPI create(Object* o, IUnknown* outer, REFIID iid, void** out) {
  *out = make(LOCATOR, 0);
  return S_OK;
}

#define IUNKNOWN query, addRef, release
static void* factory[] = {IUNKNOWN, create, none1};
static void* locator[] = {IUNKNOWN, connectServer};
static void* enumerator[] = {IUNKNOWN, none0, next, none2, none1, none2};
static void* services[] = {IUNKNOWN, none5, none1,     none2, getObject, none4, none4,      none4,
                           none4,    none4, none4,     none4, none4,     none4, none4,      none4,
                           none4,    none4, execQuery, none5, none5,     none5, execMethod, none6};
static void* object[] = {IUNKNOWN, none1, get,   put,   none1, none4, none1, none5, none0,
                         none2,    none1, none2, none2, spawn, none2, none2, none1, getMethod,
                         none4,    none1, none1, none4, none0, none2, none2};

static void* make(int kind, int panel) {
  Object* o = calloc(1, sizeof *o); /* kept to the end: the references are what is counted */
  void** tables[] = {locator, services, enumerator, enumerator};
  o->vtbl = kind <= ENUM_METHODS ? tables[kind] : object;
  o->kind = kind;
  o->panel = panel;
  InterlockedIncrement(&live);
  return o;
}

HRESULT WINAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  static Object self = {factory};
  *out = &self;
  InterlockedIncrement(&live);
  return S_OK;
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID exiting) {
  if (reason == DLL_PROCESS_ATTACH) {
    snprintf(file, sizeof file, "%s", getenv("FAKE_WMI") ? getenv("FAKE_WMI") : "");
    snprintf(logFile, sizeof logFile, "%s.log", file);
  }
  if (reason == DLL_PROCESS_DETACH) note("exit %d\n", (int)live);
  return TRUE;
}
