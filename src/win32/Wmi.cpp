// A laptop's built-in panel through WMI: ROOT\WMI's WmiMonitorBrightness and the method of
// WmiMonitorBrightnessMethods. Only a computer with such a panel has them: a desktop answers "not
// supported" or with no object, as Wine does.
#include "win32/Ddc.h"
// After windows.h
#include <oleauto.h>
#include <wbemcli.h>

#include <algorithm>
#include <cstdlib>

#include "win32/Report.h"
#include "win32/Retry.h"
#include "win32/SystemLibrary.h"
#include "win32/Text.h"

namespace win32 {

namespace {

constexpr const char* kName = "Built-in display";

// The COM functions, taken by name from the system folder's copies when the backlight is used.
struct Com {
  HMODULE ole = loadSystemLibrary(L"ole32.dll");
  HMODULE oleaut = loadSystemLibrary(L"oleaut32.dll");
  decltype(&CoInitializeEx) initialize = findFunction<decltype(initialize)>(ole, "CoInitializeEx");
  decltype(&CoUninitialize) uninitialize =
      findFunction<decltype(uninitialize)>(ole, "CoUninitialize");
  decltype(&CoInitializeSecurity) security =
      findFunction<decltype(security)>(ole, "CoInitializeSecurity");
  decltype(&CoCreateInstance) create = findFunction<decltype(create)>(ole, "CoCreateInstance");
  decltype(&SysAllocString) allocString =
      findFunction<decltype(allocString)>(oleaut, "SysAllocString");
  decltype(&SysFreeString) freeString = findFunction<decltype(freeString)>(oleaut, "SysFreeString");
  decltype(&VariantClear) clear = findFunction<decltype(clear)>(oleaut, "VariantClear");
  bool usable() const {
    return initialize && uninitialize && security && create && allocString && freeString && clear;
  }
  // What WMI is given: real BSTRs (their length before the text), freed after the call.
  std::unique_ptr<OLECHAR, decltype(&SysFreeString)> bstr(const wchar_t* text) const {
    return {allocString(text), freeString};
  }
};

// A reference to a COM object, released with it; put() hands it to a call to fill.
template <class T>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { reset(); }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  T** put() {
    reset();
    return &p_;
  }

 private:
  T* p_ = nullptr;
};

// A property's value, cleared with it. WMI hands uint8 as VT_UI1 and uint32 as VT_I4.
struct Property : VARIANT {
  const Com& com;
  Property(const Com& c, IWbemClassObject* object, const wchar_t* name) : VARIANT{}, com(c) {
    if (FAILED(object->Get(name, 0, this, nullptr, nullptr))) vt = VT_EMPTY;
  }
  Property(const Property&) = delete;
  Property& operator=(const Property&) = delete;
  ~Property() { com.clear(this); }
  int number() const {
    if (vt == VT_UI1) return bVal;
    if (vt == VT_BOOL) return boolVal ? 1 : 0;
    return vt == VT_I4 ? static_cast<int>(lVal) : -1;
  }
  std::wstring text() const { return vt == VT_BSTR && bstrVal ? bstrVal : L""; }
};

struct Panel {
  std::wstring instance;    // InstanceName: ties the brightness to its methods
  std::wstring methods;     // the methods instance's __PATH, which WmiSetBrightness is called on
  std::vector<int> levels;  // those it takes, in percent
  int value = -1;
};

}  // namespace

