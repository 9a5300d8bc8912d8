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
  // Ends the worker after its exchange in flight, the monitors' handles destroyed.
  ~DdcMonitors() override;
  DdcMonitors(const DdcMonitors&) = delete;
  DdcMonitors& operator=(const DdcMonitors&) = delete;

  void list(int delayMs) override;
  void send(const std::string& id, int value) override;

 private:
  class Worker;
  void start();
  void run();

  ui::FormHost& host_;
  std::mutex mutex_;  // guards what follows
  std::condition_variable wake_;
  colour::LatestWins queue_;
  std::optional<ULONGLONG> listAt_;  // GetTickCount64 when the next listing is due
  bool stop_ = false;
  std::thread thread_;
  // Work posted by the worker does nothing once this object is gone.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace win32
