// A laptop's built-in panel through WMI: ROOT\WMI's WmiMonitorBrightness and the method of
// WmiMonitorBrightnessMethods. Only a computer with such a panel has them: a desktop answers "not
// supported" or with no object, as Wine does.
#include "win32/Ddc.h"
// After windows.h
#include <oleauto.h>
#include <wbemcli.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

#include "win32/Report.h"
#include "win32/Retry.h"
#include "win32/SystemLibrary.h"
#include "win32/Text.h"

namespace win32 {

namespace {

constexpr const char* kName = "Built-in display";
constexpr int kTries = 3;       // a transient failure is retried twice,
constexpr DWORD kRetryMs = 50;  // this far apart

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
};

// A reference to a COM object, released with it.
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
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// What WMI is given: real BSTRs (their length before the text), freed after the call.
class Bstr {
 public:
  Bstr(const Com& com, const std::wstring& text)
      : com_(com), text_(com.allocString(text.c_str())) {}
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  ~Bstr() { com_.freeString(text_); }
  BSTR get() const { return text_; }

 private:
  const Com& com_;
  BSTR text_;
};

// A property's value, cleared with it.
struct Property {
  const Com& com;
  VARIANT value{};
  Property(const Com& c, IWbemClassObject* object, const wchar_t* name) : com(c) {
    if (FAILED(object->Get(name, 0, &value, nullptr, nullptr))) value.vt = VT_EMPTY;
  }
  Property(const Property&) = delete;
  Property& operator=(const Property&) = delete;
  ~Property() { com.clear(&value); }
  // WMI hands uint8 as VT_UI1 and uint32 as VT_I4; -1 when neither.
  int number() const {
    if (value.vt == VT_UI1) return value.bVal;
    if (value.vt == VT_I4) return static_cast<int>(value.lVal);
    if (value.vt == VT_BOOL) return value.boolVal ? 1 : 0;
    return -1;
  }
  std::wstring text() const { return value.vt == VT_BSTR && value.bstrVal ? value.bstrVal : L""; }
};

struct Panel {
  std::wstring instance;    // InstanceName: ties the brightness to its methods
  std::wstring methods;     // the methods instance's __PATH, which WmiSetBrightness is called on
  std::vector<int> levels;  // those it takes, in percent
  int value = 0;
};

// The supported level nearest a value; the value itself when the panel names none.
int nearest(const std::vector<int>& levels, int value) {
  if (levels.empty()) return value;
  return *std::min_element(levels.begin(), levels.end(), [value](int a, int b) {
    return std::abs(a - value) < std::abs(b - value);
  });
}

// Failures that waiting does not cure: no such class (a desktop).
bool passes(DWORD error) {
  return error != static_cast<DWORD>(WBEM_E_NOT_SUPPORTED) &&
         error != static_cast<DWORD>(WBEM_E_INVALID_CLASS);
}

}  // namespace

// What only the worker thread touches: COM, initialised on it, and every object made through it.
class Wmi final : public MonitorWork {
 public:
  Wmi() {
    if (!com_.usable()) return;
    initialized_ = SUCCEEDED(com_.initialize(nullptr, COINIT_MULTITHREADED));
    // Process-wide: Windows answers RPC_E_TOO_LATE when it was set already, which is as good.
    const HRESULT security =
        com_.security(nullptr, -1, nullptr, nullptr, RPC_C_AUTHN_LEVEL_DEFAULT,
                      RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE, nullptr);
    if (FAILED(security) && security != RPC_E_TOO_LATE)
      reportFailure(L"CoInitializeSecurity", L"WMI", static_cast<DWORD>(security));
  }
  Wmi(const Wmi&) = delete;
  Wmi& operator=(const Wmi&) = delete;
  ~Wmi() override {
    signature_.reset();  // every object released before COM ends on this thread
    services_.reset();
    if (initialized_) com_.uninitialize();
  }

  std::vector<colour::MonitorState> list() override {
    panels_.clear();
    std::vector<colour::MonitorState> answering;
    std::vector<Panel> found;
    if (!initialized_ || !retried([&] { return read(found); })) return answering;
    for (Panel& panel : found) {
      std::string id = kName;  // two alike get a number
      if (!panels_.empty()) id += " " + std::to_string(panels_.size() + 1);
      answering.push_back({id, 0, panel.value, 100});
      panels_[id] = std::move(panel);
    }
    return answering;
  }

