"""Start-up, the single instance, the notification icon and the close image, driven as a
user would and observed from outside the program."""

import random
import subprocess
import tempfile
import time

import pytest

import harness
from test_eyecare import answer_tips

MAIN_W, MAIN_H = 641, 315
CLOSE_IMAGE = (610, 9)  # centre of image2 (x 586..634, y 0..18)


class TestStartup:
    def test_main_window_is_centred_with_an_icon_and_no_taskbar_button(self, lumora_any):
        lumora_any.start()
        wid = lumora_any.wait_main_window()
        g = harness.geometry(wid)
        assert (g.width, g.height) == (MAIN_W, MAIN_H)
        assert abs(g.x - (harness.SCREEN_W - g.width) / 2) <= 1, g  # centred
        assert abs(g.y - (harness.SCREEN_H - g.height) / 2) <= 1, g
        harness.wait_icons(1, lumora_any.desktop)
        if lumora_any.desktop:
            titles = harness.taskbar_button_titles()
            assert "Form1" not in titles and "Form3" not in titles, titles
        else:
            assert "_NET_WM_STATE_SKIP_TASKBAR" in harness.net_wm_state(wid)
            # The tray form exists but never shows.
            assert harness.find_windows("Form3") == []

    def test_start_keeps_the_display_ramp_when_eye_care_is_off(self, lumora):
        # A ramp left by an earlier run must survive a start with eye care off.
        ramp = [min(65535, 3000 + i * 180) for i in range(256)] * 3
        harness.gamma_set(ramp)
        lumora.start()
        lumora.wait_main_window()
        time.sleep(1)
        assert harness.ramps_match(harness.gamma_get(), ramp)


UTF8_MARK = b"\xef\xbb\xbf"
# Settings files as people leave them; each is the bytes of config.ini, or None for a folder of
# that name. The rest settings come first, where a byte-order mark would hide them.
WORST_FILES = {
    "utf8-mark": UTF8_MARK + b"[dsxx]\r\nmei=30\r\nxiuxi=7\r\n[mine]\r\nk=v\r\n",
    "utf8-mark-5mb": UTF8_MARK + b"[dsxx]\nmei=30\nxiuxi=7\n[mine]\n"
    + b"".join(b"k%d=%s\n" % (i, b"x" * 64) for i in range(76000)),
    "garbage": random.Random(7).randbytes(65536),
    "folder": None,
}


class TestDamagedSettings:
    @pytest.mark.parametrize("name", WORST_FILES)
    def test_starts_keeps_the_ramp_and_saves_without_loss_or_reports(self, lumora, name):
        content = WORST_FILES[name]
        if content is None:
            lumora.config_path.mkdir()
        else:
            lumora.config_path.write_bytes(content)
        ramp = [min(65535, 2000 + i * 200) for i in range(256)] * 3
        harness.gamma_set(ramp)
        lumora.start()
        wid = lumora.wait_main_window(timeout=30)
        time.sleep(1)
        assert harness.ramps_match(harness.gamma_get(), ramp)

        harness.click(wid, *CLOSE_IMAGE)
        if content is None:
            # One message names the file; after it the program ends without another.
            box = harness.wait_window("Lumora", timeout=10)
            subprocess.run(["xdotool", "key", "--window", str(box), "Return"], check=True,
                           timeout=10)
            lumora.wait_exit(timeout=10)
            assert lumora.config_path.is_dir()
            return
        lumora.wait_exit(timeout=20)
        saved = lumora.config_path.read_bytes()
        assert b"mei=" in saved and b"liangdu=0" in saved
        if content.startswith(UTF8_MARK):
            # Read through the mark, saved back as they were, with the user's own section.
            assert saved.startswith(UTF8_MARK + b"[dsxx]")
            assert b"mei=30" in saved and b"xiuxi=7" in saved
            assert content[content.index(b"[mine]"):] in saved


class TestSingleInstance:
    def test_second_start_ends_and_leaves_one_window_and_icon(self, lumora_any):
        desktop = lumora_any.desktop
        lumora_any.start()
        lumora_any.wait_main_window()
        harness.wait_icons(1, desktop)
        first = harness.lumora_pids()
        assert len(first) == 1

        lumora_any.start()
        # The second copy must appear and then go away on its own.
        harness.wait_until(lambda: len(harness.lumora_pids()) == 1
                           and lumora_any.launchers[-1].poll() is not None, 8,
                           what="the second copy to end")
        assert harness.lumora_pids() == first
        time.sleep(1)
        assert len(harness.find_windows("Form1")) == 1
        assert len(harness.tray_icons(desktop)) == 1


class TestCloseImage:
    def test_close_saves_all_settings_and_removes_the_icon(self, lumora_any):
        desktop = lumora_any.desktop
        assert not lumora_any.config_path.exists()
        lumora_any.start()
        wid = lumora_any.wait_main_window()
        harness.wait_icons(1, desktop)

        harness.click(wid, *CLOSE_IMAGE)
        lumora_any.wait_exit(timeout=10)
        if desktop:
            # The desktop outlives the program; its notification area must be empty.
            assert harness.tray_icons(desktop=True) == []
        else:
            harness.wait_icons(0)

        config = lumora_any.config()
        assert dict(config["dsxx"]) == {"mei": "45", "xiuxi": "5", "pdrun": "1"}
        assert dict(config["eye"]) == {
            "liangdu": "0", "duibidu": "100", "rgbr": "0", "rgbg": "0", "rgbb": "0"}


