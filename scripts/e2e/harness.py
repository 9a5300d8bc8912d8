"""Drives Lumora.exe under Wine on a virtual X display and observes it from outside.

Environment (set by scripts/test): DISPLAY, WINEPREFIX, LUMORA_EXE, LUMORA_MONITOR,
LUMORA_PROBE (the Win32 probe built from probe.cpp).

What Wine 8 shows on X, found by experiment on the Xorg dummy display:

* Without a Wine desktop every top-level window is an X window of its own, named after
  its caption (hidden ones exist too, unmapped). Wine writes _NET_WM_STATE itself even
  with no window manager: _NET_WM_STATE_SKIP_TASKBAR for an owned window or a tool
  window, _NET_WM_STATE_ABOVE for a topmost one. Tray icons: with no XEMBED system
  tray, Wine shows them in a window of its own, the X window "Wine System Tray", one
  20 x 20 slot per icon from its left edge (a Win32 child of class
  __winex11_tray_icon, not an X window). Clicking the slot with xdotool reaches the
  icon owner as the callback message (checked for left and right releases).
* With "explorer /desktop=NAME,WxH" there is one X window "NAME - Wine desktop"; the
  program's windows are still X windows, but children of it, and carry no _NET_WM_*
  state. The taskbar (Win32 class Shell_TrayWnd) is the bottom 20 pixel row: the Start
  button at the left, one Button child per top-level window, its control id being the
  window's handle; Wine gives a button to every visible window that has no owner,
  WS_EX_TOOLWINDOW or not, so only an owned window stays off it. The notification area
  is painted into the taskbar's right end, 20 x 20 per icon, with no window per icon:
  it is read by comparing pixels and clicked at the slot, like the plain tray; the
  taskbar buttons are read through the probe.
* The dummy driver keeps 8 bits per ramp entry: a ramp reads back within 257 of what
  was sent, and it stays after the program ends.
"""

from __future__ import annotations

import configparser
import contextlib
import ctypes
import functools
import io
import os
import re
import shutil
import signal
import subprocess
import time
from collections.abc import Callable
from dataclasses import dataclass
from pathlib import Path

from PIL import Image

SCREEN_W, SCREEN_H = 1280, 800
DESKTOP_NAME = "Lumora"
TRAY_SLOT = 20  # Wine: small icon (16) plus a 2-pixel border on each side
TASKBAR_H = 20


class HarnessError(AssertionError):
    pass


def _run(args: list[str], timeout: float = 20, check: bool = True) -> str:
    proc = subprocess.run(args, capture_output=True, text=True, timeout=timeout)
    if check and proc.returncode != 0:
        raise HarnessError(f"{' '.join(args)} failed ({proc.returncode}): {proc.stderr.strip()}")
    return proc.stdout


