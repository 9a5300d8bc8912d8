#pragma once
// The whole program over the fakes, its main window to drive.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Fakes.h"
#include "app/MainWindow.h"
#include "app/Program.h"

// Puts quitting on the store's timeline, so saving, icon removal and the end can be ordered.
struct Shell : fakes::Shell {
  std::vector<std::string>* timeline = nullptr;
  void quit() override {
    fakes::Shell::quit();
    timeline->push_back("quit");
  }
};

struct FormView : ui::FormView {
  int drags = 0;
  void update(ui::FormProperty) override {}
  void startDrag() override { ++drags; }
  void destroy() override {}
};

struct MainWindowTest : ::testing::Test {
  fakes::Host host;
  fakes::Clock clock;
  fakes::GammaDisplay gamma;
  fakes::DisplaySet displays{{{"\\\\.\\DISPLAY1", &gamma}}};
  fakes::ProfileStore store;
  fakes::Screen screen;
  Shell shell;
  fakes::NotifyArea notify;
  fakes::SignInEntry signIn;
  FormView view;
  colour::MonitorControl* monitors = nullptr;  // none: no backlight answers
  std::unique_ptr<app::Program> program;

  MainWindowTest() {
    shell.timeline = &store.log;
    notify.onEvent = [this](const std::string& e) { store.log.push_back("icon " + e); };
  }
  app::MainWindow& start(bool iconOnly = false) {
    program = std::make_unique<app::Program>(
        app::Services{host, clock, displays, store, screen, shell, notify, signIn, monitors});
    program->mainWindow().attachView(&view);
    program->start(iconOnly);
    return program->mainWindow();
  }
  void stored(const std::string& section, const std::string& key, const std::string& value) {
    store.values[{section, key}] = value;
  }
  std::vector<std::string> reads() const {
    std::vector<std::string> r;
    for (const auto& e : store.log)
      if (e.rfind("read ", 0) == 0) r.push_back(e);
    return r;
  }
  std::vector<std::string> logFrom(std::size_t n) const {
    return {store.log.begin() + static_cast<std::ptrdiff_t>(n), store.log.end()};
  }
};
