"""The monitors' own brightness over DDC/CI, against a fake dxva2.dll in the prefix's system
folder that plays the monitors of a small file (tests/e2e/fakedxva2.c says how), and a laptop's
panel through WMI, against a fake registered as the WMI locator (tests/e2e/fakewbem.c)."""

import os
import re
import shutil
import subprocess
from pathlib import Path

import pytest

import harness
import test_rest
from test_eyecare import (EYE_SWITCH, PENCIL, colour_panel_open, key, open_colour_panel,
                          press_elsewhere, stored)
from test_startup import command

ID = "was Fake 0"  # by the monitor's name, not the display it is on
PANEL = "Built-in display"
LOCATOR = r"HKEY_LOCAL_MACHINE\Software\Classes\CLSID\{4590F811-1D3A-11D0-891F-00AA004B2E24}"


def build(source: str, out: Path, *libraries: str) -> Path:
    subprocess.run(["i686-w64-mingw32-gcc", "-shared", "-static-libgcc", "-O1", "-Wall", "-Werror",
                    "-Wl,--kill-at", str(Path(__file__).with_name(source)), "-o", str(out),
                    *libraries], check=True)
    return out


@pytest.fixture(scope="module")
def fake_dxva2(tmp_path_factory) -> Path:
    return build("fakedxva2.c", tmp_path_factory.mktemp("fake") / "dxva2.dll")


@pytest.fixture(scope="module")
def fake_wbem(tmp_path_factory) -> Path:
    return build("fakewbem.c", tmp_path_factory.mktemp("fake") / "fakewbem.dll", "-loleaut32",
                 "-lwbemuuid", "-luuid")


def system_folder() -> Path:
    windows = Path(os.environ["WINEPREFIX"]) / "drive_c" / "windows"
    return windows / ("syswow64" if (windows / "syswow64").is_dir() else "system32")


def locator(server: str, tmp_path: Path) -> None:
    """The WMI locator's in-process server, in the registry's view a 32-bit program reads."""
    reg = tmp_path / "locator.reg"
    reg.write_text(f'REGEDIT4\n\n[{LOCATOR}\\InprocServer32]\n@="{server}"\n'
                   '"ThreadingModel"="Both"\n')
    harness._run(["wine", "reg", "import", "Z:" + str(reg).replace("/", "\\"), "/reg:32"], 30)


@pytest.fixture
def wmi(fake_wbem, tmp_path, monkeypatch):
    """The fake registered for the scenario (an updated prefix registers Wine's own again); yields
    its panels' file."""
    shutil.copy2(fake_wbem, system_folder() / "fakewbem.dll")
    locator(r"C:\\windows\\system32\\fakewbem.dll", tmp_path)
    panels = tmp_path / "panels.txt"
    panels.touch()
    monkeypatch.setenv("FAKE_WMI", "Z:" + str(panels).replace("/", "\\"))
    yield panels
    harness.wine_kill()
    locator(r"C:\\windows\\system32\\wbem\\wbemprox.dll", tmp_path)
    assert not re.search("thread|not a BSTR", log(panels)), log(panels)


@pytest.fixture
def ddc(fake_dxva2, tmp_path, monkeypatch):
    """The fake stands in the system folder for the scenario; yields its monitors' file."""
    system = system_folder()
    saved = tmp_path / "dxva2.saved"
    shutil.copy2(system / "dxva2.dll", saved)
    shutil.copy2(fake_dxva2, system / "dxva2.dll")
    monitors = tmp_path / "monitors.txt"
    monkeypatch.setenv("FAKE_DXVA2", "Z:" + str(monitors).replace("/", "\\"))
    monkeypatch.setenv("WINEDLLOVERRIDES", os.environ.get("WINEDLLOVERRIDES", "") + ";dxva2=n,b")
    yield monitors
    harness.wine_kill()
    shutil.copy2(saved, system / "dxva2.dll")
    assert "overlap" not in log(monitors), "two exchanges at once on one monitor"


def text(path: Path | str) -> str:
    return Path(path).read_text(errors="replace") if Path(path).exists() else ""


def log(monitors: Path) -> str:
    return text(f"{monitors}.log")


def value(monitors: Path, n: int = 0) -> int:
    return int(monitors.read_text().splitlines()[n].split()[1])


def wait_value(monitors: Path, *values: int, what: str) -> None:
    """Until the first monitors hold these values."""
    harness.wait_until(lambda: all(value(monitors, n) == v for n, v in enumerate(values)), 8,
                       what=what)


def was(app: harness.Lumora, monitor: str = ID) -> str:
    """The monitor's own value as stored, "" for none (config.ini is swapped whole: a moment
    without it can be seen here)."""
    found = re.search(re.escape(monitor) + r"=(\d+)", harness.wait_until(
        lambda: text(app.config_path), 5, what="config.ini"))
    return found.group(1) if found else ""


def put(monitors: Path, text: str) -> None:
    """Replaces the file in one step: the fake reads it meanwhile."""
    part = monitors.with_suffix(".part")
    part.write_text(text)
    part.replace(monitors)