def wait_until(predicate, timeout: float, interval: float = 0.1, what: str = "condition"):
    """Polls predicate until it returns something truthy; returns that value."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError(f"timed out after {timeout} s waiting for {what}")
        time.sleep(interval)


# ---------------------------------------------------------------- X windows


def find_windows(name: str, visible_only: bool = True) -> list[int]:
    """X windows whose WM_NAME is exactly name (mapped ones only by default)."""
    args = ["xdotool", "search"]
    if visible_only:
        args.append("--onlyvisible")
    args += ["--name", "^" + re.escape(name) + "$"]
    out = _run(args, check=False)
    return [int(line) for line in out.split()]


def wait_window(name: str, timeout: float = 15) -> int:
    found = wait_until(lambda: find_windows(name), timeout, what=f'a visible window "{name}"')
    return found[0]


@dataclass(frozen=True)
class Geometry:
    x: int  # absolute, relative to the root window
    y: int
    width: int
    height: int


def geometry(wid: int) -> Geometry:
    out = _run(["xwininfo", "-id", str(wid)])

    def field(label: str) -> int:
        m = re.search(rf"{label}:\s+(-?\d+)", out)
        if not m:
            raise HarnessError(f"xwininfo gave no {label} for {wid}")
        return int(m.group(1))

    return Geometry(field("Absolute upper-left X"), field("Absolute upper-left Y"),
                    field("Width"), field("Height"))


def is_mapped(wid: int) -> bool:
    out = _run(["xwininfo", "-id", str(wid)], check=False)
    return "IsViewable" in out


def net_wm_state(wid: int) -> set[str]:
    out = _run(["xprop", "-id", str(wid), "_NET_WM_STATE"], check=False)
    if "=" not in out:
        return set()
    return {atom.strip() for atom in out.split("=", 1)[1].split(",") if atom.strip()}


def window_opacity(wid: int) -> int | None:
    """_NET_WM_WINDOW_OPACITY (alpha * 0x01010101), or None when the window is opaque."""
    out = _run(["xprop", "-id", str(wid), "_NET_WM_WINDOW_OPACITY"], check=False)
    m = re.search(r"=\s*(\d+)", out)
    return int(m.group(1)) if m else None


# ---------------------------------------------------------------- input


# A hand rests on a pop-up menu's entry before it clicks it.
POINTER_REST = 0.15


def pointer_to(x: int, y: int, *then: str) -> None:
    """Moves the pointer to a screen point, waits until it is there and runs the xdotool commands
    in then (a click, a press) the instant it arrives. xdotool's --sync waits for a motion that
    never comes when the pointer is already there (15 s), so it is asked for only on a move."""
    out = _run(["xdotool", "getmouselocation", "--shell"])
    here = tuple(int(re.search(rf"^{axis}=(-?\d+)", out, re.M).group(1)) for axis in "XY")
    sync = ["--sync"] if here != (x, y) else []
    _run(["xdotool", "mousemove", *sync, str(x), str(y), *then])


def click(wid: int, x: int, y: int, button: int = 1) -> None:
    """Clicks at a pixel position relative to the window's top-left corner the instant the
    pointer arrives there, as a tap or a quick hand does."""
    g = geometry(wid)
    pointer_to(g.x + x, g.y + y, "click", str(button))


def keys(*names: str) -> None:
    """Presses keys (xdotool names: End, BackSpace, shift+Home, ctrl+v, alt+F4 ...) in turn."""
    _run(["xdotool", "key", "--delay", "30", *names])


def focus_window(wid: int) -> None:
    """Gives a window the X keyboard focus, as a window manager does for the active window."""
    _run(["xdotool", "windowfocus", str(wid)])


def type_text(text: str) -> None:
    _run(["xdotool", "type", "--delay", "30", text])


def click_screen(x: int, y: int, button: int = 1) -> None:
    pointer_to(x, y)
    time.sleep(POINTER_REST)
    _run(["xdotool", "click", str(button)])


def drag_path(points: list[tuple[int, int]], button: str = "1") -> None:
    """Presses a button at the first screen point, moves through the others at a hand's pace and
    releases it at the last."""
    pointer_to(*points[0], "mousedown", button)
    for x, y in points[1:]:
        time.sleep(0.03)
        _run(["xdotool", "mousemove", str(x), str(y)])
    _run(["xdotool", "mouseup", button])


def drag(wid: int, x0: int, y0: int, x1: int, y1: int, steps: int = 10) -> None:
    """Presses the left button at (x0, y0) and releases it at (x1, y1), window-relative."""
    g = geometry(wid)
    drag_path([(g.x + x0 + (x1 - x0) * i // steps, g.y + y0 + (y1 - y0) * i // steps)
               for i in range(steps + 1)])


# ---------------------------------------------------------------- pictures


def screenshot(save_as: str | os.PathLike | None = None) -> Image.Image:
    """The whole screen as an RGB picture."""
    data = subprocess.run(["import", "-window", "root", "png:-"], capture_output=True,
                          timeout=20, check=True).stdout
    image = Image.open(io.BytesIO(data)).convert("RGB")
    if save_as is not None:
        image.save(save_as)
    return image


def window_picture(wid: int) -> Image.Image:
    g = geometry(wid)
    return screenshot().crop((g.x, g.y, g.x + g.width, g.y + g.height))


def hex_colour(rgb: tuple[int, int, int]) -> str:
    return "#{:02X}{:02X}{:02X}".format(*rgb)


def close_colour(a: tuple[int, int, int], b: tuple[int, int, int], tolerance: int = 8) -> bool:
    return all(abs(p - q) <= tolerance for p, q in zip(a, b))


def centre(box: tuple[int, int, int, int]) -> tuple[int, int]:
    return ((box[0] + box[2]) // 2, (box[1] + box[3]) // 2)


def is_uniform(image: Image.Image, box: tuple[int, int, int, int]) -> bool:
    colours = image.crop(box).getcolors(maxcolors=4)
    return colours is not None and len(colours) == 1


# ---------------------------------------------------------------- gamma ramp


@functools.cache
def x11() -> ctypes.CDLL:
    """libX11 with the signatures of the calls made here, for what xdotool cannot do."""
    lib = ctypes.CDLL("libX11.so.6")
    p, ulong, uint, int_ = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_uint, ctypes.c_int
    signatures = {"XOpenDisplay": (p, [ctypes.c_char_p]), "XCloseDisplay": (int_, [p]),
                  "XDefaultScreen": (int_, [p]), "XDefaultRootWindow": (ulong, [p]),
                  "XSync": (int_, [p, int_]), "XSetInputFocus": (int_, [p, ulong, int_, ulong]),
                  "XGetImage": (p, [p, ulong, int_, int_, uint, uint, ulong, int_]),
                  "XGetPixel": (ulong, [p, int_, int_]), "XDestroyImage": (int_, [p])}
    for name, (restype, argtypes) in signatures.items():
        getattr(lib, name).restype = restype
        getattr(lib, name).argtypes = argtypes
    return lib


def open_display() -> int:
    display = x11().XOpenDisplay(os.environ["DISPLAY"].encode())
    if not display:
        raise HarnessError("cannot open the X display")
    return display


class _Gamma:
    """The display's gamma ramp through XF86VidMode, read and written from outside Wine."""

    def __init__(self) -> None:
        self._x11 = x11()
        self._vm = ctypes.CDLL("libXxf86vm.so.1")
        self._vm.XF86VidModeGetGammaRampSize.argtypes = [
            ctypes.c_void_p, ctypes.c_int, ctypes.POINTER(ctypes.c_int)]
        ramp_args = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                     ctypes.c_void_p, ctypes.c_void_p, ctypes.c_void_p]
        self._vm.XF86VidModeGetGammaRamp.argtypes = ramp_args
        self._vm.XF86VidModeSetGammaRamp.argtypes = ramp_args

    def _open(self):
        display = open_display()
        screen = self._x11.XDefaultScreen(display)
        size = ctypes.c_int()
        if not self._vm.XF86VidModeGetGammaRampSize(display, screen, ctypes.byref(size)) \
                or size.value != 256:
            self._x11.XCloseDisplay(display)
            raise HarnessError("the display has no 256-entry gamma ramp (Xvfb instead of Xorg?)")
        return display, screen

    def get(self) -> list[int]:
        """768 entries: red 0-255, green, blue (as GetDeviceGammaRamp lays them out)."""
        display, screen = self._open()
        try:
            tables = [(ctypes.c_ushort * 256)() for _ in range(3)]
            if not self._vm.XF86VidModeGetGammaRamp(display, screen, 256, *tables):
                raise HarnessError("XF86VidModeGetGammaRamp failed")
            return [v for table in tables for v in table]
        finally:
            self._x11.XCloseDisplay(display)

    def set(self, ramp: list[int]) -> None:
        if len(ramp) != 768:
            raise ValueError("a ramp has 768 entries")
        display, screen = self._open()
        try:
            tables = [(ctypes.c_ushort * 256)(*ramp[c * 256:(c + 1) * 256]) for c in range(3)]
            if not self._vm.XF86VidModeSetGammaRamp(display, screen, 256, *tables):
                raise HarnessError("XF86VidModeSetGammaRamp failed")
            self._x11.XSync(display, 0)
        finally:
            self._x11.XCloseDisplay(display)


