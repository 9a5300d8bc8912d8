#pragma once
// Fake system services for the unit tests.
#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "colour/GammaEngine.h"
#include "tray/Notify.h"
#include "tray/SignIn.h"
#include "ui/Form.h"
#include "ui/System.h"

namespace fakes {

// An in-memory settings file; records every call in order.
class ProfileStore : public ui::ProfileStore {
 public:
  std::map<std::pair<std::string, std::string>, std::string> values;
  std::vector<std::string> log;  // "read section/key", "write section/key=value", "remove ..."
  bool writable = true;
  bool readOnlyFile = false;  // why it is not writable
  int saves = 0;              // calls of write, each one swap of the file

  std::string read(const std::string& section, const std::string& key,
                   const std::string& fallback) override {
    log.push_back("read " + section + "/" + key);
    auto it = values.find({section, key});
    return it == values.end() ? fallback : it->second;
  }
  bool write(const std::vector<ui::ProfileEntry>& entries) override {
    ++saves;
    for (const auto& [section, key, value] : entries)
      log.push_back(value ? "write " + section + "/" + key + "=" + *value
                          : "remove " + section + "/" + key);
    if (!writable) return false;
    for (const auto& [section, key, value] : entries)
      if (value)
        values[{section, key}] = *value;
      else
        values.erase({section, key});
    return true;
  }
  std::string path() const override { return "C:\\Lumora\\config.ini"; }
  bool readOnly() const override { return readOnlyFile; }

  bool has(const std::string& section, const std::string& key) const {
    return values.count({section, key}) != 0;
  }
  std::string at(const std::string& section, const std::string& key) const {
    return values.at({section, key});
  }
};

// Hands out a text in pieces of at most `piece` bytes.
class StringReader : public ui::FileReader {
 public:
  StringReader(std::string text, std::size_t piece) : text_(std::move(text)), piece_(piece) {}
  std::optional<std::size_t> read(std::span<char> into) override {
    const std::size_t n = std::min({into.size(), piece_, text_.size() - at_});
    std::copy_n(text_.data() + at_, n, into.data());
    at_ += n;
    return n;
  }

 private:
  std::string text_;
  std::size_t piece_;
  std::size_t at_ = 0;
};

struct Message {
  std::string text, title;
  ui::MessageIcon icon;
};

class Shell : public ui::Shell {
 public:
  std::vector<std::string> opened;
  std::vector<Message> messages;
  std::map<std::string, std::string> files;
  int quits = 0;
  std::function<void()> onMessage;  // runs while the "modal box" is up

  void openUrl(const std::string& url) override { opened.push_back(url); }
  void messageBox(const std::string& text, const std::string& title,
                  ui::MessageIcon icon) override {
    messages.push_back({text, title, icon});
    if (onMessage) onMessage();
  }
  std::size_t piece = 4096;  // bytes a read hands out at most
  std::unique_ptr<ui::FileReader> openProgramFile(const std::string& name) override {
    auto it = files.find(name);
    if (it == files.end()) return nullptr;
    return std::make_unique<StringReader>(it->second, piece);
  }
  void quit() override { ++quits; }
  bool yes = false;  // the answer to every question; an elevated copy starts and joins `opened`
  bool askYesNo(const std::string&, const std::string&) override { return yes; }
  bool runElevated(const std::string& a) override { return (opened.push_back(a), true); }
  std::vector<ui::SystemSound> sounds;
  void playSound(ui::SystemSound sound) override { sounds.push_back(sound); }
  std::vector<std::string> logged;
  void log(const std::string& line) override { logged.push_back(line); }
};

// Local time and a monotonic counter. advance() is time passing (awake or asleep); set() is a
// change of the wall clock alone (a manual correction, daylight saving).
class Clock : public ui::Clock {
 public:
  ui::LocalTime time{2026, 12, 7, 14, 7, 30};
  std::int64_t monotonic = 1'000'000;
  std::optional<std::int64_t> lastInput;  // none: the person is at it all the time
  bool busy = false;
  ui::LocalTime now() override { return time; }
  std::int64_t monotonicMs() override { return monotonic; }
  std::int64_t idleMs() override { return lastInput ? monotonic - *lastInput : 0; }
  ui::Busy busyWith = ui::Busy::FullScreen;  // the reason while busy
  ui::Busy userBusy() override { return busy ? busyWith : ui::Busy::No; }
  std::string caller;  // the program holding the prompt
  std::string holder() override { return caller; }
  // The person stops using the keyboard and mouse, and comes back.
  void leave() { lastInput = monotonic; }
  void comeBack() { lastInput.reset(); }
  void set(int hour, int minute, int second = 0) {
    time.hour = hour;
    time.minute = minute;
    time.second = second;
  }
  // A daylight-saving change ahead: after changeIn more seconds the wall clock and its offset
  // jump by changeBy minutes.
  long changeIn = -1;
  int changeBy = 0;
  // Moves the clock on by whole seconds, wrapping days.
  void advance(long seconds) {
    monotonic += seconds * 1000LL;
    long s = time.hour * 3600L + time.minute * 60L + time.second + seconds;
    if (changeIn >= 0 && seconds >= changeIn) {
      s += changeBy * 60L;
      time.utcOffset += changeBy;
    }
    changeIn = changeIn > seconds ? changeIn - seconds : -1;
    long days = s / 86400;
    s %= 86400;
    time.day += static_cast<int>(days);
    time.hour = static_cast<int>(s / 3600);
    time.minute = static_cast<int>(s / 60 % 60);
    time.second = static_cast<int>(s % 60);
  }
};

class GammaDisplay : public ui::GammaDisplay {
 public:
  ui::Ramp ramp{};
  bool getFails = false;
  bool refuses = false;
  bool limited =
      false;  // refuses ramps past Windows' default limit, as before the lift is in force
  bool keepsSent = true;  // false: only the last ramp is kept (a soak sends many)
  std::vector<ui::Ramp> sent;

