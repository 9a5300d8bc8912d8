"""Drives Lumora through the cycles the footprint measurements and the object-count scenario
share, and reads a Wine program's footprint from outside: resident memory, CPU time and
context switches from /proc, USER and GDI objects through the objects probe.

Pixel positions are the main window's design at 96 DPI (15 twips per pixel)."""

from __future__ import annotations

import os
import re
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path

import harness

# Main window, relative to its top-left corner.
HIDE_IMAGE = (556, 8)  # Image1: 8010, -15, 675 x 255 twips
EDIT_COLOUR = (266, 74)  # edit(0): 3840, 960, 300 x 300
EDIT_REST = (498, 74)  # edit(1): 7320, 960
# The sub-panels open at 120, 120 inside ppset (105, 885); both back images are 48 x 48.
# Back on each panel's last row, as MainWindow::layOutRows places it (the window grows with them).
COLOUR_BACK = (247, 374)  # Image8 at 3120, 4245 in eyeset
REST_BACK = (276, 367)  # setno(1) at 3555, 4140 in xxset
PROMPT_MESSAGE = (160, 36)  # Form2's Label1: 240, 360, 4575 x 375
REST_CLOSE_TOP = 352  # Form3's imgclose: top 5280 twips, 60 x 60, centred horizontally
REST_CLOSE_SIZE = 60

# Config for the measurements: eye care on (so the pencil icons show), reminders on, night light
# off (in the evening its fade would tick and warm the ramp the drag checks).
# BENCH_CONFIG adds to it, e.g. "[backlight]\nlevel=40" to measure with a stored backlight level.
CONFIG_IDLE = ("[eye]\npdrun=1\n[dsxx]\npdrun=1\nmei=45\nxiuxi=5\n[night]\non=0\n" +
               os.environ.get("BENCH_CONFIG", "").replace("\\n", "\n"))
# With a zero interval the prompt comes back on the tick after each rest.
CONFIG_CYCLES = "[eye]\npdrun=1\n[dsxx]\npdrun=1\nmei=0\nxiuxi=5\n[night]\non=0\n"


