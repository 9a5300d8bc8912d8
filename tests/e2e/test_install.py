"""The installer, the uninstaller and the portable zip that scripts/package builds, in a Wine
prefix of their own: what lands on disk and in the registry, and the installed program's
"Start with Windows" item, icon-only start and end on request, driven as a user would."""

import os
import re
import shutil
import subprocess
import zipfile
from functools import cache
from pathlib import Path

import pytest

import harness
from test_eyecare import adjusted  # the ramp eye care sends

SIGN_IN = "Start with Windows"
CLOSE_IMAGE = (610, 9)  # centre of image2
CV = r"HKCU\Software\Microsoft\Windows\CurrentVersion"
UNINSTALL_KEY = CV + r"\Uninstall\Lumora"
RUN_KEY = CV + r"\Run"
APPROVED_KEY = CV + r"\Explorer\StartupApproved\Run"
# Task Manager's mark for a start-up entry the user disabled: 03, then the time of the change.
DISABLED = "03000000" + "5c0a3b7e1c6bdb01"
EYE_CARE_ON = "[eye]\npdrun=1\nliangdu=-20\nduibidu=100\nrgbr=0\nrgbg=0\nrgbb=0\n[night]\non=0\n"


def dist_files() -> tuple[Path, Path, str]:
    dist = os.environ.get("LUMORA_DIST")
    if not dist:
        pytest.skip("LUMORA_DIST (the folder scripts/package writes) is not set")
    setups = sorted(Path(dist).glob("Lumora-Setup-*.exe"))
    assert len(setups) == 1, f"one installer expected in {dist}: {setups}"
    version = re.fullmatch(r"Lumora-Setup-(\d+\.\d+\.\d+)\.exe", setups[0].name).group(1)
    portable = Path(dist) / f"Lumora-{version}-portable.zip"
    assert portable.is_file(), f"no {portable.name} beside {setups[0].name}"
    return setups[0], portable, version


@pytest.fixture(scope="module")
def prefix():
    """A Wine prefix made for this module alone, so that nothing installed earlier is seen."""
    saved = {k: os.environ.get(k) for k in ("WINEPREFIX", "WINEDLLOVERRIDES")}
    harness.wine_kill()
    harness.focus_reset()  # a window of an earlier scenario may have held the keyboard focus
    folder, os.environ["WINEDLLOVERRIDES"] = harness.spare_prefix()
    os.environ["WINEPREFIX"] = folder
    yield Path(folder)
    harness.wine_kill()
    shutil.rmtree(folder, ignore_errors=True)
    for key, value in saved.items():
        if value is None:
            os.environ.pop(key, None)
        else:
            os.environ[key] = value


def wine_path(windows: str) -> Path:
    return Path(subprocess.run(["winepath", "-u", windows], capture_output=True, text=True,
                               timeout=30, check=True).stdout.strip())


def wine_env(name: str) -> str:
    out = subprocess.run(["wine", "cmd", "/c", "echo", f"%{name}%"], capture_output=True,
                         text=True, timeout=30, check=True).stdout
    return out.strip()


def reg_values(key: str) -> dict[str, tuple[str, str]] | None:
    """name -> (type, data) of a registry key's values, or None when the key does not exist."""
    proc = subprocess.run(["wine", "reg", "query", key], capture_output=True, text=True,
                          errors="replace", timeout=30)
    if proc.returncode != 0:
        return None
    values = {}
    for line in proc.stdout.splitlines():
        m = re.match(r"^    (.+?)    (REG_\w+)    ?(.*?)\r?$", line)
        if m:
            values[m.group(1)] = (m.group(2), m.group(3))
    return values


def reg_value(key: str, name: str) -> str | None:
    found = (reg_values(key) or {}).get(name)
    return found[1] if found else None


def run_installer(setup: Path, cwd: Path) -> None:
    proc = subprocess.run(["wine", str(setup), "/S"], cwd=cwd, capture_output=True, timeout=120)
    assert proc.returncode == 0, proc


def launch(program: str, *args: str, cwd: Path) -> subprocess.Popen:
    """Starts the program by its full Windows path from another working directory, as the
    sign-in entry and the Start-menu shortcut do."""
    return subprocess.Popen(["wine", program, *args], cwd=cwd, stdin=subprocess.DEVNULL,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                            start_new_session=True)


def wait_exit(timeout: float = 20) -> None:
    harness.wait_until(lambda: not harness.lumora_pids(), timeout, interval=0.3,
                       what="Lumora.exe to end")


@cache
def sign_in_caption_width() -> int:
    return harness.menu_text_pictures([SIGN_IN])[0].width


def sign_in_checked(menu: dict, entry: tuple[int, int]) -> bool:
    """Whether a check mark is drawn in the margin left of the item's caption."""
    text_left = entry[0] - sign_in_caption_width() // 2
    box = (menu["rect"][0] + 2, entry[1] - 6, text_left - 1, entry[1] + 6)
    return not harness.is_uniform(harness.screenshot(), box)


