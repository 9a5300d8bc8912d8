#pragma once
// The main window's rest controls and the fake system around a rest::Rest.
#include <gtest/gtest.h>

#include <string>

#include "Fakes.h"
#include "controls/SafeSwitch.h"
#include "rest/PromptWindow.h"
#include "rest/Rest.h"
#include "rest/RestScreen.h"
#include "rest/ShortBreakWindow.h"
#include "settings/Ini.h"

struct RestFixture : ::testing::Test {
  ui::TextBox Text1{"Text1"}, Text2{"Text2"}, Text3{"Text3"};
  ui::Label Label4{"Label4"}, Label5{"Label5"}, dhhour0{"dhhour", 0}, dhhour1{"dhhour", 1},
      Label2_1{"Label2", 1};
  controls::SafeSwitch SafeSwitch2{"SafeSwitch2"}, sound{"sound"}, warn{"warn"}, breaks{"breaks"},
      calls{"calls"};
  ui::TextBox apps{"apps"}, breakEvery{"breakEvery"}, breakSeconds{"breakSeconds"};
  rest::HoursRow hours;
  ui::Image edit1{"edit", 1}, setok1{"setok", 1}, setno1{"setno", 1};
  ui::PictureBox ppset{"ppset"};
  ui::Timer Timer1{"Timer1"};
  ui::CommandButton form2tip{"form2tip"}, okdsxxadd{"okdsxxadd"};

  rest::RestControls controls() {
    return {.Text1 = Text1,
            .Text2 = Text2,
            .Text3 = Text3,
            .Label4 = Label4,
            .Label5 = Label5,
            .dhhour = {&dhhour0, &dhhour1},
            .SafeSwitch2 = SafeSwitch2,
            .Label2_1 = Label2_1,
            .edit1 = edit1,
            .ppset = ppset,
            .Timer1 = Timer1,
            .setok1 = setok1,
            .setno1 = setno1,
            .form2tip = form2tip,
            .okdsxxadd = okdsxxadd,
            .sound = sound,
            .warn = warn,
            .breaks = breaks,
            .calls = calls,
            .apps = apps,
            .breakEvery = breakEvery,
            .breakSeconds = breakSeconds,
            .hours = hours};
  }

  fakes::Clock clock;  // 14:07:30
  fakes::Screen screen;
  fakes::Host host;
  fakes::ProfileStore store;
  fakes::Shell shell;
  settings::Ini ini{store, shell};
  rest::Rest rest{controls(), clock, screen, &host, ini, shell};
  std::vector<int> dims;  // the warning's levels as sent

  RestFixture() {
    Text1.setText("12:30");
    Text2.setText("45");
    Text3.setText("5");
    breakEvery.setText("20");
    breakSeconds.setText("20");
    edit1.setVisible(false);
    ppset.setVisible(false);
    rest.connect();
    rest.Dimming = [this](int percent) { dims.push_back(percent); };
  }

  // Reminders on at the current time, as the load step leaves them.
  void switchOn() { SafeSwitch2.setValue(true); }

  // One second passes and the timer ticks; posted work runs as the message loop would run it.
  void tick(int count = 1) {
    for (int i = 0; i < count; ++i) {
      clock.advance(1);
      Timer1.Tick();
      host.run();
    }
  }
  void wake() { clock.advance(Timer1.interval() / 1000), Timer1.Tick(), host.run(); }  // as planned
  // Ticks until the clock shows hh:mm:ss.
  void tickUntil(int hour, int minute, int second = 0) {
    const long target = hour * 3600L + minute * 60L + second;
    for (int guard = 0; guard < 2 * 86400; ++guard) {
      const auto& t = clock.time;
      if (t.hour * 3600L + t.minute * 60L + t.second == target) return;
      tick();
    }
    FAIL() << "clock never reached the time";
  }
  std::string caption() const { return rest.restScreen()->Label1.text(); }
  int formsCreated(const std::string& name) const {
    int n = 0;
    for (const auto& f : host.created) n += f == name;
    return n;
  }
};
