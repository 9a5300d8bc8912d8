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
constexpr int kExitWaitMs = 1500;   // how long an exit waits for an exchange in flight

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

// The number in a display's device name (\\.\DISPLAY2), as Windows' display settings show it.
int displayNumber(const wchar_t* device) {
  const wchar_t* digits = device + wcscspn(device, L"0123456789");
  return static_cast<int>(wcstol(digits, nullptr, 10));
}

}  // namespace

// What only the worker thread touches: the library and the monitors' handles.
class Ddc final : public MonitorWork {
 public:
  std::vector<colour::MonitorState> list() override {
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
        // Its name identifies it (the display it is on changes); two alike get a number.
        std::string id = narrow(m.szPhysicalMonitorDescription);
        for (int n = 2; handles_.contains(id); ++n)
          id = narrow(m.szPhysicalMonitorDescription) + " " + std::to_string(n);
        DWORD value = 0, maximum = 0;
        if (!exchanged([&] {
              return dxva2_.read(m.hPhysicalMonitor, kBrightness, nullptr, &value, &maximum) != 0;
            }) ||
            maximum == 0)
          continue;
        handles_[id] = m.hPhysicalMonitor;
        answering.push_back(
            {id, displayNumber(info.szDevice), static_cast<int>(value), static_cast<int>(maximum)});
      }
    }
    return answering;
  }

  colour::Outcome send(const std::string& id, int value) override {
    auto it = handles_.find(id);
    if (it == handles_.end()) return colour::Outcome::Failed;
    const HANDLE h = it->second;
    const std::wstring name = widen(id);
    if (!exchanged([&] { return dxva2_.write(h, kBrightness, static_cast<DWORD>(value)) != 0; })) {
      reportFailure(L"SetVCPFeature", name.c_str());
      return colour::Outcome::Failed;
    }
    // Some monitors report success and keep their old value: what it holds is read back.
    DWORD now = 0, maximum = 0;
    if (!exchanged([&] { return dxva2_.read(h, kBrightness, nullptr, &now, &maximum) != 0; })) {
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

std::unique_ptr<MonitorWork> ddcWork() {
  return std::make_unique<Ddc>();
}

WorkerMonitors::~WorkerMonitors() {
  if (!thread_.joinable()) return;
  std::unique_lock lock(shared_->mutex);
  shared_->stop = true;
  shared_->wake.notify_all();
  // The single-instance name is already free; a hung monitor is left to end with the process.
  const bool ended = shared_->wake.wait_for(lock, std::chrono::milliseconds(kExitWaitMs),
                                            [this] { return shared_->ended; });
  lock.unlock();
  if (ended)
    thread_.join();
  else
    thread_.detach();
}

void WorkerMonitors::start() {
  if (!thread_.joinable()) thread_ = std::thread([this, shared = shared_] { run(shared, this); });
}

void WorkerMonitors::list(int delayMs) {
  std::lock_guard lock(shared_->mutex);
  shared_->listAt = GetTickCount64() + static_cast<ULONGLONG>(delayMs);
  start();
  shared_->wake.notify_all();
}

void WorkerMonitors::send(const std::string& id, int value) {
  std::lock_guard lock(shared_->mutex);
  shared_->queue.want(id, value);
  start();
  shared_->wake.notify_all();
}

// self is touched only under the lock while stop is unset: the destructor sets it first.
void WorkerMonitors::run(const std::shared_ptr<Shared>& shared, WorkerMonitors* self) {
  Shared& s = *shared;
  std::weak_ptr<bool> alive = self->alive_;
  {
    const std::unique_ptr<MonitorWork> worker = self->make_();
    std::unique_lock lock(s.mutex);
    while (!s.stop) {
      const ULONGLONG now = GetTickCount64();
      if (s.listAt && *s.listAt <= now) {
        s.listAt.reset();
        lock.unlock();
        std::vector<colour::MonitorState> monitors = worker->list();
        lock.lock();
        if (s.stop) break;
        self->host_.post([self, alive, monitors = std::move(monitors)] {
          if (alive.lock()) self->Listed(monitors);
        });
      } else if (auto job = s.queue.next()) {
        lock.unlock();
        const colour::Outcome outcome = worker->send(job->first, job->second);
        lock.lock();
        s.queue.done(job->first);
        if (s.stop) break;
        self->host_.post([self, alive, job = *job, outcome] {
          if (alive.lock()) self->Sent(job.first, job.second, outcome);
        });
      } else if (s.listAt) {
        s.wake.wait_for(lock, std::chrono::milliseconds(*s.listAt - now));
      } else {
        s.wake.wait(lock);
      }
    }
  }  // the monitors' handles destroyed, the library freed
  std::lock_guard lock(s.mutex);
  s.ended = true;
  s.wake.notify_all();
}

}  // namespace win32