def focus_reset() -> None:
    """Gives the X keyboard focus back to whatever window the pointer is in, as on a fresh
    display. Without a window manager nobody else does: a focused window whose program is
    killed can leave the focus on nothing, and every key typed afterwards is lost."""
    display = open_display()
    try:
        pointer_root, revert_to_pointer_root, current_time = 1, 1, 0
        x11().XSetInputFocus(display, pointer_root, revert_to_pointer_root, current_time)
        x11().XSync(display, 0)
    finally:
        x11().XCloseDisplay(display)


_gamma: _Gamma | None = None


def _gamma_backend() -> _Gamma:
    global _gamma
    if _gamma is None:
        _gamma = _Gamma()
    return _gamma


IDENTITY_RAMP = [257 * i for i in range(256)] * 3


def gamma_get() -> list[int]:
    return _gamma_backend().get()


def gamma_set(ramp: list[int]) -> None:
    _gamma_backend().set(ramp)


def gamma_reset() -> None:
    gamma_set(IDENTITY_RAMP)


def ramps_match(a: list[int], b: list[int], tolerance: int = 257) -> bool:
    """The server keeps 8 bits per entry, so equal ramps differ by less than 257."""
    return len(a) == len(b) and all(abs(p - q) < tolerance for p, q in zip(a, b))


