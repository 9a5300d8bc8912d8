"""The windows as they look on screen at 96, 144 and 168 DPI: sizes, colours, pictures, and text
that is neither clipped nor covered, sampled from screenshots of the real program.

Each scenario saves its screenshots in its pytest temporary folder; with
LUMORA_UPDATE_REFERENCE=1 it also writes them to tests/e2e/reference/ (the pictures the
README shows)."""

import os
import shutil
import subprocess
from pathlib import Path

import pytest
from PIL import Image

import harness
from harness import centre

REFERENCE = Path(__file__).resolve().parent / "reference"

TITLE_STRIP = (0x6A, 0xBD, 0xD9)
BACKGROUND = (0xF3, 0xF8, 0xFB)
PROMPT_STRIP = (0xE0, 0xE0, 0xE0)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)

# Both features on, so both edit pencils show; fixed rest times, so the row reads "5" and "45".
BOTH_ON = """[dsxx]
mei=45
xiuxi=5
pdrun=1
[eye]
pdrun=1
liangdu=0
duibidu=100
rgbr=0
rgbg=0
rgbb=0
"""


def px(twips: int, dpi: int) -> int:
    """Twips to pixels as the program rounds them (MulDiv: to nearest, halves away from 0)."""
    value = abs(twips) * dpi
    result = (value + 720) // 1440
    return result if twips >= 0 else -result


def box(left: int, top: int, width: int, height: int, dpi: int) -> tuple[int, int, int, int]:
    """A design rectangle in twips as a pixel box (left, top, right, bottom)."""
    return (px(left, dpi), px(top, dpi), px(left + width, dpi), px(top + height, dpi))


def offset(b: tuple[int, int, int, int], dx: int, dy: int) -> tuple[int, int, int, int]:
    return (b[0] + dx, b[1] + dy, b[2] + dx, b[3] + dy)


def differs(p, q, tolerance: int = 40) -> bool:
    return any(abs(a - b) > tolerance for a, b in zip(p, q))


def ink_columns(image: Image.Image, b, ground, tolerance: int = 40) -> list[int]:
    """Columns of the box holding any pixel clearly unlike the ground colour."""
    crop = image.crop(b).load()
    width, height = b[2] - b[0], b[3] - b[1]
    return [b[0] + x for x in range(width)
            if any(differs(crop[x, y], ground, tolerance) for y in range(height))]


def count_close(image: Image.Image, b, colour, tolerance: int = 12) -> int:
    crop = image.crop(b)
    return sum(n for n, c in crop.getcolors(crop.width * crop.height)
               if harness.close_colour(c, colour, tolerance))


def duplicate_ratio(image: Image.Image) -> float:
    """Share of horizontally and vertically adjacent pixel pairs that are exactly equal."""
    pixels = image.load()
    w, h = image.size
    same = total = 0
    for y in range(h):
        for x in range(w):
            if x + 1 < w:
                same += pixels[x, y] == pixels[x + 1, y]
                total += 1
            if y + 1 < h:
                same += pixels[x, y] == pixels[x, y + 1]
                total += 1
    return same / total


def lettering_tones(image: Image.Image) -> tuple[int, int]:
    """The lettering's ink pixels and those of them in an intermediate tone. Each row's first
    pixel is the tab, left of the letters; ink is what differs from it. Lettering drawn in whole pixels
    has two inks only (the letters and their shadow); smooth lettering blends them into the
    tab along every edge."""
    pixels = image.load()
    ink = []
    for y in range(image.height):
        row = [pixels[x, y] for x in range(image.width)]
        ground = row[0]
        ink += [p for p in row if differs(p, ground, 16)]
    if not ink:
        return 0, 0
    lightest, darkest = max(ink, key=sum), min(ink, key=sum)
    between = [p for p in ink if differs(p, lightest, 8) and differs(p, darkest, 8)]
    return len(ink), len(between)


def scaled(pixels_at_96: int, dpi: int) -> int:
    """A length of the switch's 96-DPI artwork at a DPI, rounded as the program rounds it."""
    return (pixels_at_96 * dpi + 48) // 96


def keep(folder: Path, image: Image.Image, name: str) -> None:
    """Saves a screenshot in the test's folder, and as a reference picture on request."""
    image.save(folder / f"{name}.png")
    if os.environ.get("LUMORA_UPDATE_REFERENCE") == "1":
        REFERENCE.mkdir(exist_ok=True)
        image.save(REFERENCE / f"{name}.png", optimize=True)