def command(lumora, *args: str) -> subprocess.CompletedProcess:
    """Lumora.exe started with a command, as a script does, its output piped. Its errors go to a
    file: every Wine process keeps the Unix stderr it was started with, a copy it starts too."""
    with tempfile.TemporaryFile("w+") as errors:
        done = subprocess.run(["wine", "Lumora.exe", *args], cwd=lumora.folder, stdout=subprocess.PIPE,
                              stderr=errors, text=True, timeout=30, stdin=subprocess.DEVNULL)
        errors.seek(0)
        done.stderr = errors.read()
    return done


class TestCommandLine:
    def test_commands_drive_the_running_copy_and_bad_ones_change_nothing(self, lumora):
        lumora.run("[night]\non=0\n")
        first = harness.lumora_pids()
        done = command(lumora, "/Brightness", "-20")  # eye care was off: switched on first
        assert done.returncode == 0, done.stderr
        assert harness.ramps_match(harness.gamma_get(),
                                   [i * 257 * 4 // 5 for i in range(256)] * 3)
        assert lumora.config()["eye"]["pdrun"] == "1"
        assert lumora.config()["eye"]["liangdu"] == "-20"

        saved, ramp = lumora.config_path.read_bytes(), harness.gamma_get()
        for args, code, says in [(["/brightness", "51"], 2, "-50 to 50"),
                                 (["-pause", "0"], 2, "1 to 1440"),
                                 (["/backlight", "40"], 1, "No display answers DDC/CI")]:
            refused = command(lumora, *args)
            assert (refused.returncode, refused.stdout) == (code, "")
            assert says in refused.stderr
        assert lumora.config_path.read_bytes() == saved and harness.gamma_get() == ramp

        for args in (["/nightlight", "ON"], ["/pause", "30"], ["/rest"]):
            assert command(lumora, *args).returncode == 0
        assert lumora.config()["night"]["on"] == "1"
        assert harness.wait_window("Form3", 5)
        status = command(lumora, "-status")
        lines = status.stdout.splitlines()
        assert status.returncode == 0 and lines[:4] == [
            "eyecare=on", "brightness=-20", "backlight=none", "nightlight=on"]
        assert lines[6:8] == ["hours=always",
                              "paused_until=" + lumora.config()["dsxx"]["paused_until"]]

        brighter = command(lumora, "/brightness", "5")  # Wine takes no ramp that lifts black
        assert brighter.returncode == 1 and "did not accept" in brighter.stderr
        assert harness.gamma_get() == ramp

        assert command(lumora, "/eyecare", "off").returncode == 0
        assert harness.ramps_match(harness.gamma_get(), [i * 257 for i in range(256)] * 3)
        assert lumora.config()["eye"]["pdrun"] == "0"
        assert harness.lumora_pids() == first

    def test_a_command_waits_for_the_settings_and_tells_what_was_not_saved(self, lumora):
        (lumora.folder / "monitor.txt").unlink()  # eye care on: a box while the settings load
        until = time.strftime("%Y-%m-%d %H:%M", time.localtime(time.time() + 3600))
        lumora.write_config(f"[eye]\npdrun=1\n[night]\non=0\n[dsxx]\npaused_until={until}\n")
        lumora.start()
        harness.wait_window("tips")
        status = subprocess.Popen(["wine", "Lumora.exe", "/status"], cwd=lumora.folder,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        time.sleep(2)
        assert status.poll() is None  # waits for the box
        answer_tips()
        assert f"paused_until={until}" in status.communicate(timeout=20)[0].splitlines()
        assert command(lumora, "/resume").returncode == 0
        assert "paused_until" not in lumora.stored("dsxx")

        lumora.config_path.chmod(0o444)
        saved = lumora.config_path.read_bytes()
        paused = command(lumora, "/pause", "30")
        assert paused.returncode == 1 and "not saved" in paused.stderr, paused.stderr
        harness.wait_until(lambda: harness.message_boxes("Lumora"), 5, what="the box after it")
        status = command(lumora, "/status").stdout
        assert "\npaused_until=20" in status and lumora.config_path.read_bytes() == saved

    def test_a_command_with_no_copy_running_starts_one_with_its_icon_only(self, lumora):
        lumora.write_config("[night]\non=0\n")
        status = command(lumora, "/nightlight", "on", "/tray")
        assert status.returncode == 0, status.stderr
        assert lumora.config()["night"]["on"] == "1"
        assert len(harness.lumora_pids()) == 1
        assert harness.find_windows("Form1") == []
        assert command(lumora, "/status").stdout.splitlines()[3] == "nightlight=on"
        assert len(harness.lumora_pids()) == 1