# ---------------------------------------------------------------- Wine and the program


def _prefix() -> str:
    return os.path.realpath(os.environ["WINEPREFIX"])


def lumora_pids(exe_name: str = "Lumora.exe") -> list[int]:
    """Processes running exe_name in this test run's Wine prefix (not in anyone else's)."""
    pids = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            argv = (entry / "cmdline").read_bytes().split(b"\0")
            environ = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        program = re.split(rb"[\\/]", argv[0])[-1].decode(errors="replace") if argv else ""
        if program.lower() != exe_name.lower():
            continue  # e.g. "explorer /desktop=... Lumora.exe"
        prefixes = [e[len(b"WINEPREFIX="):] for e in environ if e.startswith(b"WINEPREFIX=")]
        if prefixes and os.path.realpath(prefixes[0].decode()) == _prefix():
            pids.append(int(entry.name))
    return pids


def wine_kill() -> None:
    """Ends every Wine process of this prefix, waits for the wineserver to go and sets the clock
    back to the real time (a monotonic clock never goes back while anything runs)."""
    subprocess.run(["wineserver", "-k"], capture_output=True, timeout=30)
    subprocess.run(["wineserver", "-w"], capture_output=True, timeout=30)
    if os.environ.get("LUMORA_CLOCK_FILE"):
        _set_offset(0)


_spare: subprocess.Popen | None = None


def make_spare_prefix() -> None:
    """Starts making a second fresh Wine prefix in the background (wineboot takes seconds), with
    the real clock: a clock set back under a running wineserver would hold it up."""
    global _spare
    env = {k: v for k, v in os.environ.items() if k not in ("WINEPREFIX", "LD_PRELOAD")}
    xenv = Path(__file__).with_name("xenv.sh")
    _spare = subprocess.Popen(
        ["bash", "-c", f'source "{xenv}"; lumora_prefix_prepare >&2 && echo "$WINEPREFIX"; '
         'echo "$WINEDLLOVERRIDES"'], env=env, stdout=subprocess.PIPE, text=True)


def own_display_and_prefix() -> Callable[[], None]:
    """Gives this process a display and a fresh Wine prefix of its own (a further worker of a
    parallel run); returns what ends them."""
    env = {k: v for k, v in os.environ.items() if k not in ("WINEPREFIX", "LD_PRELOAD")}
    xenv = Path(__file__).with_name("xenv.sh")
    out = subprocess.run(
        ["bash", "-c", f'source "{xenv}"; lumora_display_start xorg && lumora_prefix_prepare >&2 '
         '&& echo "$DISPLAY $WINEPREFIX $LUMORA_X_PID $LUMORA_X_LOG"'],
        env=env, stdout=subprocess.PIPE, text=True, timeout=300).stdout.split()
    if len(out) != 4:
        raise HarnessError("no display and Wine prefix of this worker's own could be made")
    os.environ["DISPLAY"], os.environ["WINEPREFIX"], x_pid, x_log = out

    def stop() -> None:
        wine_kill()
        os.kill(int(x_pid), signal.SIGTERM)
        shutil.rmtree(os.environ["WINEPREFIX"], ignore_errors=True)
        Path(x_log).unlink(missing_ok=True)

    return stop


def spare_prefix() -> tuple[str, str]:
    """The second prefix's folder and its WINEDLLOVERRIDES, once it is ready."""
    if _spare is None:
        make_spare_prefix()
    out, _ = _spare.communicate(timeout=300)
    if _spare.returncode != 0:
        raise HarnessError("no second Wine prefix could be made")
    folder, overrides = out.split("\n")[:2]
    return folder, overrides


