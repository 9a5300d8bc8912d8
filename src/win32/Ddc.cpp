#include "win32/Ddc.h"

#include <physicalmonitorenumerationapi.h>

#include <chrono>
#include <map>
#include <vector>

#include "win32/Report.h"
#include "win32/Retry.h"
#include "win32/Services.h"
#include "win32/SystemLibrary.h"
#include "win32/Text.h"

namespace win32 {

namespace {

constexpr BYTE kBrightness = 0x10;  // the VCP code of luminance
constexpr int kTries = 3;           // a transient failure is retried twice,
constexpr DWORD kRetryMs = 50;      // this far apart

// The functions of dxva2.dll, taken by name from the system folder's copy.
struct Dxva2 {
  HMODULE module = loadSystemLibrary(L"dxva2.dll");
  BOOL(WINAPI* count)
  (HMONITOR, DWORD*) = findFunction<decltype(count)>(module,
                                                     "GetNumberOfPhysicalMonitorsFromHMONITOR");
  BOOL(WINAPI* get)
  (HMONITOR, DWORD,
   PHYSICAL_MONITOR*) = findFunction<decltype(get)>(module, "GetPhysicalMonitorsFromHMONITOR");
  BOOL(WINAPI* destroy)
  (DWORD, PHYSICAL_MONITOR*) = findFunction<decltype(destroy)>(module, "DestroyPhysicalMonitors");
  BOOL(WINAPI* read)
  (HANDLE, BYTE, LPDWORD, LPDWORD,
   LPDWORD) = findFunction<decltype(read)>(module, "GetVCPFeatureAndVCPFeatureReply");
  BOOL(WINAPI* write)(HANDLE, BYTE, DWORD) = findFunction<decltype(write)>(module, "SetVCPFeature");
  bool usable() const { return count && get && destroy && read && write; }
};

// A display's physical monitors, destroyed with it.
struct PhysicalMonitors {
  const Dxva2* dxva2;
  std::vector<PHYSICAL_MONITOR> list;
  PhysicalMonitors(const Dxva2& d, std::vector<PHYSICAL_MONITOR> l)
      : dxva2(&d), list(std::move(l)) {}
  PhysicalMonitors(PhysicalMonitors&& other) noexcept
      : dxva2(other.dxva2), list(std::move(other.list)) {
    other.list.clear();
  }
  PhysicalMonitors& operator=(PhysicalMonitors&&) = delete;
  ~PhysicalMonitors() {
    if (!list.empty()) dxva2->destroy(static_cast<DWORD>(list.size()), list.data());
  }
};

template <class Call>
bool retried(Call call) {
  return win32::retried(kTries, kRetryMs, nullptr, call);
}

}  // namespace

// What only the worker thread touches: the library and the monitors' handles.
class DdcMonitors::Worker {
 public:
  std::vector<colour::MonitorState> list() {
    handles_.clear();
    groups_.clear();  // the old handles are destroyed before new ones are asked for
    std::vector<colour::MonitorState> answering;
    if (!dxva2_.usable()) return answering;
    for (HMONITOR display : displayMonitors()) {
      MONITORINFOEXW info{};
      info.cbSize = sizeof(info);
      DWORD count = 0;
      if (!GetMonitorInfoW(display, &info) || !dxva2_.count(display, &count) || count == 0)
        continue;
      std::vector<PHYSICAL_MONITOR> physical(count);
      if (!dxva2_.get(display, count, physical.data())) continue;
      const PhysicalMonitors& group = groups_.emplace_back(dxva2_, std::move(physical));
      for (const PHYSICAL_MONITOR& m : group.list) {
        // Its display and description identify it; two alike on one display get a number.
        std::string id = narrow(info.szDevice) + " " + narrow(m.szPhysicalMonitorDescription);
        for (int n = 2; handles_.contains(id); ++n)
          id = narrow(info.szDevice) + " " + narrow(m.szPhysicalMonitorDescription) + " " +
               std::to_string(n);
        DWORD value = 0, maximum = 0;
        if (!retried([&] {
              return dxva2_.read(m.hPhysicalMonitor, kBrightness, nullptr, &value, &maximum) != 0;
            }) ||
            maximum == 0)
          continue;
        handles_[id] = m.hPhysicalMonitor;
        answering.push_back({id, static_cast<int>(value), static_cast<int>(maximum)});
      }
    }
    return answering;
  }

  colour::Outcome send(const std::string& id, int value) {
    auto it = handles_.find(id);
    if (it == handles_.end()) return colour::Outcome::Failed;
    const HANDLE h = it->second;
    const std::wstring name = widen(id);
    if (!retried([&] { return dxva2_.write(h, kBrightness, static_cast<DWORD>(value)) != 0; })) {
      reportFailure(L"SetVCPFeature", name.c_str());
      return colour::Outcome::Failed;
    }
    // Some monitors report success and keep their old value: what it holds is read back.
    DWORD now = 0, maximum = 0;
    if (!retried([&] { return dxva2_.read(h, kBrightness, nullptr, &now, &maximum) != 0; })) {
      reportFailure(L"GetVCPFeatureAndVCPFeatureReply", name.c_str());
      return colour::Outcome::Failed;
    }
    if (now == static_cast<DWORD>(value)) return colour::Outcome::Done;
    SetLastError(ERROR_INVALID_DATA);
    reportFailure(L"SetVCPFeature", (name + L": the monitor kept " + std::to_wstring(now) +
                                     L" instead of " + std::to_wstring(value))
                                        .c_str());
    return colour::Outcome::Ignored;
  }

 private:
  Dxva2 dxva2_;
  std::vector<PhysicalMonitors> groups_;  // after dxva2_: destroyed while it is loaded
  std::map<std::string, HANDLE> handles_;
};

DdcMonitors::~DdcMonitors() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void DdcMonitors::start() {
  if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
}

void DdcMonitors::list(int delayMs) {
  {
    std::lock_guard lock(mutex_);
    listAt_ = GetTickCount64() + static_cast<ULONGLONG>(delayMs);
    start();
  }
  wake_.notify_all();
}

void DdcMonitors::send(const std::string& id, int value) {
  {
    std::lock_guard lock(mutex_);
    queue_.want(id, value);
    start();
  }
  wake_.notify_all();
}

void DdcMonitors::run() {
  Worker worker;
  std::weak_ptr<bool> alive = alive_;
  std::unique_lock lock(mutex_);
  while (!stop_) {
    const ULONGLONG now = GetTickCount64();
    if (listAt_ && *listAt_ <= now) {
      listAt_.reset();
      lock.unlock();
      host_.post([this, alive, monitors = worker.list()] {
        if (alive.lock()) Listed(monitors);
      });
      lock.lock();
    } else if (auto job = queue_.next()) {
      lock.unlock();
      const colour::Outcome outcome = worker.send(job->first, job->second);
      host_.post([this, alive, job = *job, outcome] {
        if (alive.lock()) Sent(job.first, job.second, outcome);
      });
      lock.lock();
      queue_.done(job->first);
    } else if (listAt_) {
      wake_.wait_for(lock, std::chrono::milliseconds(*listAt_ - now));
    } else {
      wake_.wait(lock);
    }
  }
}

}  // namespace win32
