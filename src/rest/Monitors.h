#pragma once
// Which rest screens a change of the desktop's monitors closes and which it opens.
#include <cstddef>
#include <vector>

#include "ui/System.h"

namespace rest {

struct MonitorChange {
  std::vector<std::size_t> close;  // indexes into the monitors covered now
  std::vector<ui::Monitor> open;   // monitors that have no rest screen yet
};

// A monitor keeps its window while one with the same rectangle and DPI is still there; one that
// moved, changed size or DPI gets a fresh window made at its new place.
MonitorChange followMonitors(const std::vector<ui::Monitor>& covered,
                             const std::vector<ui::Monitor>& now);

// The monitor the prompt (and a short break) shows on: the primary one.
ui::Monitor promptMonitor(ui::Screen& screen);

}  // namespace rest