def probe(*args: str) -> list[dict]:
    """Runs the Win32 probe inside the wineserver; one dict per window it lists."""
    out = _run(["wine", os.environ["LUMORA_PROBE"], *args], timeout=30, check=False)
    rows = []
    for line in out.splitlines():
        f = line.rstrip("\r").split("\t")
        if len(f) < 13:
            continue
        rows.append({
            "hwnd": int(f[0], 16), "parent": int(f[1], 16), "owner": int(f[2], 16),
            "id": int(f[3], 16), "visible": f[4] == "1",
            "rect": (int(f[5]), int(f[6]), int(f[7]), int(f[8])),
            "exstyle": int(f[9], 16), "alpha": int(f[10]), "class": f[11], "title": f[12],
        })
    return rows


def message_boxes(title: str | None = None, *where: str) -> list[dict]:
    """Visible message boxes (#32770), of one title if given; where: the probe's --desktop."""
    return [r for r in probe(*where, "windows") if r["class"] == "#32770" and r["visible"]
            and title in (None, r["title"])]


CONSENT_STORE = (r"HKCU\Software\Microsoft\Windows\CurrentVersion\CapabilityAccessManager"
                 r"\ConsentStore")


def device_use(program: str, stop: int, device: str = "microphone") -> None:
    """Records in the consent store, as the system does, that the desktop program at the Windows
    path `program` uses a device (stop 0) or stopped using it at FILETIME `stop`."""
    key = "\\".join([CONSENT_STORE, device, "NonPackaged", program.replace("\\", "#")])
    _run(["wine", "reg", "add", key, "/v", "LastUsedTimeStop", "/t", "REG_QWORD", "/d", str(stop),
          "/f"])


def run_copy(program: str) -> subprocess.Popen:
    """A copy of the probe running, without a window, from the Windows path `program` (on C:)."""
    target = Path(_prefix(), "drive_c", *program[3:].split("\\"))
    target.parent.mkdir(parents=True, exist_ok=True)
    shutil.copy2(os.environ["LUMORA_PROBE"], target)
    proc = subprocess.Popen(["wine", program, "hold", "7", "0x7A"], stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL, text=True)
    if proc.stdout.readline().strip() != "held":  # Ctrl+Alt+Shift+F11: nobody else's
        raise HarnessError(f"{program} did not start")
    return proc


