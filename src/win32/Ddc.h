#pragma once
// The monitors' brightness over DDC/CI, through the system's monitor-configuration functions in
// dxva2.dll. An exchange takes 40 to 100 ms, on some monitors seconds, and may fail or lie, so
// every one runs on a worker thread; answers come back to the user-interface thread as posted
// work. Nothing is loaded and no thread exists until the backlight is first used.
#include <windows.h>

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "colour/Backlight.h"
#include "ui/Form.h"

namespace win32 {

class DdcMonitors final : public colour::MonitorControl {
 public:
  // host.post must be callable from another thread.
  explicit DdcMonitors(ui::FormHost& host) : host_(host) {}
  // Ends the worker after its exchange in flight, the monitors' handles destroyed; a monitor that
  // hangs inside an exchange holds the exit no longer than a short wait.
  ~DdcMonitors() override;
  DdcMonitors(const DdcMonitors&) = delete;
  DdcMonitors& operator=(const DdcMonitors&) = delete;

  void list(int delayMs) override;
  void send(const std::string& id, int value) override;

 private:
  class Worker;
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
  static void run(const std::shared_ptr<Shared>& shared, DdcMonitors* self);

  ui::FormHost& host_;
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::thread thread_;
  // Work posted by the worker does nothing once this object is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace win32