def toggle_sign_in(expect_checked: bool) -> None:
    menu, entries = harness.open_tray_menu()
    assert sign_in_checked(menu, entries[SIGN_IN]) == expect_checked
    harness.click_screen(*entries[SIGN_IN])
    harness.wait_menus_closed()


def main_windows_mapped() -> list[int]:
    return [w for w in harness.find_windows("Form1", visible_only=False) if harness.is_mapped(w)]


def test_install_use_update_and_uninstall(prefix, tmp_path):
    setup, portable, version = dist_files()
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    harness.gamma_reset()

    # A silent installation into the user's local programs folder.
    run_installer(setup, elsewhere)
    folder_win = wine_env("LOCALAPPDATA") + r"\Programs\Lumora"
    folder = wine_path(folder_win)
    exe = folder_win + r"\Lumora.exe"
    assert sorted(p.name for p in folder.iterdir()) == ["Lumora.exe", "monitor.txt",
                                                       "uninstall.exe"]
    with zipfile.ZipFile(portable) as z:
        assert (folder / "Lumora.exe").read_bytes() == z.read("Lumora.exe")
    shortcut = wine_path(wine_env("APPDATA") +
                         r"\Microsoft\Windows\Start Menu\Programs\Lumora.lnk")
    assert shortcut.is_file()
    entry = reg_values(UNINSTALL_KEY)
    assert entry is not None, "no uninstall entry"
    size_kib = sum(p.stat().st_size for p in folder.iterdir()) // 1024
    assert {k: v for k, v in entry.items() if k != "EstimatedSize"} == {
        "DisplayName": ("REG_SZ", "Lumora"),
        "DisplayVersion": ("REG_SZ", version),
        "Publisher": ("REG_SZ", "Tavik"),
        "DisplayIcon": ("REG_SZ", exe + ",0"),
        "InstallLocation": ("REG_SZ", folder_win),
        "UninstallString": ("REG_SZ", f'"{folder_win}\\uninstall.exe"'),
        "QuietUninstallString": ("REG_SZ", f'"{folder_win}\\uninstall.exe" /S'),
        "NoModify": ("REG_DWORD", "0x1"),
        "NoRepair": ("REG_DWORD", "0x1"),
    }
    assert entry["EstimatedSize"][0] == "REG_DWORD"
    assert abs(int(entry["EstimatedSize"][1], 16) - size_kib) <= 3, (entry, size_kib)
    assert reg_value(RUN_KEY, "Lumora") == f'"{exe}" /tray'

    # The installed program starts; its menu shows the sign-in entry the installer wrote.
    launch(exe, cwd=elsewhere)
    harness.wait_until(main_windows_mapped, 20, what="the main window")
    harness.wait_icons(timeout=15)
    toggle_sign_in(expect_checked=True)
    harness.wait_until(lambda: reg_value(RUN_KEY, "Lumora") is None, 5,
                       what="unticking to remove the Run value")
    toggle_sign_in(expect_checked=False)
    harness.wait_until(lambda: reg_value(RUN_KEY, "Lumora") == f'"{exe}" /tray', 5,
                       what="ticking to write the Run value")
    # Disabled in Task Manager: shown unticked; ticking enables it again.
    subprocess.run(["wine", "reg", "add", APPROVED_KEY, "/v", "Lumora", "/t", "REG_BINARY",
                    "/d", DISABLED, "/f"], capture_output=True, timeout=30, check=True)
    toggle_sign_in(expect_checked=False)
    harness.wait_until(lambda: reg_value(APPROVED_KEY, "Lumora") is None, 5,
                       what="ticking to lift the disable")
    assert reg_value(RUN_KEY, "Lumora") == f'"{exe}" /tray'
    menu, entries = harness.open_tray_menu()
    assert sign_in_checked(menu, entries[SIGN_IN])
    subprocess.run(["xdotool", "key", "Escape"], check=True, timeout=10)
    harness.wait_menus_closed("Escape to close the menu")

    # Installing again while it runs ends it as a session's end does: it saves its settings
    # after a section it does not own, and the update keeps the file.
    (folder / "config.ini").write_bytes(b"[mine]\r\nkeep=1\r\n")
    run_installer(setup, elsewhere)
    wait_exit(timeout=5)
    assert (folder / "config.ini").read_bytes().startswith(b"[mine]\r\nkeep=1\r\n[dsxx]\r\nmei=45")
    (folder / "config.ini").write_bytes(EYE_CARE_ON.replace("\n", "\r\n").encode())
    harness.wait_icons(0, timeout=5)

    # The sign-in start: the icon only, yet the load step has applied the stored eye care.
    launch(exe, "/tray", cwd=elsewhere)
    harness.wait_icons(timeout=15)
    harness.wait_until(lambda: harness.ramps_match(harness.gamma_get(), adjusted(-20)),
                       10, what="eye care to be applied without the window")
    assert harness.find_windows("Form1", visible_only=False), "the main window is loaded"
    assert main_windows_mapped() == []
    menu, entries = harness.open_tray_menu()
    harness.click_screen(*entries["Display"])
    harness.wait_until(main_windows_mapped, 5, what="Display to show the main window")

    # The quiet uninstaller, run while Lumora runs and with a disable left in Task Manager,
    # leaves nothing behind.
    subprocess.run(["wine", "reg", "add", APPROVED_KEY, "/v", "Lumora", "/t", "REG_BINARY",
                    "/d", DISABLED, "/f"], capture_output=True, timeout=30, check=True)
    quiet = entry["QuietUninstallString"][1]
    program, argument = re.fullmatch(r'"([^"]+)" (/S)', quiet).groups()
    subprocess.run(["wine", program, argument], cwd=elsewhere, capture_output=True, timeout=60)
    # It runs on from a copy of itself; the uninstall entry is the last thing it removes.
    harness.wait_until(lambda: reg_values(UNINSTALL_KEY) is None, 30, interval=0.5,
                       what="the uninstaller to finish")
    wait_exit(timeout=5)
    assert harness.ramps_match(harness.gamma_get(), harness.IDENTITY_RAMP), "default ramp back"
    assert not folder.exists()
    assert not shortcut.exists()
    assert reg_value(RUN_KEY, "Lumora") is None
    assert reg_value(APPROVED_KEY, "Lumora") is None
    assert list(elsewhere.iterdir()) == []