class Pixels:
    """Single screen pixels straight from the X server (a screenshot per check is too slow)."""

    def __init__(self) -> None:
        self._x11 = harness.x11()
        self._display = harness.open_display()
        self._root = self._x11.XDefaultRootWindow(self._display)

    def at(self, x: int, y: int) -> tuple[int, int, int]:
        all_planes, z_pixmap = 0xFFFFFFFF, 2
        image = self._x11.XGetImage(self._display, self._root, x, y, 1, 1, all_planes, z_pixmap)
        if not image:
            raise harness.HarnessError(f"cannot read the pixel at {x}, {y}")
        try:
            value = self._x11.XGetPixel(image, 0, 0)
        finally:
            self._x11.XDestroyImage(image)
        return (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF

    def close(self) -> None:
        if self._display:
            self._x11.XCloseDisplay(self._display)
            self._display = None


def is_back_image(rgb: tuple[int, int, int]) -> bool:
    """The back picture's pale green disc, which no other control shows at its place."""
    r, g, b = rgb
    return g >= 200 and g - r >= 12 and g - b >= 8


# ---------------------------------------------------------------- the program's windows


class Panels:
    """Opens and closes both settings sub-panels by clicking their pencil and back images."""

    def __init__(self, main: int, pixels: Pixels) -> None:
        self.main = main
        self.pixels = pixels
        self.origin = harness.geometry(main)

    def _shows_back(self, where: tuple[int, int]) -> bool:
        return is_back_image(self.pixels.at(self.origin.x + where[0], self.origin.y + where[1]))

    def _cycle(self, pencil: tuple[int, int], back: tuple[int, int], name: str) -> None:
        harness.click(self.main, *pencil)
        harness.wait_until(lambda: self._shows_back(back), 10, interval=0.02,
                           what=f"the {name} sub-panel to open")
        harness.click(self.main, *back)
        harness.wait_until(lambda: not self._shows_back(back), 10, interval=0.02,
                           what=f"the {name} sub-panel to close")

    def cycle(self) -> None:
        """One open and close of each sub-panel."""
        self._cycle(EDIT_COLOUR, COLOUR_BACK, "colour")
        self._cycle(EDIT_REST, REST_BACK, "rest")


def rest_cycle(timeout: float = 15) -> None:
    """From a shown prompt: open the rest screen from its message, close it, wait for the next
    prompt (which a zero interval brings on the following tick)."""
    prompt = harness.wait_window("Form2", timeout)
    harness.click(prompt, *PROMPT_MESSAGE)
    screen = harness.wait_window("Form3", timeout)
    harness.wait_until(lambda: not harness.find_windows("Form2"), timeout,
                       what="the prompt to close")
    g = harness.geometry(screen)
    harness.click(screen, g.width // 2, REST_CLOSE_TOP + REST_CLOSE_SIZE // 2)
    harness.wait_until(lambda: not harness.find_windows("Form3"), timeout,
                       what="the rest screen to close")
    harness.wait_window("Form2", timeout)


def hide_to_tray(main: int) -> None:
    harness.click(main, *HIDE_IMAGE)
    harness.wait_until(lambda: not harness.is_mapped(main), 10, what="the main window to hide")


# ---------------------------------------------------------------- processes seen from Linux


def one_pid(exe_name: str) -> int:
    pids = harness.wait_until(lambda: harness.lumora_pids(exe_name), 20, what=f"{exe_name} to run")
    if len(pids) != 1:
        raise harness.HarnessError(f"{len(pids)} processes run {exe_name}")
    return pids[0]


def rss_kib(pid: int, field: str = "VmRSS") -> int:
    """Resident memory; field "RssAnon" is the private part (a Wine process is a Linux one)."""
    status = Path(f"/proc/{pid}/status").read_text()
    return int(re.search(rf"^{field}:\s+(\d+) kB", status, re.M).group(1))


def cpu_ticks(pid: int) -> int:
    """utime + stime of every thread, in clock ticks."""
    stat = Path(f"/proc/{pid}/stat").read_text()
    fields = stat[stat.rindex(")") + 2:].split()
    return int(fields[11]) + int(fields[12])


def context_switches(pid: int) -> int:
    """Voluntary context switches summed over the process's threads: each is one sleep, so
    the difference over a period counts the wake-ups."""
    total = 0
    for task in Path(f"/proc/{pid}/task").iterdir():
        try:
            status = (task / "status").read_text()
        except OSError:
            continue
        total += int(re.search(r"^voluntary_ctxt_switches:\s+(\d+)", status, re.M).group(1))
    return total


@dataclass(frozen=True)
class Objects:
    user: int
    gdi: int
    method: str


def gui_objects(probe: str, exe_name: str) -> Objects:
    out = subprocess.run(["wine", probe, exe_name], capture_output=True, text=True, timeout=120)
    fields = out.stdout.strip().split("\t")
    if out.returncode != 0 or len(fields) != 4:
        raise harness.HarnessError(f"objects probe failed ({out.returncode}): "
                                   f"{out.stdout.strip()} {out.stderr.strip()}")
    return Objects(int(fields[1]), int(fields[2]), fields[3])


def settled_gui_objects(probe: str, exe_name: str) -> Objects:
    """Counts once the program is idle: a window that has just appeared is still being painted
    and holds a DC or two for a moment, which is no leak. Two counts a second apart; the lower
    of each kind is taken, since a leaked object stays in both."""
    time.sleep(1.5)
    first = gui_objects(probe, exe_name)
    time.sleep(1.0)
    second = gui_objects(probe, exe_name)
    return Objects(min(first.user, second.user), min(first.gdi, second.gdi), first.method)
