#pragma once
// The monitors' brightness, each means on a worker thread of its own: DDC/CI through the system's
// monitor-configuration functions in dxva2.dll, a laptop's built-in panel through WMI. An exchange
// takes 40 to 100 ms, on some monitors seconds, and may fail or lie; answers come back to the
// user-interface thread as posted work. Nothing is loaded and no thread exists until the
// backlight is first used.
#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "colour/Backlight.h"
#include "ui/Form.h"

namespace win32 {

// What a means does with its monitors, on its worker thread only: made, used and destroyed there.
class MonitorWork {
 public:
  virtual ~MonitorWork() = default;
  virtual std::vector<colour::MonitorState> list() = 0;
  virtual colour::Outcome send(const std::string& id, int value) = 0;
};

std::unique_ptr<MonitorWork> ddcWork();  // Ddc.cpp
std::unique_ptr<MonitorWork> wmiWork();  // Wmi.cpp

class WorkerMonitors final : public colour::MonitorControl {
 public:
  // host.post must be callable from another thread; make runs on the worker.
  WorkerMonitors(ui::FormHost& host, std::unique_ptr<MonitorWork> (*make)())
      : host_(host), make_(make) {}
  // Ends the worker after its exchange in flight, the monitors' handles destroyed; a monitor that
  // hangs inside an exchange holds the exit no longer than a short wait.
  ~WorkerMonitors() override;
  WorkerMonitors(const WorkerMonitors&) = delete;
  WorkerMonitors& operator=(const WorkerMonitors&) = delete;

  void list(int delayMs) override;
  void send(const std::string& id, int value) override;

 private:
  // What the worker shares: it outlives this object when the worker is left hanging.
  struct Shared {
    std::mutex mutex;  // guards what follows
    std::condition_variable wake;
    colour::LatestWins queue;
    std::optional<ULONGLONG> listAt;  // GetTickCount64 when the next listing is due
    bool stop = false;                // once set, the worker posts nothing more
    bool ended = false;
  };
  void start();
  static void run(const std::shared_ptr<Shared>& shared, WorkerMonitors* self);

  ui::FormHost& host_;
  std::unique_ptr<MonitorWork> (*make_)();
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::thread thread_;
  // Work posted by the worker does nothing once this object is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace win32