def settle(wid: int, seconds: float = 0.6):
    """The window's picture once two screenshots in a row agree (painting has finished)."""
    previous = harness.window_picture(wid)
    deadline = seconds
    while deadline > 0:
        harness.time.sleep(0.2)
        deadline -= 0.2
        current = harness.window_picture(wid)
        if current.tobytes() == previous.tobytes():
            return current
        previous = current
    return previous


# ---------------------------------------------------------------- prefixes at other DPIs


@pytest.fixture(scope="session")
def dpi_prefixes(tmp_path_factory):
    """Copies of the run's prepared prefix with the display at another DPI, made once each."""
    made: dict[int, Path] = {}

    def prefix(dpi: int) -> Path:
        if dpi not in made:
            harness.wine_kill()
            target = tmp_path_factory.mktemp(f"dpi{dpi}") / "prefix"
            shutil.copytree(Path(os.environ["WINEPREFIX"]), target, symlinks=True)
            env = dict(os.environ, WINEPREFIX=str(target))
            for key in (r"HKCU\Control Panel\Desktop", r"HKCC\Software\Fonts"):
                subprocess.run(["wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD",
                                "/d", str(dpi), "/f"], env=env, capture_output=True, timeout=60,
                               check=True)
            subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=60)
            made[dpi] = target
        return made[dpi]

    yield prefix
    for target in made.values():
        subprocess.run(["wineserver", "-k"], env=dict(os.environ, WINEPREFIX=str(target)),
                       capture_output=True, timeout=30)
        shutil.rmtree(target, ignore_errors=True)


@pytest.fixture(params=[96, 144], ids=lambda dpi: f"{dpi}dpi")
def dpi_app(request, program_dir, monkeypatch):
    """The program in a plain Wine session at the given DPI, not yet started."""
    dpi = request.param
    if dpi != 96:
        monkeypatch.setenv("WINEPREFIX", str(request.getfixturevalue("dpi_prefixes")(dpi)))
    harness.wine_kill()
    harness.gamma_reset()
    app = harness.Lumora(program_dir)
    yield dpi, app
    app.stop()
    harness.wine_kill()


# ---------------------------------------------------------------- the main window


