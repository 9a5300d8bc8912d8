"""Eye care end to end: the stored adjustment at start, live slider changes, switching off
to the default ramp, the warning without monitor.txt, and OK storing the five values.
The display's ramp is read from the X server (8 bits per entry, so within 257)."""

import subprocess
import time
from pathlib import Path

import pytest

import harness

EYE_SWITCH = (183, 283)  # centre of SafeSwitch1 (144..222, 272..295)
PENCIL = (266, 74)  # centre of edit(0)
SUB_PANEL = (15, 67)  # the colour sub-panel inside the pop-up
SLIDER1 = (SUB_PANEL[0] + 93, SUB_PANEL[1] + 39, 169, 17)  # left, top, width, height
SLIDER2_TOP_THUMB = (SUB_PANEL[0] + 93 + 161 - 9, SUB_PANEL[1] + 87 + 8)  # Slider2's thumb at 100
BLUE = (556, 162)  # a point on the channel of Slider3(2), window (356..589, 154..171)

STATUS_RED = (0xC0, 0x00, 0x00)
MISSING_RAMP = ("Not found the default data file, can only be restored to the state "
                "before the adjustment!")
# A ramp a display could hold from an earlier run: not the identity of monitor.txt.
EARLIER_RAMP = [min(65535, 3000 + i * 180) for i in range(256)] * 3


def stored(liangdu=0, duibidu=100, rgbr=0, rgbg=0, rgbb=0, pdrun=1, night="on=0") -> str:
    return (f"[eye]\npdrun={pdrun}\nliangdu={liangdu}\nduibidu={duibidu}\n"
            f"rgbr={rgbr}\nrgbg={rgbg}\nrgbb={rgbb}\n[night]\n{night}\n")


def level(a: int, v: int) -> int:
    """The brightness formula on one entry (a halves-to-even rounding, as the program)."""
    if a < 0:
        return round((100 - abs(a)) * v / 100)
    if a > 0:
        return 65535 - round((100 - a) * (65535 - v) / 100)
    return v


def contrast(k: int, v: int) -> int:
    """The contrast formula on one entry; the upper half stays in the upper half."""
    s = v if v < 32768 else v - 65536
    t = round(s * k / 100)
    if s < 0 and t >= 0:
        t = -1
    return t + 65536 if t < 0 else t


