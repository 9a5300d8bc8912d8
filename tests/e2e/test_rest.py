"""Rest reminders end to end: the prompt in the corner, "Do Not", the rest screen on every
monitor with its countdown, its end and its close image, driven as a user would and observed from
outside.

Wine maps a window that is shown without activation as an override-redirect X window, which
carries no _NET_WM_STATE at all; the prompt's topmost state is therefore read from the window
itself (WS_EX_TOPMOST, through the probe) and from the screen (it stays visible over the main
window dragged onto it)."""

import os
import subprocess
import time

import pytest
from PIL import ImageChops

import harness

PROMPT_W, PROMPT_H = 332, 90
MESSAGE = (16 + 305 // 2, 24 + 25 // 2)  # Label1, the "rest now" message
DO_NOT = (88 + 145 // 2, 64 + 17 // 2)  # Label2
SEPARATOR_Y = 56

CLOSE_IMAGE_TOP = 352  # imgclose, 60 x 60, centred
CLOSE_IMAGE = (harness.SCREEN_W // 2, CLOSE_IMAGE_TOP + 30)
FULL_SCREEN = harness.Geometry(0, 0, harness.SCREEN_W, harness.SCREEN_H)
NEXT_TIME = (353, 173, 481, 198)  # Label5 in the main window, under "NEXT TIME"
MAIN_TITLE = (100, 9)
HIDE_IMAGE = (556, 7)

WS_EX_TOPMOST = 0x00000008
REST_TICKS = 60  # N = 1

REST_PENCIL = (498, 74)  # edit(1)
INTERVAL_BOX = (366, 101)  # Text2 in the open rest panel
REST_SWITCH = (399, 283)  # SafeSwitch2


def opacity(alpha: int) -> int:
    return alpha * 0x01010101


def config(mei: int, xiuxi: int = 1) -> str:
    return f"[dsxx]\nmei={mei}\nxiuxi={xiuxi}\npdrun=1\n"


def probe_args(desktop: bool) -> list[str]:
    return ["--desktop", harness.DESKTOP_NAME] if desktop else []


def foreground(desktop: bool) -> str | None:
    rows = harness.probe(*probe_args(desktop), "foreground")
    return rows[0]["title"] if rows else None


def work_area(desktop: bool) -> tuple[int, int, int, int]:
    out = harness._run(["wine", os.environ["LUMORA_PROBE"], *probe_args(desktop), "workarea"])
    left, top, right, bottom = (int(v) for v in out.split())
    return left, top, right, bottom


def win32_window(title: str, desktop: bool = False) -> dict:
    rows = [r for r in harness.probe(*probe_args(desktop), "windows")
            if r["title"] == title and r["visible"]]
    assert len(rows) == 1, rows
    return rows[0]


def next_time_picture(main: int):
    g = harness.geometry(main)
    x0, y0, x1, y1 = NEXT_TIME
    return harness.screenshot().crop((g.x + x0, g.y + y0, g.x + x1, g.y + y1))


def shown_next_time(main: int, unlike=None):
    """What the main window shows under NEXT TIME once it has painted it (and, given an
    earlier picture, once it shows something else)."""
    def painted():
        picture = next_time_picture(main)
        ready = shows_text(picture) and (unlike is None or differs(picture, unlike))
        return [picture] if ready else None

    what = "NEXT TIME to move" if unlike is not None else "NEXT TIME to show"
    return harness.wait_until(painted, 5, what=what)[0]


def shows_text(picture) -> bool:
    """White lettering on the label's blue ground."""
    return any(min(p) >= 230 for p in picture.getdata())


def differs(a, b) -> bool:
    return ImageChops.difference(a, b).getbbox() is not None


def wait_gone(wid: int, timeout: float = 6) -> None:
    # Without a window manager Wine waits up to a second for a managed window to withdraw.
    harness.wait_until(lambda: not harness.is_mapped(wid), timeout, what=f"window {wid} to go")


def wait_new_prompt(old: int, timeout: float = 5) -> int:
    found = harness.wait_until(lambda: [w for w in harness.find_windows("Form2") if w != old],
                               timeout, what="a new prompt")
    return found[0]


def icon_tip() -> str:
    """Hovers the notification icon of the Wine desktop and reads the tooltip it shows, then
    moves the pointer away and waits for the tooltip to go (so the next hover shows afresh)."""
    x, y = harness.wait_until(lambda: harness.tray_icons(True), 10, what="the icon")[0]
    harness.pointer_to(x - 2, y)
    harness.pointer_to(x, y)
    tips = harness.wait_until(lambda: [t for t in tooltips() if t], 5, what="the icon's tooltip")
    harness.pointer_to(harness.SCREEN_W // 2, harness.SCREEN_H // 2)
    harness.wait_until(lambda: not tooltips(), 5, what="the tooltip to go")
    return "\n".join(tips)  # a tip of several lines shows as several


def tooltips() -> list[str]:
    out = harness._run(["wine", os.environ["LUMORA_PROBE"], "--desktop", harness.DESKTOP_NAME,
                        "tooltips"])
    return [line.rstrip("\r") for line in out.splitlines()]


def visible_edits() -> list[dict]:
    return [r for r in harness.probe("--desktop", harness.DESKTOP_NAME, "windows")
            if r["class"] == "Edit" and r["visible"]]


def next_rest(minute: float, interval: int) -> str:
    """The tip for a working period begun in the minute holding `minute` (seconds since 1970)."""
    due = time.localtime((int(minute // 60) + interval) * 60)
    return f"Next rest at {due.tm_hour:02d}:{due.tm_min:02d}"


def command(lumora, *args: str) -> int:
    """Lumora.exe started with a command, as a script does: its exit code."""
    return subprocess.run(["wine", "Lumora.exe", *args], cwd=lumora.folder, timeout=30,
                          stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode


def countdown_box(screen: harness.Geometry) -> tuple[int, int, int, int]:
    """The countdown panel of the rest screen that covers `screen`: centred, top 192, 880 x 137."""
    centre = screen.x + screen.width // 2
    return centre - 440, screen.y + 192, centre + 440, screen.y + 329


def countdown_picture():
    return harness.screenshot().crop(countdown_box(FULL_SCREEN))


def lettering(picture) -> bool:
    """White digits on black."""
    pixels = list(picture.getdata())
    white = sum(1 for p in pixels if min(p) >= 230)
    black = sum(1 for p in pixels if max(p) <= 20)
    return white > 0.01 * len(pixels) and black > 0.6 * len(pixels)


def rest_screens(count: int) -> dict[harness.Geometry, int]:
    """The rest screens once `count` are shown, by the place each covers."""
    wids = harness.wait_until(lambda: len(found := harness.find_windows("Form3")) == count
                              and found, 5, what=f"{count} rest screens")
    return {harness.geometry(wid): wid for wid in wids}


def assert_counting(screens: list[harness.Geometry], seconds: float = 8) -> None:
    """Each screen's countdown changes tick by tick, and at some moment all show the same."""
    shots = []

    def changes(i):
        pictures = [shot[i] for shot in shots]
        return sum(1 for a, b in zip(pictures, pictures[1:]) if differs(a, b))

    # Until each has changed twice: a loaded machine takes fewer pictures in a second.
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline and not all(changes(i) >= 2 for i in range(len(screens))):
        image = harness.screenshot()
        shots.append([image.crop(countdown_box(screen)) for screen in screens])
        time.sleep(0.1)
    for i, screen in enumerate(screens):
        pictures = [shot[i] for shot in shots]
        assert changes(i) >= 2, (screen, changes(i))
        assert lettering(pictures[-1]), screen
    assert any(not any(differs(shot[0], other) for other in shot[1:]) for shot in shots)


def open_rest_screen(app: harness.Lumora):
    """Starts with M = 0, N = 1 and accepts the first prompt. Returns the main window, what it
    showed under "NEXT TIME" then, the rest screen and when the rest began."""
    main = app.run(config(mei=0))
    prompt = harness.wait_window("Form2", 10)
    next_time = shown_next_time(main)
    harness.click(prompt, *MESSAGE)
    clicked = time.monotonic()
    screen = harness.wait_window("Form3", 5)
    wait_gone(prompt)
    return main, next_time, screen, clicked


def start_for_an_hour(lumora) -> int:
    """Starts with M = 60, N = 120 (the jump is no rest) just after a minute turns, so that the
    steps before the jump share the start's minute."""
    harness.move_clock((61 - harness.clock_now() % 60) / 60)
    return lumora.run(config(mei=60, xiuxi=120))


def prompt_an_hour_on() -> int:
    """Runs the clock to a second before the rest's minute; the prompt comes in that minute, not
    a second before."""
    due = (int(harness.clock_now() // 60) + 60) * 60
    harness.move_clock((due - 1 - harness.clock_now()) / 60)
    prompt = harness.wait_window("Form2", 3)
    shown = harness.clock_now()
    assert due <= shown <= due + 2.5, f"prompt {shown - due:+.1f} s from its minute"
    return prompt


class TestPrompt:
    def test_prompt_comes_after_the_interval_above_all_without_the_focus(self, lumora):
        main = start_for_an_hour(lumora)
        assert foreground(False) == "Form1"
        before = shown_next_time(main)
        prompt = prompt_an_hour_on()

        bottom = work_area(False)[3]
        g = harness.geometry(prompt)
        assert (g.width, g.height) == (PROMPT_W, PROMPT_H)
        assert (g.x + g.width, g.y + g.height) == (harness.SCREEN_W, bottom), g
        assert harness.window_opacity(prompt) == opacity(220)
        row = win32_window("Form2")
        assert row["alpha"] == 220
        assert row["exstyle"] & WS_EX_TOPMOST
        # Whoever had the keyboard keeps it.
        time.sleep(0.5)
        assert foreground(False) == "Form1"

        # Dragged onto the prompt, the main window stays underneath it.
        harness.drag(main, *MAIN_TITLE, MAIN_TITLE[0] + 330, MAIN_TITLE[1] + 240)
        def moved():
            m = harness.geometry(main)
            return m if m.x > g.x - m.width + 200 else None

        m = harness.wait_until(moved, 5, what="the main window to move")
        assert m.x + m.width > g.x + 200 and m.y + m.height > g.y + 60, (m, g)
        picture = harness.window_picture(prompt)
        assert harness.hex_colour(picture.getpixel((5, 5))) == "#E0E0E0"
        assert harness.hex_colour(picture.getpixel((150, 5))) == "#E0E0E0"
        assert harness.hex_colour(picture.getpixel((100, SEPARATOR_Y))) == "#C0C0C0"

        # "Do Not": the prompt goes and the next rest is a minute later.
        harness.click(prompt, *DO_NOT)
        wait_gone(prompt)
        shown_next_time(main, unlike=before)
        time.sleep(3)
        assert harness.find_windows("Form2") == []

    def test_hidden_to_the_tray_the_rest_clock_still_keeps_the_minute(self, lumora):
        # Hidden, the rest clock wakes only when something is due.
        main = start_for_an_hour(lumora)
        harness.click(main, *HIDE_IMAGE)
        harness.wait_until(lambda: not harness.is_mapped(main), 5, what="the window to hide")
        prompt_an_hour_on()

    @pytest.mark.parametrize("mei", [0, 1])
    def test_in_a_desktop_the_prompt_sits_on_the_taskbar(self, lumora_desktop, mei):
        # M = 1: the prompt comes a minute after the taskbar has settled, not at start.
        started = harness.clock_now()
        lumora_desktop.run(config(mei=mei))
        assert foreground(True) == "Form1"
        harness.wait_until(lambda: work_area(True)[3] == harness.SCREEN_H - harness.TASKBAR_H, 10,
                           what="the taskbar to settle")
        harness.move_clock(mei * ((int(started // 60) + 1) * 60 - harness.clock_now()) / 60)
        prompt = harness.wait_window("Form2", 10)
        bottom = work_area(True)[3]
        assert bottom == harness.SCREEN_H - harness.TASKBAR_H
        row = win32_window("Form2", desktop=True)
        assert row["rect"] == (harness.SCREEN_W - PROMPT_W, bottom - PROMPT_H,
                               harness.SCREEN_W, bottom)
        assert row["alpha"] == 220
        assert row["exstyle"] & WS_EX_TOPMOST
        g = harness.geometry(prompt)
        assert (g.x, g.y, g.width, g.height) == (harness.SCREEN_W - PROMPT_W, bottom - PROMPT_H,
                                                 PROMPT_W, PROMPT_H)
        time.sleep(0.5)
        assert foreground(True) == "Form1"

    def test_do_not_with_no_interval_prompts_again(self, lumora):
        lumora.run(config(mei=0))
        prompt = harness.wait_window("Form2", 10)
        # With M = 0 the next rest is the current minute: the prompt is back on the next tick.
        harness.click(prompt, *DO_NOT)
        again = wait_new_prompt(prompt)
        wait_gone(prompt)
        assert harness.is_mapped(again)

        # Another program's polite close (taskkill without /f) is "Do Not" as well: the
        # program runs on and the prompt comes back.
        harness._run(["wine", "taskkill", "/im", "Lumora.exe"], check=False)
        wait_new_prompt(again)
        wait_gone(again)
        assert len(harness.lumora_pids()) == 1


class TestRestScreen:
    def test_rest_screen_counts_down_and_ends_itself(self, lumora):
        main, next_time, screen, clicked = open_rest_screen(lumora)
        g = harness.geometry(screen)
        assert (g.x, g.y, g.width, g.height) == (0, 0, harness.SCREEN_W, harness.SCREEN_H)
        assert harness.window_opacity(screen) == opacity(200)
        row = win32_window("Form3")
        assert row["alpha"] == 200
        assert not row["exstyle"] & WS_EX_TOPMOST

        # The countdown changes once a tick, in white on black.
        changes = []
        last = countdown_picture()
        deadline = time.monotonic() + 4.5
        while time.monotonic() < deadline:
            now = countdown_picture()
            if differs(now, last):
                changes.append(time.monotonic())
                last = now
            time.sleep(0.05)
        assert len(changes) >= 3, changes
        gaps = [b - a for a, b in zip(changes, changes[1:])]
        assert all(0.5 <= gap <= 1.6 for gap in gaps), gaps
        assert lettering(last)

        # The rest lasts its 60 ticks, then the screen closes and the next rest is set: a clock
        # run ahead counts as rest taken (as a machine asleep); a few seconds short leaves it open.
        harness.move_clock((REST_TICKS - 4 - (time.monotonic() - clicked)) / 60)
        time.sleep(1.2)
        assert harness.is_mapped(screen), "the rest screen closed early"
        harness.move_clock(4 / 60)
        harness.wait_until(lambda: not harness.is_mapped(screen), 8, interval=0.2,
                           what="the rest screen to close")
        # M = 0: the next rest is the minute the rest ended in, so the prompt comes again.
        harness.wait_window("Form2", 5)
        shown_next_time(main, unlike=next_time)

    def test_a_rest_asked_for_with_reminders_off_counts_down_and_ends(self, lumora):
        lumora.run(config(mei=0).replace("pdrun=1", "pdrun=0"))
        assert command(lumora, "/rest") == 0
        screen = harness.wait_window("Form3", 5)
        started = time.monotonic()
        assert_counting([FULL_SCREEN])
        harness.move_clock((REST_TICKS + 2 - (time.monotonic() - started)) / 60)
        wait_gone(screen, 8)
        time.sleep(2)
        assert harness.find_windows("Form2") == [], "prompted with reminders off"

    def test_close_image_ends_the_rest_screen_early(self, lumora):
        _, _, screen, clicked = open_rest_screen(lumora)
        time.sleep(1.5)
        harness.click(screen, *CLOSE_IMAGE)
        wait_gone(screen)
        assert time.monotonic() - clicked < 15
        # The next rest is now + M = now: the prompt comes on the next tick.
        prompt = harness.wait_window("Form2", 5)

        # Alt+F4 on the next rest screen takes the close image's steps: the prompt comes again.
        harness.click(prompt, *MESSAGE)
        screen = harness.wait_window("Form3", 5)
        wait_gone(prompt)
        harness.keys("alt+F4")
        wait_gone(screen)
        harness.wait_window("Form2", 5)
        assert len(harness.lumora_pids()) == 1


    def test_on_two_monitors_each_is_covered_both_close_together_and_unplugging_is_followed(
            self, lumora):
        lumora.run(config(mei=0))
        prompt = harness.wait_window("Form2", 10)
        with harness.second_display() as second:
            # Each monitor covered exactly by its own rest screen, 200/255 opaque, counting.
            harness.click(prompt, *MESSAGE)
            screens = rest_screens(2)
            assert sorted(screens, key=lambda g: g.x) == [FULL_SCREEN, second]
            for wid in screens.values():
                assert harness.window_opacity(wid) == opacity(200)
            rows = [r for r in harness.probe("windows") if r["title"] == "Form3" and r["visible"]]
            assert sorted((r["rect"], r["alpha"]) for r in rows) == [
                ((0, 0, harness.SCREEN_W, harness.SCREEN_H), 200),
                ((second.x, second.y, second.x + second.width, second.y + second.height), 200)]
            assert_counting([FULL_SCREEN, second])

            # The close image on the second monitor ends the rest on both; the next prompt
            # still comes in the primary work area's corner.
            harness.click(screens[second], second.width // 2, CLOSE_IMAGE_TOP + 30)
            for wid in screens.values():
                wait_gone(wid)
            prompt = harness.wait_window("Form2", 5)
            g = harness.geometry(prompt)
            assert (g.x + g.width, g.y + g.height) == (harness.SCREEN_W, work_area(False)[3])

            # Unplugged during a rest, the second display loses its window; the first counts on.
            harness.click(prompt, *MESSAGE)
            screens = rest_screens(2)
            harness.unplug_second_display()
            harness.announce_display_change()
            wait_gone(screens[second])
            assert harness.find_windows("Form3") == [screens[FULL_SCREEN]]
            assert_counting([FULL_SCREEN])

            # Plugged in again during the rest, it gets a window showing the same countdown.
            harness.plug_second_display()
            harness.announce_display_change()
            again = rest_screens(2)
            assert again[FULL_SCREEN] == screens[FULL_SCREEN]
            assert harness.window_opacity(again[second]) == opacity(200)
            assert_counting([FULL_SCREEN, second])
        assert len(harness.lumora_pids()) == 1


class TestNextRestAtAGlance:
    def test_icon_tip_after_start_after_ok_and_switched_off(self, lumora_desktop):
        started = time.time()
        main = lumora_desktop.run(config(mei=30))
        assert icon_tip() in {next_rest(started, 30), next_rest(time.time(), 30)}

        # Interval 7 typed over the 30 selected with the keyboard, then OK.
        boxes = len(visible_edits())
        harness.click(main, *REST_PENCIL)
        # The interval, the length, the short breaks' two, the programs and the working hours'.
        harness.wait_until(lambda: len(visible_edits()) == boxes + 7, 5, what="the rest panel")
        harness.click(main, *INTERVAL_BOX)
        harness.keys("Home", "shift+End")
        harness.type_text("7")
        before = time.time()
        harness.click(main, *harness.back_and_ok(main, 96, "--desktop", harness.DESKTOP_NAME)[1])
        after = time.time()
        assert icon_tip() in {next_rest(before, 7), next_rest(after, 7)}

        harness.click(main, *REST_SWITCH)
        assert icon_tip() == "Rest reminders are off"


class TestTimeAway:
    def test_idle_for_a_rest_length_moves_next_time_without_a_prompt(self, lumora_desktop):
        # M = 2, N = 1: the idle minute completes before the due minute. (With M = 1 the due
        # minute always comes less than a minute into the period, so it prompts first, as an
        # absence shorter than a rest changes nothing.) The clock runs ahead in steps shorter
        # than a rest, a tick between them: time without input, not a machine asleep.
        harness.move_clock((80 - harness.clock_now() % 60) % 60 / 60)  # to second 20: no edge near
        started = harness.clock_now()
        lumora_desktop.run(config(mei=2))
        assert icon_tip() == next_rest(started, 2)  # the last input for a while
        due = (int(started // 60) + 2) * 60
        while harness.clock_now() < due + 4:
            harness.move_clock(0.75)
            time.sleep(1.2)
            assert harness.find_windows("Form2") == [], "prompted while away"
        harness.move_clock((80 - harness.clock_now() % 60) % 60 / 60)  # the return away from an edge
        time.sleep(1.2)
        back = harness.clock_now()
        # Hovering the icon is the return: a new period from this minute, still no prompt.
        assert harness.wait_until(lambda: icon_tip() == next_rest(back, 2) or None, 8,
                                  interval=0.5, what="NEXT TIME to move")
        assert harness.find_windows("Form2") == []


class TestLater:
    def test_a_screen_readers_later_brings_the_prompt_back_a_minute_on(self, lumora_desktop):
        lumora_desktop.run(config(mei=0, xiuxi=5) + "later=1\n")
        prompt = harness.wait_window("Form2", 10)
        harness.move_clock((80 - harness.clock_now() % 60) % 60 / 60)  # to second 20: no edge near
        back = (int(harness.clock_now() // 60) + 2) * 60  # a minute begun counts as gone
        harness._run(["wine", os.environ["LUMORA_PROBE"], "--desktop", harness.DESKTOP_NAME, "act",
                      "Form2", "Later"])  # fails unless the default action is taken
        wait_gone(prompt)
        assert icon_tip() == time.strftime("Next rest at %H:%M", time.localtime(back))
        # Ended and started again (a crash, a sign-out): the put-off prompt keeps its minute and
        # the count of Laters goes on.
        lumora_desktop.stop()
        lumora_desktop.wait_exit()
        lumora_desktop.run()
        assert icon_tip() == time.strftime("Next rest at %H:%M", time.localtime(back))
        harness.move_clock((back - 2 - harness.clock_now()) / 60)
        time.sleep(1.5)
        assert harness.find_windows("Form2") == [], "back before its minute"
        harness.move_clock(2 / 60)
        harness.wait_window("Form2", 5)


class TestShortBreak:
    def test_a_short_break_comes_above_the_prompts_place_keeps_the_focus_and_a_pause_ends_it(
            self, lumora):
        # Started just after a minute turns; a break every minute, 10 s long.
        harness.move_clock((61 - harness.clock_now() % 60) / 60)
        main = lumora.run(config(mei=60, xiuxi=120) + "[micro]\nevery=1\nseconds=10\n")
        assert foreground(False) == "Form1"
        harness.move_clock(50 / 60)  # no tick is due in the jump
        g = harness.geometry(main)

        def at_work(seconds: float) -> None:
            """The pointer moves over the main window, so this is no time away."""
            deadline = time.monotonic() + seconds
            while not harness.find_windows("Short break") and time.monotonic() < deadline:
                harness.pointer_to(g.x + 100 + int(time.monotonic() * 10) % 50, g.y + 120)
                time.sleep(0.5)

        at_work(15)
        brk = harness.wait_window("Short break", 1)
        b = harness.geometry(brk)
        assert (b.x + b.width, b.y + b.height) == (harness.SCREEN_W, work_area(False)[3] - PROMPT_H)
        assert win32_window("Short break")["exstyle"] & WS_EX_TOPMOST
        assert foreground(False) == "Form1"  # typing goes on where it was
        # A pause taken during it ends it, and no other comes while paused.
        assert command(lumora, "/pause", "30") == 0
        wait_gone(brk, 3)
        assert foreground(False) == "Form1"
        for _ in range(2):
            harness.move_clock(55 / 60)
            at_work(6)
            assert harness.find_windows("Short break") == [], "a short break in a pause"
        assert harness.find_windows("Form2") == []


class TestHolds:
    def test_a_call_holds_the_prompt_until_it_ends_and_a_stale_entry_holds_nothing(
            self, lumora_desktop):
        caller = r"C:\Calls\caller.exe"
        running = harness.run_copy(caller)
        harness.device_use(caller, 0)
        start_for_an_hour(lumora_desktop)
        due = (int(harness.clock_now() // 60) + 60) * 60
        harness.move_clock((due + 1 - harness.clock_now()) / 60)
        time.sleep(2.5)
        assert harness.find_windows("Form2") == [], "prompted during the call"
        assert icon_tip() == "Rest due after the call (caller.exe)"
        harness.device_use(caller, 133_500_000_000_000_000)  # the call ends
        prompt = harness.wait_window("Form2", 5)
        # A call that begins with the prompt up takes it away; it comes back as the call ends.
        harness.device_use(caller, 0)
        wait_gone(prompt, 5)
        assert icon_tip() == r"Rest due after the call (caller.exe)"
        harness.device_use(caller, 133_500_000_000_000_001)
        prompt = harness.wait_window("Form2", 5)
        # The caller crashes in the next call: its entry still says "in use", and holds nothing.
        harness.click(prompt, *DO_NOT)
        wait_gone(prompt)
        harness.device_use(caller, 0)
        running.kill()
        running.wait()
        prompt_an_hour_on()

    def test_a_listed_program_in_front_holds_the_prompt_until_it_leaves_the_front(self, lumora):
        harness.move_clock((61 - harness.clock_now() % 60) / 60)
        main = lumora.run(config(mei=60, xiuxi=120) + "[busy]\napps=notepad.exe\n")
        subprocess.Popen(["wine", "notepad"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        harness.wait_until(lambda: foreground(False) == "Untitled - Notepad", 10,
                           what="Notepad in front")
        due = (int(harness.clock_now() // 60) + 60) * 60
        harness.move_clock((due + 1 - harness.clock_now()) / 60)
        time.sleep(2.5)
        assert harness.find_windows("Form2") == [], "prompted over the listed program"
        harness.click(main, 480, 23)  # the title strip's end, right of Notepad: back to Lumora
        harness.wait_window("Form2", 5)


def hours_row(main: int):
    """The rest panel's working-hours switch, From box and days (Mon to Sun): the two rows just
    above Back and OK, in twips from the panel's left, at 96 DPI."""
    (back_x, y), _ = harness.back_and_ok(main, 96, "--desktop", harness.DESKTOP_NAME)
    left = back_x - (3555 + 360) // 15
    return (left + 339, y - 66), (left + 442, y - 66), [(left + (4755 + 570 * d) // 15, y - 39)
                                                       for d in range(7)]


class TestWorkingHours:
    def test_no_prompt_outside_them_and_the_first_an_interval_after_they_begin(
            self, lumora_desktop):
        if time.localtime(harness.clock_now() + 300).tm_hour == 0:
            harness.move_clock(6)  # today's hours: the tip names no day
        begin = (int(harness.clock_now() // 60) + 3) * 60  # every day, for an hour
        at = lambda t: time.strftime("%H:%M", time.localtime(t))  # noqa: E731
        every = "mon,tue,wed,thu,fri,sat,sun"
        lumora_desktop.run(config(mei=2, xiuxi=120)
                           + f"[hours]\non=1\ndays={every}\nfrom={at(begin)}\nto={at(begin + 3600)}\n")
        assert icon_tip() == f"Reminders start at {at(begin)}"
        harness.move_clock((begin - 2 - harness.clock_now()) / 60)  # due minutes passed
        time.sleep(1.5)
        assert harness.find_windows("Form2") == [], "prompted outside working hours"
        assert harness.wait_until(lambda: icon_tip() == f"Next rest at {at(begin + 120)}" or None,
                                  8, interval=0.5, what="the hours to begin")
        harness.move_clock((begin + 119 - harness.clock_now()) / 60)
        harness.wait_window("Form2", 3)
        assert harness.clock_now() >= begin + 120, "prompted before a full interval"

    def test_the_panels_row_is_stored_by_ok(self, lumora_desktop):
        main = lumora_desktop.run(config(mei=30))
        boxes = len(visible_edits())
        harness.click(main, *REST_PENCIL)
        harness.wait_until(lambda: len(visible_edits()) == boxes + 7, 5, what="the rest panel")
        switch, from_box, days = hours_row(main)
        harness.click(main, *switch)
        harness.click(main, *days[5])  # Saturday
        harness.click(main, *from_box)
        harness.keys("Home", "shift+End")
        harness.type_text("8:30")
        harness.click(main, *harness.back_and_ok(main, 96, "--desktop", harness.DESKTOP_NAME)[1])
        lumora_desktop.wait_stored("hours", on="1", days="mon,tue,wed,thu,fri,sat",
                                   **{"from": "08:30"})
        assert lumora_desktop.stored("dsxx")["mei"] == "30"  # with the panel's other values