def check_title_strip(image: Image.Image, dpi: int) -> None:
    w = image.width
    strip_h = px(375, dpi)
    # Below the caption and the two images, one row runs the whole width in the strip colour.
    row = strip_h - 2
    off = [x for x in range(w) if not harness.close_colour(image.getpixel((x, row)), TITLE_STRIP)]
    assert off == [], f"title strip row {row} differs at {off[:10]}"
    assert harness.close_colour(image.getpixel((w // 2, strip_h + 2)), BACKGROUND)
    # White caption on the strip, within its label.
    title = box(120, 26, 2655, 255, dpi)
    assert count_close(image, title, WHITE, 40) > 20 * (dpi // 96)
    # The close picture: white cross on red, at the right end.
    close = box(8800, 0, 720, 285, dpi)
    red = count_close(image, close, (0xE0, 0x40, 0x40), 60)
    assert red > (close[2] - close[0]) * (close[3] - close[1]) // 3, red


def check_covers_apart(image, sentence, covers, ground, framed: bool) -> None:
    """The controls lying in a sentence's gaps stand apart from its words, with words on both
    sides. A framed control (a text box) inks its whole width, and the words keep two blank
    columns from it. A label's centred number is the run of ink around the label's middle
    (ink closer than four blank columns joins it): it must end inside the label, or a word runs
    into it."""
    ink = ink_columns(image, sentence, ground)
    for cover in covers:
        inside = [x for x in ink if cover[0] <= x < cover[2]]
        assert inside, f"nothing drawn in {cover}"
        if framed:
            first, last = inside[0], inside[-1]
            before = [x for x in ink if x < first]
            after = [x for x in ink if x > last]
            assert before and after, f"no words around {cover}"
            assert first - before[-1] - 1 >= 2, f"a word touches {cover} on the left"
            assert after[0] - last - 1 >= 2, f"a word touches {cover} on the right"
            continue
        middle = (cover[0] + cover[2]) // 2
        k = min(range(len(ink)), key=lambda n: abs(ink[n] - middle))
        lo = hi = k
        while lo > 0 and ink[lo] - ink[lo - 1] <= 4:
            lo -= 1
        while hi + 1 < len(ink) and ink[hi + 1] - ink[hi] <= 4:
            hi += 1
        assert cover[0] <= ink[lo] and ink[hi] < cover[2], \
            f"the number in {cover} runs into the words ({ink[lo]}..{ink[hi]})"
        assert lo > 0 and hi + 1 < len(ink), f"no words around {cover}"


@pytest.mark.parametrize("dpi_app", [96, 144, 168], ids=lambda dpi: f"{dpi}dpi", indirect=True)
def test_main_window_rows_and_panels(dpi_app, tmp_path):
    dpi, app = dpi_app
    wid = app.run(BOTH_ON)
    g = harness.geometry(wid)
    assert (g.width, g.height) == (px(9615, dpi), px(4725, dpi))
    image = settle(wid)
    keep(tmp_path, image, f"main-{dpi}")

    check_title_strip(image, dpi)
    # The window's own colour, with the frame drawn as a line of the strip colour round it.
    for x, y in [(1000, 2500), (4700, 2500), (9000, 4000), (4700, 4500)]:
        assert harness.close_colour(image.getpixel((px(x, dpi), px(y, dpi))), BACKGROUND), (x, y)
    for x, y in [(0, g.height // 2), (g.width - 1, g.height // 2), (g.width // 2, g.height - 1)]:
        assert harness.close_colour(image.getpixel((x, y)), TITLE_STRIP), (x, y)

    # Both pencils, both monitor pictures and both switches are drawn where the design has them.
    for name, b in {"edit(0)": box(3840, 960, 300, 300, dpi),
                    "edit(1)": box(7320, 960, 300, 300, dpi),
                    "Image3": box(1920, 1920, 1920, 1920, dpi),
                    "Picture1": box(5295, 1965, 1920, 1920, dpi),
                    "SafeSwitch1": box(2160, 4080, 1170, 345, dpi),
                    "SafeSwitch2": box(5400, 4080, 1170, 345, dpi)}.items():
        assert not harness.is_uniform(image, b), f"{name} is empty"
    # "NEXT TIME" and the time in white on the empty monitor's blue screen.
    assert count_close(image, offset(box(135, 255, 1620, 630 + 375 - 255, dpi),
                                     px(5295, dpi), px(1965, dpi)), WHITE, 30) > 40

    # Pictures are scaled smoothly: at 144 DPI the eye monitor is no blockier than the picture
    # itself (a nearest-neighbour stretch repeats every other pixel).
    eye = image.crop(box(1920, 1920, 1920, 1920, dpi))
    source = Image.open(Path(__file__).resolve().parents[2] / "resources" / "pictures"
                        / "eye_monitor.jpg").convert("RGB")
    if dpi != 96:
        blocky = duplicate_ratio(source.resize(eye.size, Image.NEAREST))
        smooth = duplicate_ratio(source.resize(eye.size, Image.BILINEAR))
        measured = duplicate_ratio(eye)
        assert measured < (blocky + smooth) / 2, (measured, smooth, blocky)

    # The switches' OPENED is drawn smooth at the target size, not as pixel art scaled up: its
    # edges blend into the tab about as much as in the reference picture. (At 96 DPI the
    # letters' strokes are one pixel wide and may be drawn crisp.)
    for left in (2160, 5400):
        at = (px(left, dpi) + scaled(3, dpi), px(4080, dpi) + scaled(2, dpi))
        lettering = image.crop((*at, at[0] + scaled(51, dpi), at[1] + scaled(19, dpi)))
        ink, between = lettering_tones(lettering)
        assert ink > 30 * (dpi / 96) ** 2, f"no lettering on the switch at {left}"
        if dpi == 96:
            continue
        keep(tmp_path, lettering, f"lettering-{dpi}")
        assert between / ink > 0.25, f"blocky lettering at {left}: {between} of {ink} blend"
        reference = Image.open(REFERENCE / f"lettering-{dpi}.png").convert("RGB")
        ref_ink, ref_between = lettering_tones(reference)
        assert between / ink > 0.6 * ref_between / ref_ink, (left, between, ink, ref_between,
                                                             ref_ink)

    # "Rest 5 minutes every 45 minutes": the numbers sit in the sentence's gaps, apart from
    # the words on either side ("Rest", "minutes", "every", "minutes" and the two numbers).
    sentence = box(5160, 1320, 3465, 255, dpi)
    numbers = [box(5505, 1320, 495, 255, dpi), box(7140, 1320, 495, 255, dpi)]
    check_covers_apart(image, sentence, numbers, BACKGROUND, framed=False)

    # The colour panel covers both rows, switches included (below its night rows).
    harness.click(wid, *centre(box(3840, 960, 300, 300, dpi)))
    panel_left, panel_top = px(105 + 120, dpi), px(885 + 120, dpi)
    heading = offset(box(435, 225, 3735, 255, dpi), panel_left, panel_top)
    harness.wait_until(lambda: count_close(harness.window_picture(wid), heading, TITLE_STRIP)
                       > (heading[2] - heading[0]) * 4, 5, what="the colour panel")
    image = settle(wid)
    keep(tmp_path, image, f"colour-panel-{dpi}")
    # The rows make the panel taller than the window: the window grows, framed all round.
    grown = harness.geometry(wid)
    # Moved up to the screen's top (168 DPI), its strip lies under Wine's own tray window there.
    if grown.y > 2 * harness.TRAY_SLOT:
        check_title_strip(image, dpi)
    assert grown.height > g.height and grown.width == g.width, grown
    assert harness.close_colour(image.getpixel((g.width // 2, grown.height - 1)), TITLE_STRIP)
    assert harness.is_uniform(image, box(5160, 900, 2055, 315, dpi)), "Label2(1) shows through"
    for left in (2160, 5400):
        assert count_close(image, box(left, 4080, 1170, 345, dpi), (173, 228, 120)) == 0, \
            f"the switch at {left} shows through the panel"
    # Headings: white text on the strip colour. The panel clips what reaches past its right edge
    # (the "RGB" heading and the colour sliders, by design).
    panel_right = px(105 + 120 + 8520, dpi)
    for left, top, width in [(435, 225, 3735), (435, 945, 3735), (4515, 225, 4095)]:
        h = offset(box(left, top, width, 255, dpi), panel_left, panel_top)
        assert harness.close_colour(image.getpixel((min(h[2], panel_right) - 2, centre(h)[1])),
                                    TITLE_STRIP)
        assert harness.close_colour(image.getpixel((panel_right + 1, centre(h)[1])), BACKGROUND)
        assert count_close(image, h, WHITE, 40) > 10
    # Value captions and colour names fit their labels: ink, but none in the last column.
    for left, top, text in [(435, 585, "0"), (435, 1305, "100"), (4515, 585, "Red"),
                            (4515, 945, "Green"), (4515, 1305, "Blue")]:
        b = offset(box(left, top, 495, 255, dpi), panel_left, panel_top)
        ink = ink_columns(image, b, BACKGROUND)
        assert ink, f'"{text}" is not drawn'
        assert max(ink) < b[2] - 1, f'"{text}" is cut off at {b}'
    # Sliders on the panel's colour, each with its thumb and channel.
    for left, top, width in [(1395, 585, 2535), (1395, 1305, 2415), (5115, 600, 3495),
                             (5115, 945, 3495), (5115, 1305, 3495)]:
        s = offset(box(left, top, width, 255, dpi), panel_left, panel_top)
        assert harness.close_colour(image.getpixel((s[0], s[1])), BACKGROUND), s
        assert harness.close_colour(image.getpixel((min(s[2], panel_right) - 1, s[1])),
                                    BACKGROUND), s
        assert not harness.is_uniform(image, s), s
    # Back and OK pictures, below the rows.
    back, ok = harness.back_and_ok(wid, dpi)
    for x, y in (back, ok):
        b = (x - px(360, dpi), y - px(360, dpi), x + px(360, dpi), y + px(360, dpi))
        assert count_close(image, b, (0x2E, 0xA0, 0x50), 60) > 20, (x, y)

    # Back gives the window its designed size; then the rest panel: its sentence runs around
    # the two text boxes.
    harness.click(wid, *back)
    harness.wait_until(lambda: count_close(harness.window_picture(wid), heading, TITLE_STRIP)
                       == 0, 5, what="the colour panel to close")
    closed = harness.geometry(wid)
    assert (closed.width, closed.height) == (g.width, g.height), closed
    harness.click(wid, *centre(box(7320, 960, 300, 300, dpi)))
    text3 = offset(box(2895, 390, 495, 270, dpi), panel_left, panel_top)
    harness.wait_until(lambda: count_close(harness.window_picture(wid), text3, WHITE, 8) > 30, 5,
                       what="the rest panel")
    image = settle(wid)
    keep(tmp_path, image, f"rest-panel-{dpi}")
    boxes = [text3, offset(box(5010, 375, 525, 270, dpi), panel_left, panel_top)]
    sentence = offset(box(0, 345, 8895, 735, dpi), panel_left, panel_top)
    check_covers_apart(image, sentence, boxes, BACKGROUND, framed=True)
    assert count_close(image, box(2160, 4080, 1170, 345, dpi), (173, 228, 120)) == 0


# ---------------------------------------------------------------- prompt and rest screen


def test_prompt_and_rest_screen(dpi_app, tmp_path):
    dpi, app = dpi_app
    # An interval of 0 minutes: the prompt comes on the first tick.
    app.run("[dsxx]\nmei=0\nxiuxi=1\npdrun=1\n")
    prompt = harness.wait_window("Form2", 15)
    g = harness.geometry(prompt)
    assert (g.width, g.height) == (px(4980, dpi), px(1350, dpi))
    assert (g.x + g.width, g.y + g.height) == (harness.SCREEN_W, harness.SCREEN_H)
    image = settle(prompt)
    keep(tmp_path, image, f"prompt-{dpi}")

    strip_w = px(4935, dpi)
    row = px(255, dpi) - 2
    assert all(harness.close_colour(image.getpixel((x, row)), PROMPT_STRIP, 4)
               for x in range(strip_w)), "the prompt's title strip is not #E0E0E0 throughout"
    assert not harness.close_colour(image.getpixel((strip_w + 1, row)), PROMPT_STRIP, 4)
    assert count_close(image, box(0, 0, 4935, 255, dpi), BLACK, 60) > 10  # "Tavik Lumora"
    message = box(240, 360, 4575, 375, dpi)
    assert count_close(image, message, (0x00, 0x80, 0x00), 40) > 30
    do_not = box(1320, 960, 2175, 255, dpi)
    assert count_close(image, do_not, (0xFF, 0x80, 0x00), 40) > 15
    # The rule between them, and nothing of the hidden controls below.
    rule_y = px(840, dpi)
    assert harness.close_colour(image.getpixel((px(2500, dpi), rule_y)), (0xC0, 0xC0, 0xC0), 16)
    # The message and "Do Not" are centred in their labels and fit them.
    for b in (message, do_not):
        ink = ink_columns(image, b, image.getpixel((b[0], b[1])))
        assert ink and min(ink) > b[0] and max(ink) < b[2] - 1, b
        assert abs((min(ink) + max(ink)) / 2 - (b[0] + b[2]) / 2) <= 3, (b, min(ink), max(ink))

    # Accepting opens the black rest screen over the whole screen with the countdown in white.
    harness.click(prompt, *centre(message))
    rest = harness.wait_window("Form3", 10)
    rg = harness.geometry(rest)
    assert (rg.x, rg.y, rg.width, rg.height) == (0, 0, harness.SCREEN_W, harness.SCREEN_H)
    digits = (px(840, dpi), px(2880, dpi), px(840 + 13215, dpi), px(2880 + 2055, dpi))
    # The panel is centred on the screen at load; find its digits in the middle band.
    band = (0, digits[1], harness.SCREEN_W, digits[3])
    harness.wait_until(lambda: count_close(harness.screenshot(), band, WHITE, 30) > 500, 5,
                       what="the countdown panel")
    # The next tick replaces the panel's text with the countdown.
    first = harness.screenshot().crop(band).tobytes()
    harness.wait_until(lambda: harness.screenshot().crop(band).tobytes() != first, 3,
                       interval=0.2, what="the countdown to tick")
    screen = harness.screenshot()
    keep(tmp_path, screen, f"rest-screen-{dpi}")
    for x, y in [(5, 5), (harness.SCREEN_W - 5, harness.SCREEN_H - 5), (100, 700)]:
        assert screen.getpixel((x, y)) == BLACK, (x, y)
    ink = ink_columns(screen, band, BLACK)
    assert abs((min(ink) + max(ink)) / 2 - harness.SCREEN_W / 2) <= 4, (min(ink), max(ink))
    # 72-point digits: their ink is about a 72-point line tall.
    rows = [y for y in range(band[1], band[3])
            if any(screen.getpixel((x, y)) != BLACK for x in range(min(ink), max(ink) + 1))]
    assert 0.6 * 72 * dpi / 72 <= rows[-1] - rows[0] <= 1.1 * 72 * dpi / 72, rows
    # "Time：" in white on black in its box above.
    time_box = (0, px(1560, dpi), harness.SCREEN_W, px(1560 + 855, dpi))
    assert count_close(screen, time_box, WHITE, 30) > 50
    # The close picture, centred below.
    close = (harness.SCREEN_W // 2 - px(450, dpi), px(5280, dpi),
             harness.SCREEN_W // 2 + px(450, dpi), px(5280 + 900, dpi))
    assert count_close(screen, close, WHITE, 40) > 30