def adjusted(b: int = 0, k: int = 100, rgb: tuple[int, int, int] = (0, 0, 0)) -> list[int]:
    """The identity ramp through brightness, then contrast, then each channel's balance."""
    return [level(rgb[n // 256], contrast(k, level(b, v)))
            for n, v in enumerate(harness.IDENTITY_RAMP)]


def wait_ramp(expected: list[int], what: str, timeout: float = 5) -> None:
    harness.wait_until(lambda: harness.ramps_match(harness.gamma_get(), expected), timeout,
                       what=what)


def thumb_x(value: int) -> int:
    """Window x of Slider1's thumb centre for a value in -50..50 (channel 117..268)."""
    return 117 + (value + 50) * 151 // 100


def key(*names: str) -> None:
    subprocess.run(["xdotool", "key", "--delay", "60", *names], check=True, timeout=20)


def open_colour_panel(wid: int) -> None:
    harness.click(wid, *PENCIL)
    harness.wait_until(lambda: colour_panel_open(), 5, what="the colour sub-panel")


def common_controls_loaded() -> bool:
    pid, = harness.lumora_pids()
    return "comctl32" in Path(f"/proc/{pid}/maps").read_text().lower()


def colour_panel_open() -> bool:
    return any(r["class"] == "msctls_trackbar32" and r["visible"]
               for r in harness.probe("windows"))


def status_lines(wid: int) -> int:
    """Lines of red text in the colour panel's status row: across the panel, between the button
    of the row above it and Back and OK below it."""
    button, = harness.panel_controls(wid, "Button")
    (_, back_y), _ = harness.back_and_ok(wid)
    _, panel, _ = harness.settings_panels(wid)
    image = harness.window_picture(wid)
    rows = [y for y in range(button[3], back_y - 24)
            if any(harness.close_colour(image.getpixel((x, y)), STATUS_RED, 40)
                   for x in range(panel[0] + 29, panel[2]))]
    return sum(1 for i, y in enumerate(rows) if i == 0 or rows[i - 1] != y - 1)


def damaged(fault: str) -> str:
    return (f"The default data file monitor.txt is damaged ({fault}), can only be restored to "
            "the state before the adjustment!")


def answer_tips(text: str = MISSING_RAMP, title: str = "tips") -> None:
    """Checks the one warning box and presses its OK button."""
    box = harness.wait_until(lambda: harness.message_boxes(title), 5, what=f'the "{title}" box')
    assert len(box) == 1, box
    rows = harness.probe("windows")
    children = [r for r in rows if r["parent"] == box[0]["hwnd"] and r["visible"]]
    assert text in [r["title"] for r in children if r["class"] == "Static"], children
    buttons = [r for r in children if r["class"] == "Button"]
    assert [b["title"] for b in buttons] == ["OK"], buttons
    left, top, right, bottom = buttons[0]["rect"]
    harness.click_screen((left + right) // 2, (top + bottom) // 2)
    harness.wait_until(lambda: not harness.message_boxes(title), 5,
                       what=f'the "{title}" box to close')


def night(start: int, fade: int) -> str:
    at = [time.localtime(time.time() + m * 60) for m in (start, 120)]
    return f"night=3400\nfade={fade}\nfrom={at[0].tm_hour:02}:{at[0].tm_min:02}\nto={at[1].tm_hour:02}:{at[1].tm_min:02}"


class TestNightLight:
    # Top of red and blue in full scale: 3400 K, halfway, by day (-20 alone), eye care off.
    @pytest.mark.parametrize("liangdu, pdrun, start_min, fade, red, blue", [
        (0, 1, -60, 0, 1, (0.45, 0.6)), (0, 1, -15, 30, 1, (0.65, 0.8)),
        (-20, 1, 60, 0, 0.8, (0.79, 0.81)), (-20, 0, -60, 0, 1, (0.99, 1))])
    def test_the_screen_follows_the_night(self, lumora, liangdu, pdrun, start_min, fade, red, blue):
        lumora.run(stored(liangdu=liangdu, pdrun=pdrun, night=night(start_min, fade)))
        def shown():
            t = [harness.gamma_get()[c * 256 + 255] / 65535 for c in range(3)]
            return blue[0] < t[2] <= blue[1] and t[2] <= t[1] <= t[0] and abs(t[0] - red) < 0.01
        harness.wait_until(shown, 10, what=f"red about {red}, blue in {blue}, green between")
        time.sleep(1)  # and nothing else follows
        assert shown()

    def test_a_night_typed_in_the_colour_panel_warms_the_screen(self, lumora):
        wid = lumora.run(stored())  # night light off
        open_colour_panel(wid)
        at = [time.strftime("%H:%M", time.localtime(harness.clock_now() + m)) for m in (-3600, 3600)]
        harness.click(wid, *harness.centre(harness.panel_controls(wid, "LumoraSwitch")[0]))
        harness.click(wid, *harness.centre(harness.panel_controls(wid, "Edit")[0]))
        for text in at:  # From, then Tab to To
            harness.keys("End", *["BackSpace"] * 5)
            harness.type_text(text + "\t")
        harness.click(wid, *harness.back_and_ok(wid)[1])
        harness.wait_until(lambda: (t := harness.gamma_get())[767] < t[511] < t[255], 10, what="warm")
        assert [lumora.config()["night"][k] for k in ("on", "from", "to")] == ["1", *at]

    def test_dim_and_blue_is_sent_inside_the_limit_and_says_so(self, lumora):
        wid = lumora.run(stored(liangdu=-30, rgbb=-30))
        harness.wait_until(lambda: harness.gamma_get()[255] < 60000, 10, what="a dimmed ramp")
        ramp = harness.gamma_get()
        assert all(abs((v >> 8) - n % 256) <= 128 for n, v in enumerate(ramp))
        assert ramp[767] < ramp[255] < 0.8 * 65535
        open_colour_panel(wid)
        harness.wait_until(lambda: status_lines(wid) == 1, 5, what="the limit's line")


class TestTwoDisplays:
    def test_a_stored_adjustment_and_every_move_reach_both_displays(self, lumora):
        # Wine keeps one ramp for the whole X screen, so the two cannot be told apart here; what
        # shows is that each display's own context takes every ramp: no refusal line.
        with harness.second_display():
            wid = lumora.run(stored(liangdu=-20))
            wait_ramp(adjusted(-20), "the stored brightness")
            open_colour_panel(wid)
            harness.click(wid, thumb_x(-20), SLIDER1[1] + SLIDER1[3] // 2)
            key("Left", "Left")
            wait_ramp(adjusted(-22), "brightness -22")
            assert status_lines(wid) == 0


class TestSliders:
    def test_moving_the_brightness_slider_changes_the_ramp_live(self, lumora):
        wid = lumora.run(stored(liangdu=-20))
        wait_ramp(adjusted(-20), "the stored brightness")
        # The common controls load with the first slider shown, not at start.
        assert not common_controls_loaded()
        open_colour_panel(wid)
        assert common_controls_loaded()
        g = harness.geometry(wid)
        y = g.y + SLIDER1[1] + SLIDER1[3] // 2

        # Drag the thumb left: the ramp follows while the button is still down.
        harness.pointer_to(g.x + thumb_x(-20), y, "mousedown", "1")
        for x in range(thumb_x(-20), thumb_x(-20) - 30, -5):
            subprocess.run(["xdotool", "mousemove", str(g.x + x), str(y)], check=True,
                           timeout=10)
        harness.wait_until(lambda: harness.gamma_get()[128] < adjusted(-28)[128] - 257, 5,
                           what="the ramp to darken during the drag")
        subprocess.run(["xdotool", "mousemove", str(g.x + SLIDER1[0] - 40), str(y),
                        "mouseup", "1"], check=True, timeout=10)
        wait_ramp(adjusted(-50), "the ramp for the thumb dragged to the left end")

        # Keys act on the slider the drag left focused.
        key(*["Right"] * 5)
        wait_ramp(adjusted(-45), "the ramp after five steps right")
        # A click in the channel right of the thumb pages up by 10.
        harness.click(wid, thumb_x(0), SLIDER1[1] + SLIDER1[3] // 2)
        wait_ramp(adjusted(-35), "the ramp after a page step")
        assert status_lines(wid) == 0

    def test_brightness_and_contrast_add_up(self, lumora):
        wid = lumora.run(stored())
        open_colour_panel(wid)
        harness.click(wid, thumb_x(0), SLIDER1[1] + SLIDER1[3] // 2)  # focus, no move
        key("Prior", "Prior")  # two pages of 10 to the left
        wait_ramp(adjusted(-20), "brightness -20")
        harness.click(wid, *SLIDER2_TOP_THUMB)
        key("Prior", "Prior", "Left", "Left")  # pages of 9 on 1..100: 100 -> 82 -> 80
        both = adjusted(-20, 80)
        assert both[255] == 55050 and both[255] < harness.IDENTITY_RAMP[255]
        wait_ramp(both, "brightness -20 and contrast 80 together")
        assert status_lines(wid) == 0

    def test_a_ramp_the_display_refuses_is_reported_in_the_panel(self, lumora):
        # Wine takes no ramp whose first entry is above 0, so every brightening is refused.
        wid = lumora.run(stored(liangdu=-20))
        wait_ramp(adjusted(-20), "the stored brightness")
        open_colour_panel(wid)
        harness.click(wid, thumb_x(-20), SLIDER1[1] + SLIDER1[3] // 2)  # focus, no move
        key("End")
        harness.wait_until(lambda: status_lines(wid) == 1, 5,
                           what="the refusal message on one line")
        assert harness.ramps_match(harness.gamma_get(), adjusted(-20)), \
            "the display keeps its previous colours"
        assert harness.message_boxes("tips") == [] and colour_panel_open()
        log = (lumora.folder / "lumora.log").read_text()
        assert "DISPLAY1: colours not accepted: SetDeviceGammaRamp failed, error " in log, log
        key("Home")  # accepted again: the message goes
        wait_ramp(adjusted(-50), "the lowest brightness")
        harness.wait_until(lambda: status_lines(wid) == 0, 5, what="the message to clear")


class TestSwitchingOff:
    def test_switching_off_restores_the_identity_ramp_of_monitor_txt(self, lumora):
        # The display starts with another ramp: switching off must not go back to it.
        harness.gamma_set(EARLIER_RAMP)
        wid = lumora.run(stored(liangdu=-20))
        assert adjusted(-20)[255] == 52428  # 0.8 x 65535
        wait_ramp(adjusted(-20), "the stored brightness on the default ramp")
        harness.click(wid, *EYE_SWITCH)
        wait_ramp(harness.IDENTITY_RAMP, "the identity ramp after switching off")
        assert harness.message_boxes("tips") == []

    def test_without_monitor_txt_each_switch_warns_and_keeps_the_ramp_at_start(self, lumora):
        (lumora.folder / "monitor.txt").unlink()
        harness.gamma_set(EARLIER_RAMP)
        wid = lumora.run(None)  # eye care off: no warning at start
        harness.wait_icons()
        assert harness.message_boxes("tips") == []

        harness.click(wid, *EYE_SWITCH)  # on: nothing stored, so neutral sliders
        answer_tips()
        wait_ramp(EARLIER_RAMP, "the ramp the display had at start")
        harness.click(wid, *EYE_SWITCH)  # off
        answer_tips()
        wait_ramp(EARLIER_RAMP, "the ramp the display had at start")


def identity_file(sep: str) -> str:
    return "".join(f"{v if v < 32768 else v - 65536}{sep}" for v in harness.IDENTITY_RAMP[:256]
                   for _ in range(3))


def write_100_mb_after_a_sound_ramp(path) -> None:
    block = b"12345\r\n" * (1 << 16)
    with open(path, "wb") as f:
        f.write(identity_file("\r\n").encode())
        for _ in range((100 << 20) // len(block)):
            f.write(block)


class TestDefaultRampFile:
    @pytest.mark.parametrize("kind", ["utf16", "767 lines", "100 MB"])
    def test_the_file_as_it_can_arrive(self, lumora, kind):
        """A sound file in UTF-16, or one with 100 MB after its 768 numbers, is taken; a damaged
        one is reported with its line while the window starts and the display keeps the ramp it
        had."""
        monitor = lumora.folder / "monitor.txt"
        fault = None
        if kind == "utf16":
            monitor.write_bytes(identity_file("\r\n").encode("utf-16"))  # with its mark
        elif kind == "767 lines":
            monitor.write_text("\n".join(identity_file("\n").split("\n")[:767]) + "\n")
            fault = "it ends after line 767 with only 767 of the 768 numbers"
        else:  # what follows the 768th number is never read
            write_100_mb_after_a_sound_ramp(monitor)
        harness.gamma_set(EARLIER_RAMP)
        lumora.write_config(stored())
        lumora.start()
        if fault:
            # Seen on X first: a second Wine process started while the program's own is still
            # starting can stall for half a minute.
            harness.wait_window("Lumora", 20)
            answer_tips(damaged(fault), "Lumora")
        wid = lumora.wait_main_window()
        assert harness.is_mapped(wid)
        wait_ramp(EARLIER_RAMP if fault else harness.IDENTITY_RAMP, "the ramp after start")
        assert harness.message_boxes() == []


class TestOk:
    def test_ok_stores_the_five_slider_values_and_back_stores_nothing(self, lumora):
        wid = lumora.run(stored(liangdu=-20, rgbb=-4))
        before = lumora.config_path.read_bytes()
        open_colour_panel(wid)
        # Focus Slider1 by pressing and releasing on its thumb, then three steps right.
        harness.click(wid, thumb_x(-20), SLIDER1[1] + SLIDER1[3] // 2)
        key("Right", "Right", "Right")
        wait_ramp(adjusted(-17, rgb=(0, 0, -4)), "brightness -17 with blue -4")

        harness.click(wid, *harness.back_and_ok(wid)[0])
        harness.wait_until(lambda: not colour_panel_open(), 5, what="Back to close the panel")
        assert lumora.config_path.read_bytes() == before

        open_colour_panel(wid)  # the sliders kept their places
        harness.click(wid, *BLUE)  # focus the blue slider, then set it to its top
        key("End")
        harness.click(wid, *harness.back_and_ok(wid)[1])
        harness.wait_until(lambda: not colour_panel_open(), 5, what="OK to close the panel")
        eye = lumora.wait_stored("eye", liangdu="-17", rgbb="50")
        assert eye == {"pdrun": "1", "liangdu": "-17", "duibidu": "100",
                       "rgbr": "0", "rgbg": "0", "rgbb": "50"}
        assert harness.lumora_pids(), "the values are stored while the program runs"



def press_elsewhere(*keys: str) -> None:
    """Presses shortcuts while the Wine desktop itself has the focus (Wine sees them only while
    one of its windows has the X focus), never one of the program's."""
    harness.click_screen(60, 60)
    harness.wait_until(lambda: "Form1" not in [r["title"] for r in harness.probe(
        "--desktop", harness.DESKTOP_NAME, "foreground")], 5, what="the desktop to take the focus")
    key(*keys)


class TestShortcuts:
    def test_brightness_steps_and_the_close_image_stores_them(self, lumora_desktop):
        wid = lumora_desktop.run(stored(liangdu=-10))
        wait_ramp(adjusted(-10), "the stored brightness")
        press_elsewhere("ctrl+alt+Next", "ctrl+alt+Next")
        wait_ramp(adjusted(-20), "two steps darker")
        press_elsewhere("ctrl+alt+Prior")
        wait_ramp(adjusted(-15), "a step brighter")
        press_elsewhere("ctrl+alt+Home")  # night light on, stored at once
        lumora_desktop.wait_stored("night", on="1")
        harness.click(wid, 610, 9)  # the close image
        lumora_desktop.wait_exit()
        assert lumora_desktop.config()["eye"]["liangdu"] == "-15"

    def test_a_key_held_elsewhere_is_named_once_and_the_others_work(self, lumora_desktop):
        import test_rest  # Wine keeps shortcuts per desktop: the holder runs in the program's
        holder = subprocess.Popen(["wine", "explorer", f"/desktop={harness.DESKTOP_NAME},1280x800",
                                   harness.os.environ["LUMORA_PROBE"], "hold", "3", "0x22"],
                                  stdout=subprocess.PIPE, text=True)
        assert holder.stdout.readline().strip() == "held"
        lumora_desktop.run(stored(liangdu=-10))
        wait_ramp(adjusted(-10), "the stored brightness")
        assert test_rest.icon_tip().split("\n")[1:] == ["Keys taken: Ctrl+Alt+PageDown"]
        assert not harness.message_boxes(None, "--desktop", harness.DESKTOP_NAME), "a box"
        press_elsewhere("ctrl+alt+Next", "ctrl+alt+Prior")  # the first goes to the holder
        wait_ramp(adjusted(-5), "a step brighter, none darker")
        press_elsewhere("ctrl+alt+End")
        wait_ramp(harness.IDENTITY_RAMP, "eye care off: the default ramp")