def test_two_displays_kill_restart_removal_and_eye_care(lumora, ddc):
    # Display 1: a flaky monitor (every 3rd exchange fails) and one that keeps its value whatever
    # it is told; display 2: one that never answers.
    flaky, liar, mute = "1 70 100 0 3 0\n", "1 60 100 0 0 1\n", "2 30 50 0 1 0\n"
    put(ddc, flaky + liar + mute)
    with harness.second_display():
        lumora.run(stored() + "[backlight]\nlevel=40\n")
        wait_value(ddc, 40, what="the stored level")
        harness.wait_until(lambda: "get 0 0\nget 0 1\n" in log(ddc), 5, what="a failure retried")
        assert was(lumora) == "70"
        assert value(ddc, 2) == 30 and "list 2" in log(ddc)
        harness.wait_until(lambda: "Fake 1: the monitor kept 60 instead of 40" in text(
            lumora.folder / "lumora.log"), 5, what="the liar named")

        lumora.stop()  # killed: the monitor keeps 40, its own 70 stays stored
        wid = lumora.run()
        harness.wait_until(lambda: log(ddc).count("set 0 40") == 2, 8, what="the level again")
        lists = log(ddc).count("list 1")
        put(ddc, flaky.replace("1 70", "0 40") + liar + mute)  # unplugged while running
        harness.announce_display_change()
        harness.wait_until(lambda: log(ddc).count("list 1") > lists, 8, what="asked again")
        put(ddc, flaky.replace("70", "100") + liar + mute)  # back, having forgotten
        harness.announce_display_change()
        wait_value(ddc, 40, what="the level sent again")

        harness.click(wid, *EYE_SWITCH)  # off: its own value back, forgotten once back
        wait_value(ddc, 70, what="the monitor's own value")
        harness.wait_until(lambda: not was(lumora), 5, what="forgotten")
        harness.click(wid, *EYE_SWITCH)  # on: stored afresh before the level goes out
        wait_value(ddc, 40, what="the level with eye care on")
        assert was(lumora) == "70"
        assert value(ddc, 2) == 30


def test_slow_monitor_keeps_the_window_answering_and_quick_presses_end_at_the_last(
        lumora_desktop, ddc):
    put(ddc, "1 50 100 1500 0 0\n")
    wid = lumora_desktop.run(stored() + "[backlight]\nlevel=50\n")
    harness.wait_until(lambda: "set 0 50" in log(ddc), 8, what="the stored level sent")
    hold = Path(str(ddc) + ".hold")
    hold.touch()  # the monitor answers nothing more until the panel has opened
    press_elsewhere(*["ctrl+alt+Next"] * 4)
    before = harness.window_picture(wid)
    harness.click(wid, *PENCIL)
    harness.wait_until(lambda: harness.window_picture(wid) != before, 5, what="the panel")
    hold.unlink()
    harness.wait_until(lambda: "set 0 10" in log(ddc), 8, what="the last press")
    assert value(ddc) == 10
    sets = [line for line in log(ddc).splitlines() if line.startswith("set")]
    assert len(sets) <= 3 and sets[-1] == "set 0 10", sets
    assert test_rest.icon_tip().split("\n")[1:] == ["Backlight 10 %"]
    harness.click(wid, 610, 9)  # the close image: the worker ends, every handle destroyed
    lumora_desktop.wait_exit()
    assert log(ddc).splitlines()[-1] == "exit 0 0"


def test_a_hung_monitor_holds_no_exit_and_its_own_value_comes_back_at_the_next_start(lumora, ddc):
    put(ddc, "1 70 100 0 0 0\n")
    wid = lumora.run(stored() + "[backlight]\nlevel=40\n")
    wait_value(ddc, 40, what="the stored level")
    hold = Path(str(ddc) + ".hold")
    hold.touch()  # the monitor hangs inside its next exchange
    harness.click(wid, *EYE_SWITCH)  # off: giving its own value back hangs
    harness.wait_until(lambda: "held 0 1" in log(ddc), 5, what="the give-back in flight")
    harness.click(wid, 610, 9)  # the close image
    lumora.wait_exit()  # a bounded wait for the worker (an exit here takes 4 s unhung), then the end
    assert was(lumora) == "70" and value(ddc) == 40
    lumora.run()  # eye care off, stored by the close: the own value still owed is given back
    hold.unlink()
    wait_value(ddc, 70, what="the monitor's own value")
    harness.wait_until(lambda: not was(lumora), 5, what="forgotten once back")