  colour::Outcome send(const std::string& id, int value) override {
    const auto it = panels_.find(id);
    if (it == panels_.end()) return colour::Outcome::Failed;
    const Panel& panel = it->second;
    const int level = nearest(panel.levels, value);
    const std::wstring name = widen(id);
    if (!retried([&] { return set(panel.methods, level); })) {
      reportFailure(L"WmiSetBrightness", name.c_str());
      return colour::Outcome::Failed;
    }
    // A panel may report success and keep its old value: what it holds is read back.
    int now = -1;
    retried([&] { return (now = valueOf(panel.instance)) == level; });
    if (now == level) return colour::Outcome::Done;
    SetLastError(ERROR_INVALID_DATA);
    reportFailure(L"WmiSetBrightness", (name + L": the panel holds " + std::to_wstring(now) +
                                        L" instead of " + std::to_wstring(level))
                                           .c_str());
    return now < 0 ? colour::Outcome::Failed : colour::Outcome::Ignored;
  }

 private:
  template <class Call>
  static bool retried(Call call) {
    return win32::retried(kTries, kRetryMs, passes, call);
  }

  // Every object a query finds, given to each; GetLastError holds a failure's code.
  template <class Each>
  bool query(const wchar_t* wql, Each each) {
    HRESULT hr = connect();
    Ref<IEnumWbemClassObject> found;
    if (SUCCEEDED(hr))
      hr = services_->ExecQuery(Bstr(com_, L"WQL").get(), Bstr(com_, wql).get(),
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
    if (services_) return S_OK;
    Ref<IWbemLocator> locator;
    HRESULT hr = com_.create(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                             reinterpret_cast<void**>(locator.put()));
    if (SUCCEEDED(hr))
      hr = locator->ConnectServer(Bstr(com_, L"ROOT\\WMI").get(), nullptr, nullptr, nullptr, 0,
                                  nullptr, nullptr, services_.put());
    return hr;
  }

  // The active panels whose methods are found.
  bool read(std::vector<Panel>& panels) {
    panels.clear();
    const bool read =
        query(L"SELECT * FROM WmiMonitorBrightness",
              [&](IWbemClassObject* object) {
                if (Property(com_, object, L"Active").number() != 1) return;
                Panel& panel = panels.emplace_back();
                panel.instance = Property(com_, object, L"InstanceName").text();
                panel.value = Property(com_, object, L"CurrentBrightness").number();
                const Property level(com_, object, L"Level");
                const int count = Property(com_, object, L"Levels").number();
                if (level.value.vt != (VT_ARRAY | VT_UI1) || !level.value.parray) return;
                const SAFEARRAY& array = *level.value.parray;
                const BYTE* data = static_cast<const BYTE*>(array.pvData);
                const int n = std::min(count, static_cast<int>(array.rgsabound[0].cElements));
                panel.levels.assign(data, data + std::max(n, 0));
              }) &&
        query(L"SELECT * FROM WmiMonitorBrightnessMethods", [&](IWbemClassObject* object) {
          const std::wstring instance = Property(com_, object, L"InstanceName").text();
          for (Panel& panel : panels)
            if (panel.instance == instance)
              panel.methods = Property(com_, object, L"__PATH").text();
        });
    std::erase_if(panels, [](const Panel& p) { return p.methods.empty(); });
    return read;
  }

  int valueOf(const std::wstring& instance) {
    int value = -1;
    query(L"SELECT * FROM WmiMonitorBrightness", [&](IWbemClassObject* object) {
      if (Property(com_, object, L"InstanceName").text() == instance)
        value = Property(com_, object, L"CurrentBrightness").number();
    });
    return value;
  }

  bool set(const std::wstring& path, int level) {
    HRESULT hr = connect();
    if (SUCCEEDED(hr) && !signature_) {  // the method's parameters, from the class object, once
      Ref<IWbemClassObject> methods;
      hr = services_->GetObject(Bstr(com_, L"WmiMonitorBrightnessMethods").get(), 0, nullptr,
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
      hr = services_->ExecMethod(Bstr(com_, path).get(), Bstr(com_, L"WmiSetBrightness").get(), 0,
                                 nullptr, in.get(), nullptr, nullptr);
    SetLastError(static_cast<DWORD>(hr));
    return SUCCEEDED(hr);
  }

  Com com_;
  bool initialized_ = false;
  Ref<IWbemServices> services_;
  Ref<IWbemClassObject> signature_;  // WmiSetBrightness's parameters
  std::map<std::string, Panel> panels_;
};

std::unique_ptr<MonitorWork> wmiWork() {
  return std::make_unique<Wmi>();
}

}  // namespace win32
