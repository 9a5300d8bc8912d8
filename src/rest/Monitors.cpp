#include "rest/Monitors.h"

namespace rest {

namespace {

bool same(const ui::Monitor& a, const ui::Monitor& b) {
  return a.area == b.area && a.dpi == b.dpi;
}

}  // namespace

MonitorChange followMonitors(const std::vector<ui::Monitor>& covered,
                             const std::vector<ui::Monitor>& now) {
  MonitorChange change;
  // No monitor at all is a desktop in the middle of a change, never the end of a rest.
  if (now.empty()) return change;
  std::vector<bool> kept(covered.size(), false);
  for (const ui::Monitor& monitor : now) {
    bool found = false;
    for (std::size_t i = 0; i < covered.size() && !found; ++i) {
      if (kept[i] || !same(covered[i], monitor)) continue;
      kept[i] = found = true;
    }
    if (!found) change.open.push_back(monitor);
  }
  for (std::size_t i = 0; i < covered.size(); ++i)
    if (!kept[i]) change.close.push_back(i);
  return change;
}

ui::Monitor promptMonitor(ui::Screen& screen) {
  const std::vector<ui::Monitor> monitors = screen.monitors();
  if (!monitors.empty()) return monitors.front();
  const ui::Size size = screen.size();
  return {{0, 0, size.width, size.height}, 0, true, screen.workArea()};
}

}  // namespace rest