def test_each_display_its_own_level_from_the_panel_or_by_number_or_name(lumora, ddc):
    put(ddc, "1 70 100 0 0 0\n2 30 50 0 0 0\n")
    with harness.second_display():
        wid = lumora.run(stored() + "[backlight]\nlevel=40\n")
        wait_value(ddc, 40, 20, what="linked")
        open_colour_panel(wid)
        harness.click(wid, 194, 269)  # "Same level on every display" off: a row each
        # The second display's row: its thumb at 40 focused, then five steps to the right.
        harness.click(wid, 164 + 40 * 215 // 100, 314)
        key(*["Right"] * 5)
        wait_value(ddc, 40, 23, what="display 2 alone at 45 %")
        key("Escape")  # Back: both where they were, linked again
        wait_value(ddc, 40, 20, what="display 2 back at 40 %")
        assert command(lumora, "/backlight", "60", "2").returncode == 0  # display 2's number
        assert command(lumora, "/backlight", "10", "Fake", "0").returncode == 0  # its name
        wait_value(ddc, 10, 30, what="each its own")
        assert lumora.stored("backlight")["level Fake 1"] == "60"
        assert command(lumora, "/status").stdout.splitlines()[3:5] == [
            "backlight Fake 0=10", "backlight Fake 1=60"]
        refused = command(lumora, "/backlight", "50", "3")
        assert refused.returncode == 1 and 'No display "3" answers' in refused.stderr
        assert command(lumora, "/backlight", "50").returncode == 0  # every display: linked again
        wait_value(ddc, 50, 25, what="linked again")
        assert "linked" not in lumora.stored("backlight")


def status(app: harness.Lumora) -> list[str]:
    return [line for line in command(app, "/status").stdout.splitlines() if "backlight" in line]


def test_laptop_panel_its_own_keys_eye_care_on_off_and_a_restart(lumora, wmi):
    put(wmi, "1 50 11 -\n")  # at 50, levels 0, 10 ... 100
    wid = lumora.run(stored())  # no level yet: the panel is left alone
    open_colour_panel(wid)
    harness.wait_until(lambda: "backlight=50" in status(lumora), 5, what="the panel's value")
    put(wmi, "1 70 11 -\n")  # the laptop's own keys
    harness.click(wid, *harness.back_and_ok(wid)[0])
    harness.wait_until(lambda: not colour_panel_open(), 5, what="Back to close the panel")
    open_colour_panel(wid)
    harness.wait_until(lambda: status(lumora)[:2] == ["backlight=70", f"backlight {PANEL}=70"], 5,
                       what="the keys' change on the slider")
    assert command(lumora, "/backlight", "43").returncode == 0
    wait_value(wmi, 40, what="the nearest level")
    assert was(lumora, "was " + PANEL) == "70"
    lumora.stop()  # killed: the panel keeps 40, its own 70 stays stored
    wid = lumora.run()
    harness.wait_until(lambda: log(wmi).count("set 40") == 2, 8, what="the level again")
    harness.click(wid, *EYE_SWITCH)  # off: its own value back, not the 40 it held at the start
    wait_value(wmi, 70, what="the panel's own value")
    harness.wait_until(lambda: not was(lumora, "was " + PANEL), 5, what="forgotten")
    harness.click(wid, 610, 9)  # the close image: every WMI object released
    lumora.wait_exit()
    assert log(wmi).splitlines()[-1] == "exit 0"


def test_laptop_panel_beside_a_ddc_monitor_linked_then_separate(lumora, wmi, ddc):
    put(wmi, "1 50 5 -\n")  # levels 0, 25 ... 100
    put(ddc, "1 70 100 0 0 0\n")
    wid = lumora.run(stored() + "[backlight]\nlevel=30\n")
    wait_value(ddc, 30, what="the monitor linked")
    wait_value(wmi, 25, what="the panel linked, at its nearest level")
    open_colour_panel(wid)
    harness.click(wid, 194, 269)  # "Same level on every display" off: a row each
    harness.click(wid, 164 + 30 * 215 // 100, 314)  # the second row (the monitor): 5 steps right
    key(*["Right"] * 5)
    wait_value(ddc, 35, what="the monitor alone")
    assert command(lumora, "/backlight", "80", *PANEL.split()).returncode == 0
    wait_value(wmi, 75, what="the panel alone")
    assert value(ddc) == 35
    assert status(lumora)[1:] == [f"backlight {PANEL}=80", "backlight Fake 0=35"]


@pytest.mark.parametrize("fault", ["exec", "keep"])
def test_laptop_panel_that_fails_the_set(lumora, wmi, fault):
    put(wmi, f"1 50 11 {fault}\n")
    lumora.run(stored() + "[backlight]\nlevel=40\n")
    told = {"exec": "WmiSetBrightness", "keep": "the panel holds 50 instead of 40"}[fault]
    harness.wait_until(lambda: told in text(lumora.folder / "lumora.log"), 8, what="the failure")
    assert value(wmi) == 50


@pytest.mark.parametrize("panels", ["", "0 50 11 -\n", "1 50 11 query\n"],
                         ids=["wine", "inactive", "desktop"])
def test_no_laptop_panel(lumora, wmi, panels):
    put(wmi, panels)
    lumora.run(stored() + "[backlight]\nlevel=40\n")
    refused = command(lumora, "/backlight", "50")
    assert refused.returncode == 1 and "No display answers" in refused.stderr
    assert "set" not in log(wmi)
    # The rest of WMI is Wine's own, through the same locator.
    wmic = subprocess.run(["wine", "wmic", "os", "get", "caption"], capture_output=True, timeout=30)
    assert "Caption" in wmic.stdout.decode("utf-16")
