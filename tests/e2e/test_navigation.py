"""The main window's settings pop-up, hiding to the tray, dragging, and the tray menu,
driven as a user would and observed from outside the program."""

import os
import time

import harness

# Window-relative pixels of the main window at 96 DPI.
PENCILS = [(256, 64, 276, 84), (488, 64, 508, 84)]  # edit(0), edit(1)
EYE_SWITCH = (144, 272, 222, 295)
REST_SWITCH = (360, 272, 438, 295)
POPUP = (7, 59, 627, 300)  # ppset as designed; the rows of an open sub-panel may lengthen it
SUB_PANEL = (15, 67)  # where a sub-panel opens: ppset + (8, 8)
HIDE_IMAGE = (556, 7)  # centre of Image1 (534..579, 0..15)
POPUP_BACKGROUND = (243, 248, 251)
REST_BOXES = 7  # the rest panel's text boxes

EYE_ON = "[eye]\npdrun=1\nliangdu=-20\nduibidu=100\nrgbr=0\nrgbg=0\nrgbb=0\n[night]\non=0\n"
centre = harness.centre


def inside(rect, box) -> bool:
    return box[0] <= rect[0] and box[1] <= rect[1] and rect[2] <= box[2] and rect[3] <= box[3]


def park_pointer():
    """Keeps the pointer off every control so that no hover look changes a screenshot."""
    harness.pointer_to(harness.SCREEN_W - 5, harness.SCREEN_H // 2)


def visible_controls(wid: int, win32_class: str) -> list[tuple[int, int, int, int]]:
    """Window-relative rectangles of the visible child windows of one class in Form1."""
    rows = harness.probe("windows")
    main = [r for r in rows if r["class"] == "LumoraForm" and r["title"] == "Form1"]
    assert len(main) == 1, main
    ancestors = {main[0]["hwnd"]}
    found = []
    for row in rows:  # the probe lists every child after its parent
        if row["parent"] in ancestors:
            ancestors.add(row["hwnd"])
            if row["class"] == win32_class and row["visible"]:
                found.append(row["rect"])
    g = harness.geometry(wid)
    return [(l - g.x, t - g.y, r - g.x, b - g.y) for l, t, r, b in found]


def popup_controls(wid: int, win32_class: str):
    panels = harness.settings_panels(wid)
    return [r for r in visible_controls(wid, win32_class) if panels and inside(r, panels[0])]


def crops(image, boxes):
    return [image.crop(box) for box in boxes]


def shown_anywhere(image, pictures) -> list[int]:
    """Indexes of the pictures found pixel for pixel somewhere in image."""
    return [i for i, p in enumerate(pictures) if harness.find_picture(image, p)]


def start(app, config: str | None = None) -> int:
    wid = app.run(config)
    harness.wait_icons()
    return wid


def settled_geometry(wid: int) -> harness.Geometry:
    """The window's place once it has stopped moving (the move loop lags behind the pointer)."""
    last = [harness.geometry(wid)]

    def still():
        now = harness.geometry(wid)
        same = now == last[0]
        last[0] = now
        return same

    harness.wait_until(still, 5, interval=0.3, what="the window to stop moving")
    return last[0]


def settled_at(wid: int, x: int, y: int) -> harness.Geometry:
    """Waits for the window to reach (x, y) and stay there; the move loop may lag behind the
    pointer on a busy machine."""
    def there():
        g = harness.geometry(wid)
        return (g.x, g.y) == (x, y)

    harness.wait_until(there, 5, what=f"the window to reach {x}, {y}")
    place = settled_geometry(wid)
    assert (place.x, place.y) == (x, y), place
    return place


class TestSettingsPopup:
    def test_pencils_open_one_sub_panel_that_covers_both_rows_and_back_closes_it(self, lumora):
        wid = start(lumora, EYE_ON)
        park_pointer()
        harness.wait_until(lambda: not popup_controls(wid, "msctls_trackbar32"), 5,
                           what="the pop-up to be closed at start")
        before = harness.window_picture(wid)
        # What the pop-up must hide: both pencils, both switches.
        covered = crops(before, PENCILS + [EYE_SWITCH, REST_SWITCH])
        assert not any(harness.is_uniform(before, box) for box in PENCILS), \
            "both pencils should show while both features are on"

        # Eye-care pencil: the colour sub-panel with its seven sliders (the backlight's among them)
        # and the night's four boxes.
        harness.click(wid, *centre(PENCILS[0]))
        sliders = harness.wait_until(lambda: popup_controls(wid, "msctls_trackbar32"), 5,
                                     what="the colour sliders")
        assert len(sliders) == 7, sliders
        assert (SUB_PANEL[0] + 93, SUB_PANEL[1] + 39, SUB_PANEL[0] + 93 + 169,
                SUB_PANEL[1] + 39 + 17) in sliders, sliders  # Slider1
        assert len(popup_controls(wid, "Edit")) == 4
        park_pointer()
        shot = harness.window_picture(wid)
        assert shown_anywhere(shot, covered) == []
        popup = harness.settings_panels(wid)[0]
        assert popup[:3] == POPUP[:3] and popup[3] > POPUP[3], popup
        for x, y in [(popup[0] + 2, popup[3] - 3), (popup[2] - 3, popup[3] - 3)]:
            assert shot.getpixel((x, y)) == POPUP_BACKGROUND, (x, y)

        harness.click(wid, *harness.back_and_ok(wid)[0])
        harness.wait_until(lambda: not popup_controls(wid, "msctls_trackbar32"), 5,
                           what="Back to close the colour sub-panel")
        park_pointer()
        assert shown_anywhere(harness.window_picture(wid), covered) == [0, 1, 2, 3]

        # Rest pencil: the rest sub-panel with its text boxes (the two minutes, the short breaks'
        # two, the programs that hold a rest and the working hours' two), no sliders.
        harness.click(wid, *centre(PENCILS[1]))
        boxes = harness.wait_until(lambda: popup_controls(wid, "Edit"), 5,
                                   what="the rest text boxes")
        assert len(boxes) == REST_BOXES, boxes
        assert popup_controls(wid, "msctls_trackbar32") == []
        park_pointer()
        shot = harness.window_picture(wid)
        # The panel's own switches look like the rows': those are looked for where they stood.
        assert shown_anywhere(shot, covered[:2]) == []
        assert all(a.tobytes() != b.tobytes()
                   for a, b in zip(crops(shot, [EYE_SWITCH, REST_SWITCH]), covered[2:]))

        # The switches lie under the pop-up: clicking where they are changes nothing.
        harness.click(wid, *centre(EYE_SWITCH))
        harness.click(wid, *centre(REST_SWITCH))
        assert len(popup_controls(wid, "Edit")) == REST_BOXES

        harness.click(wid, *harness.back_and_ok(wid)[0])
        harness.wait_until(lambda: not popup_controls(wid, "Edit"), 5,
                           what="Back to close the rest sub-panel")
        park_pointer()
        after = harness.window_picture(wid)
        assert [c.tobytes() for c in crops(after, PENCILS + [EYE_SWITCH, REST_SWITCH])] == \
            [c.tobytes() for c in covered], "pencils and switches come back as they were"


class TestHideAndDisplay:
    def test_hidden_window_comes_back_from_the_menu_with_its_sub_panel_open(self, lumora):
        wid = start(lumora, "[dsxx]\nmei=45\nxiuxi=5\npdrun=1\n")
        harness.click(wid, *centre(PENCILS[1]))
        harness.wait_until(lambda: len(popup_controls(wid, "Edit")) == REST_BOXES, 5,
                           what="the rest sub-panel")
        place = harness.geometry(wid)  # grown with the open panel

        harness.click(wid, *HIDE_IMAGE)
        harness.wait_until(lambda: not harness.is_mapped(wid), 5, what="the window to hide")
        assert len(harness.lumora_pids()) == 1, "hiding must not end the program"
        assert harness.tray_icons(False), "the icon stays while the window is hidden"

        harness.click_screen(*harness.open_tray_menu(1)[1]["Display"])
        harness.wait_until(lambda: harness.is_mapped(wid), 5, what="Display to show the window")
        assert harness.geometry(wid) == place
        assert len(popup_controls(wid, "Edit")) == REST_BOXES, "the open sub-panel stays open"

        # Display while the window shows changes nothing.
        harness.click_screen(*harness.open_tray_menu(3)[1]["Display"])
        harness.wait_menus_closed()
        assert harness.is_mapped(wid) and harness.geometry(wid) == place
        assert len(popup_controls(wid, "Edit")) == REST_BOXES

        # Every way of editing lands at the caret: "45" and "5" both become "30".
        # Text3, Text2: the two boxes of the sentence, above the others
        boxes = sorted(popup_controls(wid, "Edit"), key=lambda b: b[1])
        length_box, interval_box = sorted(boxes[:2])
        harness.click(wid, *centre(interval_box))
        harness.keys("End", "BackSpace", "BackSpace", "BackSpace")
        harness.type_text("30")
        harness.keys("shift+Home", "ctrl+c")  # select all of it, copy it
        harness.type_text("30")  # and type over the selection
        harness.click(wid, *centre(length_box))
        harness.keys("End")
        harness.type_text("1")  # "51"
        harness.keys("BackSpace", "Home", "Delete", "ctrl+v")  # "5", "", "30"
        harness.type_text("7")
        harness.keys("BackSpace")

        # Alt+F4 hides the window as the hide image does: Display brings it back as it was.
        harness.keys("alt+F4")
        harness.wait_until(lambda: not harness.is_mapped(wid), 5, what="Alt+F4 to hide")
        assert len(harness.lumora_pids()) == 1, "Alt+F4 must not end the program"
        harness.click_screen(*harness.open_tray_menu(1)[1]["Display"])
        harness.wait_until(lambda: harness.is_mapped(wid), 5, what="Display after Alt+F4")
        assert harness.geometry(wid) == place
        assert len(popup_controls(wid, "Edit")) == REST_BOXES

        harness.click(wid, *harness.back_and_ok(wid)[1])
        harness.wait_until(lambda: not popup_controls(wid, "Edit"), 5, what="OK to close")
        lumora.wait_stored("dsxx", mei="30", xiuxi="30")


class TestTitleStripDrag:
    def test_dragging_the_title_strip_moves_the_window_by_the_drag_distance(self, lumora):
        wid = start(lumora)
        g0 = harness.geometry(wid)

        # A pointer passing over the strip without a button held moves nothing.
        for x in range(150, 260, 10):
            harness.pointer_to(g0.x + x, g0.y + 12)
        harness.pointer_to(g0.x + 100, g0.y + 200)
        harness.pointer_to(harness.SCREEN_W - 5, harness.SCREEN_H - 5)
        assert harness.geometry(wid) == g0

        # The window moves by the whole distance from the press, the first step included.
        dx, dy = -150, 90
        sx, sy = g0.x + 200, g0.y + 12
        harness.drag_path([(sx + dx * i // 10, sy + dy * i // 10) for i in range(11)])
        moved = settled_at(wid, g0.x + dx, g0.y + dy)
        # After the release the window stays put when the pointer moves on.
        harness.pointer_to(harness.SCREEN_W - 5, harness.SCREEN_H - 5)
        assert settled_geometry(wid) == moved

        # A press on the hide image slid along the strip neither drags nor hides the window.
        hx, hy = moved.x + HIDE_IMAGE[0], moved.y + HIDE_IMAGE[1]
        harness.drag_path([(hx, hy)] + [(hx - 30 * i, hy + 2) for i in range(1, 11)])
        harness.pointer_to(harness.SCREEN_W - 5, harness.SCREEN_H - 5)
        assert settled_geometry(wid) == moved and harness.is_mapped(wid)

    def test_with_the_buttons_swapped_the_primary_button_drags(self, lumora, swapped_buttons):
        wid = start(lumora)
        g0 = harness.geometry(wid)
        primary = swapped_buttons  # the physical button the user drags with
        sx, sy = g0.x + 200, g0.y + 12
        harness.drag_path([(sx + 12 * i, sy + 6 * i) for i in range(11)], primary)
        settled_at(wid, g0.x + 120, g0.y + 60)


class TestTrayMenu:
    def test_both_buttons_open_the_menu_and_escape_or_a_click_elsewhere_closes_it(self, lumora):
        wid = start(lumora)
        for button, dismiss in [(3, "escape"), (1, "click")]:
            icon = harness.tray_icons(False)[0]
            menu, entries = harness.open_tray_menu(button)
            left, top, _, _ = menu["rect"]
            # Opened at the pointer, which is still on the icon.
            assert abs(left - icon[0]) <= 1 and abs(top - icon[1]) <= 1, (menu["rect"], icon)
            assert list(entries) == harness.TRAY_MENU
            if dismiss == "escape":
                harness.keys("Escape")
            else:
                harness.click_screen(harness.SCREEN_W - 100, harness.SCREEN_H - 100)
            harness.wait_menus_closed(f"the menu to close ({dismiss})")
        assert len(harness.lumora_pids()) == 1 and harness.is_mapped(wid)

    def test_about_opens_a_sub_menu_with_about_app(self, lumora):
        start(lumora)
        menu, entries = harness.open_tray_menu()
        harness.click_screen(*entries["About"])
        subs = harness.wait_until(lambda: [m for m in harness.popup_menus()
                                           if m["hwnd"] != menu["hwnd"]], 5,
                                  what="the About sub-menu")
        assert len(subs) == 1
        assert [c for c, _ in harness.menu_entries(subs[0], ["About APP"] + harness.TRAY_MENU)] == \
            ["About APP"]
        harness.keys("Escape", "Escape")
        harness.wait_menus_closed("both menus to close")

    def test_a_pause_holds_the_prompt_and_resume_now_brings_it_back(self, lumora):
        start(lumora, "[dsxx]\nmei=1\nxiuxi=5\npdrun=1\n")  # a prompt due the next minute

        def choose(entry: str) -> None:
            menu, entries = harness.open_tray_menu(captions=["Pause reminders"])
            harness.click_screen(*entries["Pause reminders"])
            sub = harness.wait_until(lambda: [m for m in harness.popup_menus()
                                              if m["hwnd"] != menu["hwnd"]], 5, what="the sub-menu")
            harness.click_screen(*dict(harness.menu_entries(sub[0], [entry]))[entry])
            harness.wait_menus_closed("the menus to close")

        ends = [time.strftime("%Y-%m-%d %H:%M", time.localtime(harness.clock_now() + 1800))]
        choose("For 30 minutes")
        ends.append(time.strftime("%Y-%m-%d %H:%M", time.localtime(harness.clock_now() + 1800)))
        harness.wait_until(lambda: lumora.config()["dsxx"].get("paused_until") in ends, 5,
                           what="the pause's end to be stored")
        harness.move_clock(2)  # past the due minute, shorter than a rest: work, but paused
        time.sleep(1.5)
        assert harness.find_windows("Form2") == [], "prompted while paused"
        choose("Resume now")
        harness.wait_until(lambda: "paused_until" not in lumora.config()["dsxx"], 5,
                           what="the pause to end")
        harness.move_clock(1.1)
        harness.wait_window("Form2", 5)

    def test_exit_ends_removes_the_icon_and_writes_nothing(self, lumora):
        config = EYE_ON + "[dsxx]\nmei=30\nxiuxi=3\npdrun=1\n"
        wid = start(lumora, config)
        saved = lumora.config_path.read_bytes()
        adjusted = harness.gamma_get()
        # A change that the close image would save: switch the rest reminders off.
        harness.click(wid, *centre(REST_SWITCH))
        harness.wait_until(lambda: harness.is_uniform(harness.window_picture(wid), PENCILS[1]),
                           5, what="the rest pencil to hide")

        harness.click_screen(*harness.open_tray_menu()[1]["Exit"])
        lumora.wait_exit(timeout=10)
        harness.wait_icons(0, timeout=5)
        assert lumora.config_path.read_bytes() == saved
        # The colour adjustment outlives the program.
        assert harness.ramps_match(harness.gamma_get(), adjusted)


class TestSessionEnd:
    def test_an_unwritable_config_is_reported_but_never_while_the_session_ends(self, lumora):
        lumora.config_path.mkdir()  # a folder where config.ini should be: no write succeeds
        start(lumora)
        # As the system ends a session: to every top-level window of the program.
        WM_ENDSESSION = 0x16
        windows = harness.probe("windows")
        listed = {r["hwnd"] for r in windows}
        for window in windows:
            if window["parent"] not in listed and window["class"].startswith("Lumora"):
                harness._run(["wine", os.environ["LUMORA_PROBE"], "post", hex(window["hwnd"]),
                              hex(WM_ENDSESSION), "1"])
        time.sleep(3)  # the settings are saved now, and fail to be
        assert harness.message_boxes("Lumora") == [], "a modal message while the session ends"
        assert len(harness.lumora_pids()) == 1

        # The same save from the rest panel's OK in a new run does say so.
        lumora.stop()
        harness.wine_kill()
        wid = start(lumora)
        harness.click(wid, *centre(PENCILS[1]))
        harness.wait_until(lambda: len(popup_controls(wid, "Edit")) == REST_BOXES, 5,
                           what="the rest sub-panel")
        harness.click(wid, *harness.back_and_ok(wid)[1])
        harness.wait_until(lambda: harness.message_boxes("Lumora"), 10,
                           what="the unwritable message")


class TestKeyboardOnly:
    def test_the_whole_window_works_with_tab_space_enter_and_escape(self, lumora):
        wid = start(lumora, "[dsxx]\nmei=45\nxiuxi=5\npdrun=1\n")
        # No window manager runs here to hand the shown window the keyboard: do as one does.
        harness.focus_window(wid)

        # Tab reaches the eye-care switch first, and only then does a focus mark show round it.
        around = (EYE_SWITCH[0] - 4, EYE_SWITCH[1] - 4, EYE_SWITCH[2] + 4, EYE_SWITCH[3] + 4)
        park_pointer()
        unfocused = harness.window_picture(wid).crop(around)
        harness.keys("Tab")
        harness.wait_until(lambda: harness.window_picture(wid).crop(around) != unfocused, 5,
                           what="the focus mark round the eye-care switch")
        # Space turns eye care on, and its pencil shows.
        harness.keys("space")

        # Tab, Tab: the colour pencil; Enter opens the panel on the brightness slider, whose
        # arrows move it (down: the display refuses ramps that lift black); Enter is OK.
        harness.keys("Tab", "Tab", "Return")
        harness.wait_until(lambda: len(popup_controls(wid, "msctls_trackbar32")) == 7, 5,
                           what="the colour sub-panel")
        harness.keys("Left", "Left", "Left", "Return")
        harness.wait_until(lambda: not popup_controls(wid, "msctls_trackbar32"), 5,
                           what="OK to close the colour sub-panel")
        lumora.wait_stored("eye", liangdu="-3")

        # The focus is back on the colour pencil: Tab goes on to the rest pencil. Tab selects a
        # box's text, so typing replaces it; Enter is OK.
        harness.keys("Tab", "Return")
        harness.wait_until(lambda: len(popup_controls(wid, "Edit")) == REST_BOXES, 5,
                           what="the rest sub-panel")
        harness.keys("Tab")
        harness.type_text("30")
        harness.keys("Return")
        harness.wait_until(lambda: not popup_controls(wid, "Edit"), 5, what="OK to close")
        lumora.wait_stored("dsxx", mei="30", xiuxi="5")

        # Esc with no panel open hides the window, and the program runs on in the tray.
        harness.keys("Escape")
        harness.wait_until(lambda: not harness.is_mapped(wid), 5, what="Esc to hide")
        assert len(harness.lumora_pids()) == 1, "hiding must not end the program"