def test_portable_zip_runs_from_its_own_folder(prefix, tmp_path):
    _, portable, version = dist_files()
    with zipfile.ZipFile(portable) as z:
        assert sorted(z.namelist()) == ["Lumora.exe", "README.txt", "monitor.txt"]
        assert f"Lumora {version}" in z.read("README.txt").decode()
        z.extractall(tmp_path / "Portable Lumora")
    folder = tmp_path / "Portable Lumora"
    (folder / "config.ini").write_bytes(EYE_CARE_ON.replace("\n", "\r\n").encode())
    elsewhere = tmp_path / "elsewhere"
    elsewhere.mkdir()
    harness.gamma_reset()

    exe = subprocess.run(["winepath", "-w", str(folder / "Lumora.exe")], capture_output=True,
                         text=True, timeout=30, check=True).stdout.strip()
    launch(exe, cwd=elsewhere)
    wid = harness.wait_until(main_windows_mapped, 20, what="the main window")[0]
    # Stored eye care on top of monitor.txt: both were found beside the program.
    harness.wait_until(lambda: harness.ramps_match(harness.gamma_get(), adjusted(-20)),
                       10, what="the stored eye care")
    assert not harness.message_boxes()
    harness.click(wid, *CLOSE_IMAGE)
    wait_exit()
    assert "[dsxx]" in (folder / "config.ini").read_text(errors="replace")
    assert list(elsewhere.iterdir()) == []



def test_a_folder_holding_other_files_gets_its_own_and_a_portable_sign_in_entry_stays(prefix,
                                                                                     tmp_path):
    setup, _, _ = dist_files()
    chosen = tmp_path / "Mes Réglages 設定"
    chosen.mkdir()
    (chosen / "notes.txt").write_text("mine")
    win = [subprocess.run(["winepath", "-w", str(p)], capture_output=True, text=True, timeout=30,
                          check=True).stdout.strip() for p in (setup, chosen)]
    # /D= takes the rest of the command line as typed, spaces and all, as cmd passes it on.
    subprocess.run(["wine", "cmd", "/c", f"{win[0]} /S /D={win[1]}"], cwd=tmp_path,
                   capture_output=True, timeout=120, check=True)
    assert sorted(p.name for p in chosen.iterdir()) == ["Lumora", "notes.txt"]
    exe = win[1] + r"\Lumora\Lumora.exe"
    launch(exe, cwd=tmp_path)  # and it runs from there
    harness.click(harness.wait_until(main_windows_mapped, 20, what="the main window")[0],
                  *CLOSE_IMAGE)
    wait_exit()

    # A portable copy signed in since: the uninstaller leaves its entry and its disable alone.
    portable = r'"C:\Portable Lumora\Lumora.exe" /tray'
    for key, kind, data in ((RUN_KEY, "REG_SZ", portable), (APPROVED_KEY, "REG_BINARY", DISABLED)):
        subprocess.run(["wine", "reg", "add", key, "/v", "Lumora", "/t", kind, "/d", data, "/f"],
                       capture_output=True, timeout=30, check=True)
    subprocess.run(["wine", exe.replace("Lumora.exe", "uninstall.exe"), "/S"], cwd=tmp_path,
                   capture_output=True, timeout=60)
    harness.wait_until(lambda: reg_values(UNINSTALL_KEY) is None, 30, interval=0.5,
                       what="the uninstaller to finish")
    assert (reg_value(RUN_KEY, "Lumora"), reg_value(APPROVED_KEY, "Lumora").lower()) == (
        portable, DISABLED)
    assert sorted(p.name for p in chosen.iterdir()) == ["notes.txt"]