  GammaDisplay() {
    for (int c = 0; c < 3; ++c)
      for (int i = 0; i < 256; ++i) ramp[c * 256 + i] = static_cast<std::uint16_t>(257 * i);
  }
  bool get(ui::Ramp& out) override {
    if (getFails) return false;
    out = ramp;
    return true;
  }
  bool set(const ui::Ramp& r) override {
    if (keepsSent) sent.push_back(r);
    if (refuses || (limited && !colour::withinDefaultGammaLimit(r))) return false;
    ramp = r;
    return true;
  }
  std::string failure() const override { return "SetDeviceGammaRamp failed, error 87"; }
};

// Displays the test keeps, attached under their names; the list may change between enumerations.
class DisplaySet : public ui::DisplaySet {
 public:
  DisplaySet() = default;
  explicit DisplaySet(std::vector<std::pair<std::string, ui::GammaDisplay*>> displays)
      : attached(std::move(displays)) {}
  explicit DisplaySet(ui::GammaDisplay& only) : attached{{"", &only}} {}

  std::vector<std::pair<std::string, ui::GammaDisplay*>> attached;
  int enumerations = 0;
  bool lifted = false;  // GdiIcmGammaRange reads 256
  std::vector<std::string> reports;
  bool limitLifted() override { return lifted; }
  void report(const std::string& line) override { reports.push_back(line); }

  std::vector<ui::AttachedDisplay> enumerate() override {
    ++enumerations;
    std::vector<ui::AttachedDisplay> list;
    for (auto& [name, display] : attached)
      list.push_back({name, std::make_unique<Borrowed>(*display)});
    return list;
  }

 private:
  struct Borrowed : ui::GammaDisplay {
    explicit Borrowed(ui::GammaDisplay& d) : display(d) {}
    bool get(ui::Ramp& r) override { return display.get(r); }
    bool set(const ui::Ramp& r) override { return display.set(r); }
    std::string failure() const override { return display.failure(); }
    ui::GammaDisplay& display;
  };
};

// A 1280 x 800 pixel screen at 96 DPI with a 40-pixel taskbar at the bottom.
class Screen : public ui::Screen {
 public:
  ui::Size pixels{1280, 800};
  int taskbar = 40;
  int dpi = 96;                     // the primary monitor's; the system's stays 96
  std::vector<ui::Monitor> others;  // monitors besides the primary one
  bool noMonitors = false;          // a desktop in the middle of a change lists none
  std::vector<ui::Monitor> monitors() override {
    if (noMonitors) return {};
    const int t = 1440 / dpi;
    const ui::Rect w = workArea();
    std::vector<ui::Monitor> list{
        {{0, 0, pixels.width * t, pixels.height * t},
         dpi,
         true,
         {w.left / 15 * t, w.top / 15 * t, w.width / 15 * t, w.height / 15 * t}}};
    list.insert(list.end(), others.begin(), others.end());
    return list;
  }
  ui::Size size() override { return {pixels.width * 15, pixels.height * 15}; }
  ui::Rect workArea() override { return {0, 0, pixels.width * 15, (pixels.height - taskbar) * 15}; }
};

// A control's view as a backend keeps one: it lets go of its control when it is dropped.
class ControlView : public ui::ControlView {
 public:
  explicit ControlView(ui::Control& control) : control_(&control) { control.attachView(this); }
  ~ControlView() override {
    if (control_) control_->attachView(nullptr);
  }
  void update(ui::Property) override {}
  void controlGone() override { control_ = nullptr; }