class Lumora:
    """One copy of the program in its own folder, started plainly or in a Wine desktop."""

    def __init__(self, folder: Path, desktop: bool = False) -> None:
        self.folder = Path(folder)
        self.desktop = desktop
        self.launchers: list[subprocess.Popen] = []

    @staticmethod
    def install(folder: Path, with_monitor: bool = True) -> Path:
        folder = Path(folder)
        folder.mkdir(parents=True, exist_ok=True)
        shutil.copy2(os.environ["LUMORA_EXE"], folder / "Lumora.exe")
        monitor = os.environ.get("LUMORA_MONITOR")
        if with_monitor and monitor:
            shutil.copy2(monitor, folder / "monitor.txt")
        return folder

    def start(self) -> subprocess.Popen:
        if self.desktop:
            args = ["wine", "explorer", f"/desktop={DESKTOP_NAME},{SCREEN_W}x{SCREEN_H}",
                    "Lumora.exe"]
        else:
            args = ["wine", "Lumora.exe"]
        launcher = subprocess.Popen(args, cwd=self.folder, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                    start_new_session=True)
        self.launchers.append(launcher)
        return launcher

    def run(self, config: str | None = None) -> int:
        """Starts the program, with config.ini written first when given; its main window."""
        if config is not None:
            self.write_config(config)
        self.start()
        return self.wait_main_window()

    def wait_main_window(self, timeout: float = 20) -> int:
        return wait_window("Form1", timeout)

    def wait_exit(self, timeout: float = 10) -> None:
        wait_until(lambda: not lumora_pids(), timeout, what="Lumora.exe to end")

    @property
    def config_path(self) -> Path:
        return self.folder / "config.ini"

    def config(self) -> configparser.ConfigParser:
        """config.ini as written (ANSI code page; the keys are ASCII)."""
        parser = configparser.ConfigParser(interpolation=None, strict=False)
        parser.optionxform = str  # keys keep their case
        text = self.config_path.read_bytes().decode("gbk", errors="replace")
        parser.read_string(text)
        return parser

    def stored(self, section: str) -> dict[str, str]:
        """One section of config.ini; empty while there is no file or no such section."""
        if not self.config_path.is_file():
            return {}
        config = self.config()
        return dict(config[section]) if section in config else {}

    def wait_stored(self, section: str, timeout: float = 5, **values: str) -> dict[str, str]:
        """Waits until config.ini holds values in section and returns the section. A panel's OK
        closes the panel before it saves: the file is read until the save lands."""
        def holds():
            stored = self.stored(section)
            return all(stored.get(k) == v for k, v in values.items()) and stored
        try:
            return wait_until(holds, timeout, what=f"config.ini [{section}] to hold {values}")
        except HarnessError as e:
            raise HarnessError(f"{e}; it holds {self.stored(section)}") from None

    def write_config(self, text: str) -> None:
        self.config_path.write_bytes(text.replace("\n", "\r\n").encode("gbk"))

    def stop(self) -> None:
        for pid in lumora_pids():
            try:
                os.kill(pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
        for launcher in self.launchers:
            try:
                launcher.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(launcher.pid, signal.SIGKILL)
                launcher.wait(timeout=5)


# ---------------------------------------------------------------- the clock


def clock_setup(shim: str, folder: Path) -> None:
    """Preloads the clock shifter (clockshift.c) into every Wine process started from here on:
    wall and monotonic clocks, the wineserver's timers and the tick count that time away is
    measured with all run ahead by what move_clock added."""
    os.environ["LUMORA_CLOCK_FILE"] = str(folder / "clock-offset-ms")
    os.environ["LD_PRELOAD"] = str(Path(shim).resolve()) + "/$LIB/clockshift.so"
    _set_offset(0)


def _offset_ms() -> int:
    return int(Path(os.environ["LUMORA_CLOCK_FILE"]).read_text())


def _set_offset(ms: int) -> None:
    part = Path(os.environ["LUMORA_CLOCK_FILE"] + ".part")
    part.write_text(str(ms))
    part.replace(os.environ["LUMORA_CLOCK_FILE"])  # never read half-written


def move_clock(minutes: float) -> None:
    """Moves the program's clocks forward at once, as a machine asleep that long or a person
    away without input; the program sees it on its next timer tick. wine_kill sets them back."""
    _set_offset(_offset_ms() + round(minutes * 60000))
    time.sleep(0.05)  # the shifter reads the file again every 20 ms


def clock_now() -> float:
    """The program's time of day, in seconds since 1970, like time.time()."""
    return time.time() + _offset_ms() / 1000


# ---------------------------------------------------------------- displays


SECOND_DISPLAY = Geometry(SCREEN_W, 0, 1024, 768)  # right of the first
WM_DISPLAYCHANGE = 0x007E


def _xrandr(*args: str, check: bool = True) -> None:
    _run(["xrandr", *args], check=check)


def monitors() -> list[tuple[int, int, int, int]]:
    """The monitors the program would see now (Wine's list): left, top, right, bottom."""
    out = _run(["wine", os.environ["LUMORA_PROBE"], "monitors"], timeout=30, check=False)
    return sorted(tuple(int(v) for v in line.split()[:4]) for line in out.splitlines()
                  if len(line.split()) == 5)


def plug_second_display() -> None:
    """Turns on the dummy driver's second output as a 1024 x 768 display right of the first,
    and waits until Wine lists it."""
    _xrandr("--newmode", "1024x768d", "65.00", "1024", "1048", "1184", "1344", "768", "771",
            "777", "806", "-hsync", "-vsync", check=False)  # kept from an earlier scenario
    _xrandr("--addmode", "DUMMY1", "1024x768d", check=False)
    _xrandr("--output", "DUMMY1", "--mode", "1024x768d", "--right-of", "DUMMY0")
    # A query makes the server probe its outputs again. Wine reads the configuration the server
    # last probed, which on a fresh server does not hold the first output turned on this way.
    _xrandr()
    g = SECOND_DISPLAY
    # The first Wine process after a while starts cold and may take several seconds to answer.
    wait_until(lambda: (g.x, g.y, g.x + g.width, g.y + g.height) in monitors(), 30,
               what="Wine to list the second display")


def unplug_second_display() -> None:
    _xrandr("--output", "DUMMY1", "--off")
    wait_until(lambda: monitors() == [(0, 0, SCREEN_W, SCREEN_H)], 30,
               what="Wine to drop the second display")


@contextlib.contextmanager
def second_display():
    """A second display for the length of the block."""
    plug_second_display()
    try:
        yield SECOND_DISPLAY
    finally:
        _xrandr("--output", "DUMMY1", "--off", check=False)


def announce_display_change() -> None:
    """Sends WM_DISPLAYCHANGE to every top-level window, as Windows does after a display change:
    Wine updates its list of monitors but sends none."""
    lparam = SCREEN_W | SCREEN_H << 16
    _run(["wine", os.environ["LUMORA_PROBE"], "broadcast", str(WM_DISPLAYCHANGE), "24",
          str(lparam)], timeout=30)


# ---------------------------------------------------------------- notification area and taskbar


def _slot_count(image: Image.Image, boxes) -> int:
    count = 0
    for box in boxes:
        if is_uniform(image, box):
            break
        count += 1
    return count


def standalone_tray() -> int | None:
    """Wine's own tray window, shown without a desktop while it holds icons."""
    found = find_windows("Wine System Tray")
    return found[0] if found else None


def tray_icons(desktop: bool) -> list[tuple[int, int]]:
    """Screen centres of the icons in the notification area, found by their pixels."""
    image = screenshot()
    if desktop:
        top = SCREEN_H - TASKBAR_H
        boxes = [(SCREEN_W - (i + 1) * TRAY_SLOT, top, SCREEN_W - i * TRAY_SLOT, SCREEN_H)
                 for i in range(SCREEN_W // (2 * TRAY_SLOT))]
        n = _slot_count(image, boxes)
        return [(b[0] + TRAY_SLOT // 2, b[1] + TRAY_SLOT // 2) for b in boxes[:n]]
    tray = standalone_tray()
    if tray is None:
        return []
    g = geometry(tray)
    boxes = [(g.x + i * TRAY_SLOT, g.y, g.x + (i + 1) * TRAY_SLOT, g.y + TRAY_SLOT)
             for i in range(g.width // TRAY_SLOT)]
    n = _slot_count(image, boxes)
    return [(b[0] + TRAY_SLOT // 2, b[1] + TRAY_SLOT // 2) for b in boxes[:n]]


def wait_icons(count: int = 1, desktop: bool = False, timeout: float = 10):
    return wait_until(lambda: len(tray_icons(desktop)) == count, timeout,
                      what=f"{count} notification icon(s)")


def taskbar_button_titles() -> list[str]:
    """Captions of the windows that have a visible button on the Wine desktop's taskbar."""
    rows = probe("--desktop", DESKTOP_NAME, "windows")
    titles = {row["hwnd"]: row["title"] for row in rows}
    bar = [row["hwnd"] for row in rows if row["class"] == "Shell_TrayWnd"]
    if not bar:
        raise HarnessError("no taskbar in the Wine desktop")
    return [titles.get(row["id"], f"<window {row['id']:#x}>") for row in rows
            if row["parent"] in bar and row["class"] == "Button" and row["visible"]
            and row["id"] != 0]


def click_tray_icon(desktop: bool, button: int = 1, index: int = 0) -> None:
    """Clicks a notification icon; Wine reports the release to the owner's callback."""
    icons = wait_until(lambda: tray_icons(desktop), 10, what="a notification icon")
    click_screen(*icons[index], button=button)


# ---------------------------------------------------------------- pop-up menus


def popup_menus() -> list[dict]:
    """Visible pop-up menus (Win32 class #32768), each an X window of its own; the probe
    gives their screen rectangles."""
    return [row for row in probe("class", "#32768") if row["visible"]]


def wait_popup_menu(timeout: float = 5) -> dict:
    return wait_until(popup_menus, timeout, what="a pop-up menu")[0]


def wait_menus_closed(what: str = "the menu to close") -> None:
    wait_until(lambda: not popup_menus(), 5, what=what)


TRAY_MENU = ["Display", "Tavik:Health: ", "About", "Start with Windows", "Exit"]


def open_tray_menu(button: int = 3, captions: list[str] = TRAY_MENU) -> tuple[dict, dict]:
    """Opens the notification icon's menu: the menu, and where each caption found shows."""
    click_tray_icon(False, button=button)
    menu = wait_popup_menu()
    return menu, dict(menu_entries(menu, captions))


def menu_text_pictures(captions: list[str]) -> list[Image.Image]:
    """Each caption drawn by the probe as a pop-up menu draws an entry (menu font, colours)."""
    out = _run(["wine", os.environ["LUMORA_PROBE"], "menutext", *captions], timeout=30)
    lines = [line.rstrip("\r") for line in out.splitlines()]
    pictures, i = [], 0
    while i < len(lines):
        width, height = map(int, lines[i].split())
        rows = lines[i + 1:i + 1 + height]
        pictures.append(Image.frombytes("RGB", (width, height),
                                        bytes.fromhex("".join(rows))))
        i += 1 + height
    if len(pictures) != len(captions):
        raise HarnessError("the probe drew fewer captions than asked")
    return pictures


def find_picture(image: Image.Image, needle: Image.Image) -> list[tuple[int, int]]:
    """Top-left corners where needle appears pixel for pixel inside image."""
    width, height = image.size
    w, h = needle.size
    rows = [image.crop((0, y, width, y + 1)).tobytes() for y in range(height)]
    wanted = [needle.crop((0, y, w, y + 1)).tobytes() for y in range(h)]
    found = []
    for y0 in range(height - h + 1):
        start = 0
        while (at := rows[y0].find(wanted[0], start)) != -1:
            start = at + 1
            if at % 3 or at // 3 + w > width:
                continue
            x0 = at // 3
            if all(rows[y0 + y][3 * x0:3 * (x0 + w)] == wanted[y] for y in range(1, h)):
                found.append((x0, y0))
    return found


def menu_entries(menu: dict, captions: list[str]) -> list[tuple[str, tuple[int, int]]]:
    """The given captions found in an open pop-up menu, top to bottom, each with the screen
    point at the middle of its text (a caption not shown is left out)."""
    left, top, right, bottom = menu["rect"]
    image = screenshot().crop((left, top, right, bottom))
    hits = []
    for caption, picture in zip(captions, menu_text_pictures(captions)):
        for x, y in find_picture(image, picture):
            hits.append((y, x, caption, picture.size))
    # "About" is also found inside "About APP": keep only hits no longer caption contains.
    def within(a, b):
        return (a is not b and a[0] == b[0] and b[1] <= a[1]
                and a[1] + a[3][0] <= b[1] + b[3][0] and a[3][0] < b[3][0])
    entries = [h for h in hits if not any(within(h, other) for other in hits)]
    return [(caption, (left + x + w // 2, top + y + h // 2))
            for y, x, caption, (w, h) in sorted(entries)]


# ---------------------------------------------------------------- the main window's panels


def settings_panels(wid: int, *where: str):
    """Window-relative rectangles of the settings pop-up, its open sub-panel and the sub-panel's
    visible windows (class, rectangle); None while the pop-up is closed."""
    rows = probe(*where, "windows")
    main = [r["hwnd"] for r in rows if r["class"] == "LumoraForm" and r["title"] == "Form1"]
    panels = [r for r in rows if r["class"] == "LumoraPanel" and r["visible"]]
    g = geometry(wid)

    def relative(r):
        left, top, right, bottom = r["rect"]
        return left - g.x, top - g.y, right - g.x, bottom - g.y

    for popup in [p for p in panels if p["parent"] in main]:
        subs = [s for s in panels if s["parent"] == popup["hwnd"]]
        if subs:
            inside = [r for r in rows if r["parent"] == subs[0]["hwnd"] and r["visible"]]
            return relative(popup), relative(subs[0]), [(r["class"], relative(r)) for r in inside]
    return None


def panel_controls(wid: int, win32_class: str) -> list[tuple[int, int, int, int]]:
    """The open sub-panel's visible windows of one class, top to bottom, left to right."""
    found = wait_until(lambda: settings_panels(wid), 5, what="a panel")[2]
    return sorted((r for c, r in found if c == win32_class), key=lambda r: (r[1], r[0]))


def back_and_ok(wid: int, dpi: int = 96, *where: str) -> tuple[tuple[int, int], tuple[int, int]]:
    """Centres of the open sub-panel's Back and OK (720 twips square), its last row, 120 twips
    above its bottom, at their designed columns (the wider rest panel's further right)."""
    _, (left, _, right, bottom), _ = wait_until(lambda: settings_panels(wid, *where), 5,
                                                what="a panel")
    columns = (3555, 4650) if right - left > 8520 * dpi // 1440 else (3120, 4200)
    y = bottom - (480 * dpi + 720) // 1440
    return tuple((left + (c + 360) * dpi // 1440, y) for c in columns)
