"""The monitors' own brightness over DDC/CI, against a fake dxva2.dll in the prefix's system
folder that plays the monitors of a small file (display value maximum delay fail every ignore)."""

import os
import shutil
import subprocess
from pathlib import Path

import pytest

import harness
import test_rest
from test_eyecare import open_colour_panel, press_elsewhere, stored

ID = r"\\.\DISPLAY1 Fake 0"


@pytest.fixture
def ddc(lumora_desktop, tmp_path, monkeypatch):
    """Writes the monitors' file; the fake stands in the system folder for the scenario."""
    dll = tmp_path / "dxva2.dll"
    subprocess.run(["i686-w64-mingw32-gcc", "-shared", "-O1", "-Wall", "-Werror", "-Wl,--kill-at",
                    str(Path(__file__).with_name("fakedxva2.c")), "-o", str(dll)], check=True)
    prefix = Path(os.environ["WINEPREFIX"]) / "drive_c" / "windows"
    system = prefix / ("syswow64" if (prefix / "syswow64").is_dir() else "system32")
    saved = tmp_path / "dxva2.saved"
    shutil.copy2(system / "dxva2.dll", saved)
    shutil.copy2(dll, system / "dxva2.dll")
    shutil.copy2(dll, lumora_desktop.folder / "dxva2.dll")  # beside the program: never loaded
    monitors = tmp_path / "monitors.txt"
    monkeypatch.setenv("FAKE_DXVA2", "Z:" + str(monitors).replace("/", "\\"))
    monkeypatch.setenv("WINEDLLOVERRIDES", os.environ.get("WINEDLLOVERRIDES", "") + ";dxva2=n,b")
    yield monitors
    harness.wine_kill()
    shutil.copy2(saved, system / "dxva2.dll")
    log = Path(str(monitors) + ".log").read_text()
    assert "overlap" not in log, "two exchanges at once on one monitor"


def value(monitors: Path, n: int = 0) -> int:
    return int(monitors.read_text().splitlines()[n].split()[1])


def wait_value(monitors: Path, v: int, what: str) -> None:
    harness.wait_until(lambda: value(monitors) == v, 8, what=what)


def test_level_kill_restart_removal_and_eye_care_off(lumora_desktop, ddc):
    # Display 1 holds a flaky monitor (every 3rd exchange fails) and one that never answers.
    ddc.write_text("1 70 100 0 0 3 0\n1 30 50 0 1 0 0\n")
    lumora_desktop.run(stored() + "[backlight]\nlevel=40\n")
    wait_value(ddc, 40, "the stored level")
    assert lumora_desktop.config()["backlight"][ID] == "70"
    assert test_rest.icon_tip().split("\n")[1:] == ["Backlight 40 %"]
    lumora_desktop.stop()  # killed: the monitor keeps 40, its own 70 stays stored
    ddc.write_text("1 40 100 0 0 3 0\n1 30 50 0 1 0 0\n")
    lumora_desktop.run()
    ddc.write_text("1 30 50 0 1 0 0\n")  # unplugged while running, back having forgotten
    harness.announce_display_change()
    ddc.write_text("1 100 100 0 0 3 0\n1 30 50 0 1 0 0\n")
    harness.announce_display_change()
    wait_value(ddc, 40, "the level sent again")
    press_elsewhere("ctrl+alt+End")  # eye care off: its own value back, forgotten once back
    wait_value(ddc, 70, "the monitor's own value")
    harness.wait_until(lambda: ID not in lumora_desktop.config()["backlight"], 5, what="forgotten")
    assert value(ddc, 1) == 30
    assert "list 1" in Path(str(ddc) + ".log").read_text()


def test_slow_monitor_quick_presses_end_at_the_last(lumora_desktop, ddc):
    ddc.write_text("1 50 100 2000 0 0 0\n")
    wid = lumora_desktop.run(stored() + "[backlight]\nlevel=50\n")
    harness.wait_until(lambda: "set 0 50" in Path(str(ddc) + ".log").read_text(), 8, what="sent")
    press_elsewhere(*["ctrl+alt+Next"] * 4)
    open_colour_panel(wid)
    assert value(ddc) != 10, "the panel opened only after the exchanges"
    wait_value(ddc, 10, "the last press")
    sets = [l for l in Path(str(ddc) + ".log").read_text().splitlines() if l.startswith("set")]
    assert len(sets) <= 3 and sets[-1] == "set 0 10", sets
    harness.click(wid, 610, 9)  # the close image: the worker ends, every handle destroyed
    lumora_desktop.wait_exit()
    assert Path(str(ddc) + ".log").read_text().splitlines()[-1] == "exit 0 0"