 private:
  ui::Control* control_;
};

// A form's window as a backend keeps one: closing it drops it, and the views of its controls,
// only after the current handler has returned.
class FormView : public ui::FormView {
 public:
  FormView(ui::Form& form, ui::FormHost& host) : host_(host) {
    for (ui::Control* c : form.allControls())
      controls_.push_back(std::make_unique<ControlView>(*c));
    form.attachView(this);
  }
  void update(ui::FormProperty) override {}
  void startDrag() override {}
  void destroy() override;
  std::unique_ptr<FormView> self;

 private:
  ui::FormHost& host_;
  std::vector<std::unique_ptr<ControlView>> controls_;
};

// Runs forms without windows; posted work waits until run() is called. With views on, every form
// gets views that outlive it the way a backend's do.
class Host : public ui::FormHost {
 public:
  std::deque<std::function<void()>> queue;
  std::vector<std::string> created;
  bool views = false;
  void create(ui::Form& form) override {
    created.push_back(form.name());
    if (!views) return;
    auto* view = new FormView(form, *this);
    view->self.reset(view);
  }
  void post(std::function<void()> work) override { queue.push_back(std::move(work)); }
  std::vector<std::pair<const ui::Control*, const ui::Control*>> copies;
  void copyImage(const ui::Control& from, ui::Control& to) override {
    copies.push_back({&from, &to});
  }
  void run() {
    while (!queue.empty()) {
      auto work = std::move(queue.front());
      queue.pop_front();
      work();
    }
  }
};

inline void FormView::destroy() {
  host_.post([this] { self.reset(); });
}

// The notification area: records the icon's adds and removes and answers the pop-up menu with a
// prepared choice.
class NotifyArea : public tray::NotifyArea {
 public:
  std::vector<tray::NotifyRecord> added, removed, modified;
  std::vector<std::string> menusShown;              // root names of the menus shown
  tray::Menu lastMenu;                              // the last menu shown, as shown
  int choice = 0;                                   // command the "user" picks; 0 dismisses
  std::function<void(const std::string&)> onEvent;  // "add", "remove"
  bool there = false;                               // as the shell, which adds an icon once

  bool add(const tray::NotifyRecord& r) override {
    added.push_back(r);
    if (onEvent) onEvent("add");
    return !std::exchange(there, true);
  }
  bool modify(const tray::NotifyRecord& r) override {
    modified.push_back(r);
    return true;
  }
  bool remove(const tray::NotifyRecord& r) override {
    removed.push_back(r);
    there = false;
    if (onEvent) onEvent("remove");
    return true;
  }
  std::uintptr_t iconHandle() override { return 0x1D0C; }
  std::uintptr_t windowHandle() override { return 0xCD00; }
  int popupMenu(const tray::Menu& menu) override {
    menusShown.push_back(menu.name);
    lastMenu = menu;
    return choice;
  }
};

// The sign-in entry as a flag, with a disable the system may have set and writes that can fail.
class SignInEntry : public tray::SignInEntry {
 public:
  bool present = false;
  bool disabled = false;
  bool refuses = false;
  std::vector<bool> writes;

  bool enabled() override { return present && !disabled; }
  bool setEnabled(bool on) override {
    writes.push_back(on);
    if (refuses) return false;
    present = on;
    disabled = false;
    return true;
  }
};

// A monitor.txt for a ramp: signed values, entry by entry, joined by sep.
inline std::string rampFileText(const ui::Ramp& r, const std::string& sep = "\r\n") {
  std::string text;
  for (int i = 0; i < 256; ++i)
    for (int c = 0; c < 3; ++c) {
      const int v = r[colour::at(c, i)];
      text += std::to_string(v >= 32768 ? v - 65536 : v) + sep;
    }
  return text;
}

}  // namespace fakes