// What only the worker thread touches: COM, initialised on it, and every object made through it.
class Wmi final : public MonitorWork {
 public:
  Wmi() {
    if (!com_.usable()) return;
    initialized_ = SUCCEEDED(com_.initialize(nullptr, COINIT_MULTITHREADED));
    // Process-wide, so it may be set already: Windows then answers RPC_E_TOO_LATE, as good as
    // done. A failure shows in the queries.
    com_.security(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                  RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
  }
  ~Wmi() override {
    signature_.reset();  // every object released before COM ends on this thread
    services_.reset();
    if (initialized_) com_.uninitialize();
  }

  // The first active panel: a laptop has one.
  std::vector<colour::MonitorState> list() override {
    if (!initialized_ || !exchanged([this] { return read(panel_); })) panel_ = {};
    if (panel_.methods.empty()) return {};
    return {{kName, 0, panel_.value, 100}};
  }

  colour::Outcome send(const std::string& id, int value) override {
    if (panel_.methods.empty() || id != kName) return colour::Outcome::Failed;
    // Sent as the nearest level the panel takes.
    int level = panel_.levels.empty() ? value : panel_.levels[0];
    for (int each : panel_.levels)
      if (std::abs(each - value) < std::abs(level - value)) level = each;
    if (!exchanged([&] { return set(level); })) {
      reportFailure(L"WmiSetBrightness", widen(id).c_str());
      return colour::Outcome::Failed;
    }
    // A panel may report success and keep its old value: what it holds is read back.
    Panel now;
    if (exchanged([&] { return read(now) && now.value == level; })) return colour::Outcome::Done;
    SetLastError(ERROR_INVALID_DATA);
    reportFailure(L"WmiSetBrightness",
                  (widen(id) + L": the panel holds " + std::to_wstring(now.value) +
                   L" instead of " + std::to_wstring(level))
                      .c_str());
    return now.methods.empty() ? colour::Outcome::Failed : colour::Outcome::Ignored;
  }

 private:
  // Every object a query finds, given to each; GetLastError holds a failure's code.
  template <class Each>
  bool query(const wchar_t* wql, Each each) {
    HRESULT hr = connect();
    Ref<IEnumWbemClassObject> found;
    if (SUCCEEDED(hr))
      hr = services_->ExecQuery(com_.bstr(L"WQL").get(), com_.bstr(wql).get(),
                                WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY, nullptr,
                                found.put());
    while (SUCCEEDED(hr)) {
      Ref<IWbemClassObject> object;
      ULONG count = 0;
      // WBEM_S_FALSE comes with the last objects too: the count says whether one came.
      hr = found->Next(static_cast<LONG>(WBEM_INFINITE), 1, object.put(), &count);
      if (SUCCEEDED(hr) && count == 0) return true;
      if (SUCCEEDED(hr)) each(object.get());
    }
    SetLastError(static_cast<DWORD>(hr));
    return false;
  }

  HRESULT connect() {
    if (services_.get()) return S_OK;
    Ref<IWbemLocator> locator;
    HRESULT hr = com_.create(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                             reinterpret_cast<void**>(locator.put()));
    if (SUCCEEDED(hr))
      hr = locator->ConnectServer(com_.bstr(L"ROOT\\WMI").get(), nullptr, nullptr, nullptr, 0,
                                  nullptr, nullptr, services_.put());
    return hr;
  }

  // The first active panel, with its methods' path (none when not found); false when WMI failed.
  bool read(Panel& panel) {
    panel = {};
    return query(L"SELECT * FROM WmiMonitorBrightness",
                 [&](IWbemClassObject* object) {
                   if (!panel.instance.empty() || Property(com_, object, L"Active").number() != 1)
                     return;
                   panel.instance = Property(com_, object, L"InstanceName").text();
                   panel.value = Property(com_, object, L"CurrentBrightness").number();
                   const Property level(com_, object, L"Level");
                   if (level.vt != (VT_ARRAY | VT_UI1) || !level.parray) return;
                   const BYTE* data = static_cast<const BYTE*>(level.parray->pvData);
                   const int n = std::min(Property(com_, object, L"Levels").number(),
                                          static_cast<int>(level.parray->rgsabound[0].cElements));
                   panel.levels.assign(data, data + std::max(n, 0));
                 }) &&
           query(L"SELECT * FROM WmiMonitorBrightnessMethods", [&](IWbemClassObject* object) {
             if (Property(com_, object, L"InstanceName").text() == panel.instance)
               panel.methods = Property(com_, object, L"__PATH").text();
           });
  }

  bool set(int level) {
    HRESULT hr = connect();
    if (SUCCEEDED(hr) && !signature_.get()) {  // the method's parameters, from the class, once
      Ref<IWbemClassObject> methods;
      hr = services_->GetObject(com_.bstr(L"WmiMonitorBrightnessMethods").get(), 0, nullptr,
                                methods.put(), nullptr);
      if (SUCCEEDED(hr)) hr = methods->GetMethod(L"WmiSetBrightness", 0, signature_.put(), nullptr);
    }
    Ref<IWbemClassObject> in;
    if (SUCCEEDED(hr)) hr = signature_->SpawnInstance(0, in.put());
    VARIANT timeout{};
    timeout.vt = VT_I4;  // uint32, as WMI takes it
    timeout.lVal = 1;
    VARIANT brightness{};
    brightness.vt = VT_UI1;
    brightness.bVal = static_cast<BYTE>(std::clamp(level, 0, 100));
    if (SUCCEEDED(hr)) hr = in->Put(L"Timeout", 0, &timeout, 0);
    if (SUCCEEDED(hr)) hr = in->Put(L"Brightness", 0, &brightness, 0);
    if (SUCCEEDED(hr))
      hr = services_->ExecMethod(com_.bstr(panel_.methods.c_str()).get(),
                                 com_.bstr(L"WmiSetBrightness").get(), 0, nullptr, in.get(),
                                 nullptr, nullptr);
    SetLastError(static_cast<DWORD>(hr));
    return SUCCEEDED(hr);
  }

  Com com_;
  bool initialized_ = false;
  Ref<IWbemServices> services_;
  Ref<IWbemClassObject> signature_;  // WmiSetBrightness's parameters
  Panel panel_;                      // no methods: none answers
};

std::unique_ptr<MonitorWork> wmiWork() {
  return std::make_unique<Wmi>();
}

}  // namespace win32
