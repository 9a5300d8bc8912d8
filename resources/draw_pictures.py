#!/usr/bin/python3
"""Draws Lumora's pictures and program icon, and writes the identity ramp.

Every picture is drawn at SCALE times its final size and reduced with a
Lanczos filter, so edges come out anti-aliased. GIFs get binary transparency:
edge pixels are blended with the colour the picture sits on (its "matte") and
the rest of the ground is left transparent.

Run from anywhere:  /usr/bin/python3 resources/draw_pictures.py
Writes resources/pictures/*.gif|*.jpg|lumora.ico and resources/monitor.txt.
"""

import math
import struct
import sys
from pathlib import Path

from PIL import Image, ImageChops, ImageDraw

SCALE = 8

HERE = Path(__file__).resolve().parent
PICTURES = HERE / "pictures"

# Palette shared by all pictures.
WINDOW_BG = (0xF3, 0xF8, 0xFB)
TITLE_STRIP = (0x6A, 0xBD, 0xD9)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
CLOSE_RED = (0xE0, 0x48, 0x48)
BEZEL = (0x2B, 0x3A, 0x4A)
BEZEL_LED = (0x6A, 0xBD, 0xD9)
NECK = (0x8C, 0x9C, 0xAB)
BASE = (0x6F, 0x80, 0x91)
SHADOW = (0xDF, 0xE8, 0xEE)
SCREEN_TOP = (0x2F, 0x93, 0xC6)
SCREEN_BOTTOM = (0x1C, 0x6C, 0xA3)
GREEN = (0x2E, 0xA8, 0x5C)
GREEN_TINT = (0xD4, 0xEF, 0xDE)
IRIS = (0x6A, 0xBD, 0xD9)
IRIS_RIM = (0x1A, 0x55, 0x80)
PUPIL = (0x0E, 0x26, 0x3A)
TEAL = (0x12, 0x9E, 0x9A)
DISC_DARK = (0x1A, 0x1A, 0x1A)

# Where the monitor's screen lies in the 128 x 128 pictures; the main window
# draws "NEXT TIME" and the time over it around y 17..67.
SCREEN_BOX = (10, 10, 118, 80)


# --------------------------------------------------------------------------
# Drawing helpers: all coordinates are in final pixels, scaled here.


class Canvas:
    """An RGBA drawing surface SCALE times the final size."""

    def __init__(self, width, height, ground=(0, 0, 0, 0)):
        self.width, self.height = width, height
        self.image = Image.new("RGBA", (width * SCALE, height * SCALE), ground)
        self.draw = ImageDraw.Draw(self.image)

    @staticmethod
    def s(v):
        return round(v * SCALE)

    def box(self, x0, y0, x1, y1):
        return [self.s(x0), self.s(y0), self.s(x1) - 1, self.s(y1) - 1]

    def rect(self, x0, y0, x1, y1, fill, radius=0):
        if radius:
            self.draw.rounded_rectangle(self.box(x0, y0, x1, y1), self.s(radius), fill=fill)
        else:
            self.draw.rectangle(self.box(x0, y0, x1, y1), fill=fill)

    def ellipse(self, x0, y0, x1, y1, fill):
        self.draw.ellipse(self.box(x0, y0, x1, y1), fill=fill)

    def circle(self, cx, cy, r, fill):
        self.ellipse(cx - r, cy - r, cx + r, cy + r, fill)

    def ring(self, cx, cy, r, width, fill):
        self.draw.ellipse(self.box(cx - r, cy - r, cx + r, cy + r), outline=fill, width=self.s(width))

    def polygon(self, points, fill):
        self.draw.polygon([(x * SCALE, y * SCALE) for x, y in points], fill=fill)

    def stroke(self, points, width, fill):
        """A polyline with round caps and joins."""
        pts = [(x * SCALE, y * SCALE) for x, y in points]
        w = width * SCALE
        self.draw.line(pts, fill=fill, width=round(w))
        r = w / 2
        for x, y in pts:
            self.draw.ellipse([x - r, y - r, x + r, y + r], fill=fill)

    def paste_masked(self, colour, mask):
        self.image.paste(Image.new("RGBA", self.image.size, colour), (0, 0), mask)

    def new_mask(self):
        return Image.new("L", self.image.size, 0)

    def reduce(self):
        return self.image.resize((self.width, self.height), Image.Resampling.LANCZOS)


def arc_points(cx, cy, r, start_deg, end_deg, steps=48):
    """Points on a circle, angles in degrees, y pointing down."""
    return [
        (
            cx + r * math.cos(math.radians(start_deg + (end_deg - start_deg) * i / steps)),
            cy + r * math.sin(math.radians(start_deg + (end_deg - start_deg) * i / steps)),
        )
        for i in range(steps + 1)
    ]


def drop_points(cx, cy, r, tip_height, steps=64):
    """A water drop: a circle of radius r and a tip tip_height above its centre,
    joined by the two tangents from the tip."""
    d = tip_height
    half = math.degrees(math.acos(r / d))
    # Angles measured from straight up, clockwise; the tangent points lie at +-half.
    points = [(cx, cy - d)]
    for i in range(steps + 1):
        a = math.radians(half + (360 - 2 * half) * i / steps)
        points.append((cx + r * math.sin(a), cy - r * math.cos(a)))
    return points


def vertical_gradient(size, top, bottom):
    w, h = size
    column = Image.new("RGBA", (1, h))
    for y in range(h):
        t = y / max(1, h - 1)
        column.putpixel((0, y), tuple(round(a + (b - a) * t) for a, b in zip(top, bottom)) + (255,))
    return column.resize((w, h))


def flatten(rgba, ground):
    """Composites onto an opaque ground colour; the result is RGB."""
    base = Image.new("RGBA", rgba.size, ground + (255,))
    return Image.alpha_composite(base, rgba).convert("RGB")


# --------------------------------------------------------------------------
# Writers.


def save_jpeg(rgb, name):
    rgb.save(PICTURES / name, "JPEG", quality=95, subsampling=0, optimize=True)


def save_gif(rgba, name, matte, threshold=100):
    """Saves with one transparent palette entry; pixels at least `threshold`
    opaque are kept, blended with the matte they will be shown on."""
    width, height = rgba.size
    opaque = flatten(rgba, matte)
    quantised = opaque.quantize(colors=255, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    palette = quantised.getpalette()[: 255 * 3]
    palette += [0] * (255 * 3 - len(palette))
    transparent = 255
    palette += list(matte)
    alpha = rgba.getchannel("A")
    indices = bytearray(quantised.tobytes())
    alpha_bytes = alpha.tobytes()
    for i in range(width * height):
        if alpha_bytes[i] < threshold:
            indices[i] = transparent
    out = Image.frombytes("P", (width, height), bytes(indices))
    out.putpalette(palette)
    out.save(PICTURES / name, "GIF", transparency=transparent, optimize=False)


# --------------------------------------------------------------------------
# The pictures.


def draw_hide():
    """P1: a white bar on transparent ground; it sits on the title strip and is
    stretched to 45 x 17, so it lies a little low to line up with the close cross."""
    c = Canvas(48, 20)
    c.rect(18, 11, 30, 13, WHITE, radius=1)
    save_gif(c.reduce(), "hide.gif", TITLE_STRIP)


def draw_close():
    """P2: a white cross on red."""
    c = Canvas(48, 19, CLOSE_RED + (255,))
    cx, cy, arm = 24, 9.5, 4.2
    c.stroke([(cx - arm, cy - arm), (cx + arm, cy + arm)], 1.6, WHITE)
    c.stroke([(cx - arm, cy + arm), (cx + arm, cy - arm)], 1.6, WHITE)
    save_jpeg(flatten(c.reduce(), CLOSE_RED), "close.jpg")


def draw_pencil():
    """P3: a pencil lying from bottom left (tip) to top right (eraser)."""
    c = Canvas(20, 20)
    # Draw the pencil upright along the x axis, then rotate the whole canvas.
    length, half = 19.0, 2.9
    x0 = 10 - length / 2
    y = 10
    tip_len, eraser_len, band_len = 5.0, 2.6, 1.4
    body_start = x0 + tip_len
    body_end = x0 + length - eraser_len - band_len
    c.polygon([(x0, y), (body_start, y - half), (body_start, y + half)], (0xF3, 0xD0, 0xA0, 255))
    c.polygon(
        [(x0, y), (x0 + tip_len * 0.42, y - half * 0.42), (x0 + tip_len * 0.42, y + half * 0.42)],
        (0x33, 0x3D, 0x47, 255),
    )
    c.rect(body_start, y - half, body_end, y + half, (0x3D, 0x8E, 0xC4, 255))
    c.rect(body_start, y - half, body_end, y - half / 3, (0x6A, 0xBD, 0xD9, 255))
    c.rect(body_end, y - half, body_end + band_len, y + half, (0x9A, 0xA7, 0xB3, 255))
    c.rect(body_end + band_len - 0.2, y - half, x0 + length, y + half, (0xE8, 0x6A, 0x6A, 255), radius=0.9)
    c.image = c.image.rotate(45, resample=Image.Resampling.BICUBIC, center=(10 * SCALE, 10 * SCALE))
    save_gif(c.reduce(), "pencil.gif", WINDOW_BG)


def monitor(c):
    """The monitor shared by P4 and P5; returns the screen box."""
    sx0, sy0, sx1, sy1 = SCREEN_BOX
    c.ellipse(30, 112, 98, 121, SHADOW + (255,))
    c.polygon([(56, 86), (72, 86), (75, 110), (53, 110)], NECK + (255,))
    c.rect(36, 107, 92, 115, BASE + (255,), radius=3)
    c.rect(sx0 - 6, sy0 - 6, sx1 + 6, sy1 + 9, BEZEL + (255,), radius=6)
    gradient = vertical_gradient((c.s(sx1 - sx0), c.s(sy1 - sy0)), SCREEN_TOP, SCREEN_BOTTOM)
    c.image.paste(gradient, (c.s(sx0), c.s(sy0)))
    c.circle(64, sy1 + 4.5, 1.3, BEZEL_LED + (255,))
    return SCREEN_BOX


def draw_monitor():
    """P5: the monitor with an empty screen; text is drawn over it at run time."""
    c = Canvas(128, 128, WINDOW_BG + (255,))
    monitor(c)
    save_jpeg(flatten(c.reduce(), WINDOW_BG), "monitor.jpg")


def draw_eye_monitor():
    """P4: the monitor with a large eye on its screen."""
    c = Canvas(128, 128, WINDOW_BG + (255,))
    sx0, sy0, sx1, sy1 = monitor(c)
    cx, cy = (sx0 + sx1) / 2, (sy0 + sy1) / 2
    # The eye's outline is the overlap of two large circles (a pointed almond).
    half_w, half_h = 40, 21
    r = (half_w**2 + half_h**2) / (2 * half_h)
    upper = c.new_mask()
    lower = c.new_mask()
    ImageDraw.Draw(upper).ellipse(c.box(cx - r, cy - half_h, cx + r, cy - half_h + 2 * r), fill=255)
    ImageDraw.Draw(lower).ellipse(c.box(cx - r, cy + half_h - 2 * r, cx + r, cy + half_h), fill=255)
    almond = ImageChops.multiply(upper, lower)
    c.paste_masked(WHITE + (255,), almond)
    iris = c.new_mask()
    d = ImageDraw.Draw(iris)
    d.ellipse(c.box(cx - 17, cy - 17, cx + 17, cy + 17), fill=255)
    c.paste_masked(IRIS_RIM + (255,), ImageChops.multiply(iris, almond))
    c.circle(cx, cy, 13.5, IRIS + (255,))
    c.circle(cx, cy, 7.5, PUPIL + (255,))
    c.circle(cx + 4.5, cy - 4.5, 2.8, WHITE + (255,))
    save_jpeg(flatten(c.reduce(), WINDOW_BG), "eye_monitor.jpg")


def button_disc(c):
    c.circle(24, 24, 22, GREEN_TINT + (255,))


def draw_ok():
    """P6: a green check mark on a pale green disc."""
    c = Canvas(48, 48)
    button_disc(c)
    c.stroke([(14.5, 25), (21, 31.5), (33.5, 17.5)], 4.6, GREEN + (255,))
    save_gif(c.reduce(), "ok.gif", WINDOW_BG)


def draw_back():
    """P7: a green arrow curving back to the left, on a pale green disc."""
    c = Canvas(48, 48, WINDOW_BG + (255,))
    button_disc(c)
    r = 7
    top, bottom = 19, 19 + 2 * r
    bend_x = 27
    path = [(18, top)] + arc_points(bend_x, top + r, r, -90, 90) + [(18, bottom)]
    c.stroke(path, 4.2, GREEN + (255,))
    c.polygon([(10.5, top), (19.5, top - 7.5), (19.5, top + 7.5)], GREEN + (255,))
    save_jpeg(flatten(c.reduce(), WINDOW_BG), "back.jpg")


def draw_rest_close():
    """P8: a white cross on a black disc, edged by a thin light ring so it
    stands out on the black rest screen."""
    c = Canvas(60, 60, BLACK + (255,))
    c.circle(30, 30, 27, DISC_DARK + (255,))
    c.ring(30, 30, 27, 2, (0xE6, 0xE6, 0xE6, 255))
    arm = 9
    c.stroke([(30 - arm, 30 - arm), (30 + arm, 30 + arm)], 4, WHITE + (255,))
    c.stroke([(30 - arm, 30 + arm), (30 + arm, 30 - arm)], 4, WHITE + (255,))
    save_jpeg(flatten(c.reduce(), BLACK), "rest_close.jpg")


# --------------------------------------------------------------------------
# The program icon.

ICON_SIZES = (16, 24, 32, 48)
ICON_DEPTHS = (32, 8, 4)


def draw_icon_image(size):
    """Two white water drops on a teal rounded square, drawn in a 48-unit
    design space scaled to `size`."""
    u = size / 48
    c = Canvas(size, size)
    c.rect(0, 0, size, size, TEAL + (255,), radius=9 * u)
    big = drop_points(17 * u, 31 * u, 9.5 * u, 19.5 * u)
    small = drop_points(34 * u, 20.5 * u, 6 * u, 12.5 * u)
    c.polygon(big, WHITE + (255,))
    c.polygon(small, WHITE + (255,))
    return c.reduce()


def _dib(width, height, bpp, palette, pixel_rows, and_rows):
    """A BITMAPINFOHEADER (height doubled for the masks), palette, colour
    bitmap and AND mask; rows are given top-down and stored bottom-up."""
    xor = b"".join(reversed(pixel_rows))
    mask = b"".join(reversed(and_rows))
    header = struct.pack(
        "<IiiHHIIiiII", 40, width, height * 2, 1, bpp, 0, len(xor) + len(mask), 0, 0, 0, 0
    )
    return header + palette + xor + mask


def _row_pad(data):
    return data + b"\0" * (-len(data) % 4)


def _and_rows(alpha, width, height, threshold):
    rows = []
    for y in range(height):
        bits = bytearray((width + 7) // 8)
        for x in range(width):
            if alpha[y * width + x] < threshold:
                bits[x // 8] |= 0x80 >> (x % 8)
        rows.append(_row_pad(bytes(bits)))
    return rows


def icon_entry_32(img):
    w, h = img.size
    px = img.tobytes()
    rows = []
    for y in range(h):
        row = bytearray()
        for x in range(w):
            r, g, b, a = px[(y * w + x) * 4 : (y * w + x) * 4 + 4]
            row += bytes((b, g, r, a)) if a else b"\0\0\0\0"
        rows.append(bytes(row))
    alpha = img.getchannel("A").tobytes()
    return _dib(w, h, 32, b"", rows, _and_rows(alpha, w, h, 1))


def icon_entry_indexed(img, bpp):
    """4 or 8 bits per pixel: binary transparency through the AND mask, an
    adaptive palette for the opaque pixels, and palette entry 0 kept black so
    transparent pixels leave the screen untouched (screen AND 1 XOR 0)."""
    w, h = img.size
    alpha = img.getchannel("A").tobytes()
    threshold = 128
    colours = (1 << bpp) - 1
    rgb = img.convert("RGB")
    quantised = rgb.quantize(colors=colours, method=Image.Quantize.MEDIANCUT, dither=Image.Dither.NONE)
    used = quantised.getpalette()[: colours * 3]
    used += [0] * (colours * 3 - len(used))
    palette = b"\0\0\0\0" + b"".join(
        bytes((used[i * 3 + 2], used[i * 3 + 1], used[i * 3], 0)) for i in range(colours)
    )
    idx = quantised.tobytes()
    rows = []
    for y in range(h):
        values = [0 if alpha[y * w + x] < threshold else idx[y * w + x] + 1 for x in range(w)]
        if bpp == 8:
            row = bytes(values)
        else:
            values += [0] * (len(values) % 2)
            row = bytes((values[i] << 4) | values[i + 1] for i in range(0, len(values), 2))
        rows.append(_row_pad(row))
    return _dib(w, h, bpp, palette, rows, _and_rows(alpha, w, h, threshold))


def build_icon():
    images = {size: draw_icon_image(size) for size in ICON_SIZES}
    entries = []
    for bpp in ICON_DEPTHS:
        for size in sorted(ICON_SIZES, reverse=True):
            img = images[size]
            data = icon_entry_32(img) if bpp == 32 else icon_entry_indexed(img, bpp)
            entries.append((size, bpp, data))
    header = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    directory = b""
    blobs = b""
    for size, bpp, data in entries:
        colour_count = 16 if bpp == 4 else 0
        directory += struct.pack("<BBBBHHII", size, size, colour_count, 0, 1, bpp, len(data), offset)
        offset += len(data)
        blobs += data
    (PICTURES / "lumora.ico").write_bytes(header + directory + blobs)
    return images


# --------------------------------------------------------------------------
# The identity ramp: entry i = 257 * i in every channel, as signed 16-bit.


def identity_ramp_lines():
    lines = []
    for i in range(256):
        value = 257 * i
        if value > 32767:
            value -= 65536
        lines += [str(value)] * 3
    return lines


def write_monitor_txt():
    (HERE / "monitor.txt").write_text("\n".join(identity_ramp_lines()) + "\n", encoding="ascii")


def main():
    PICTURES.mkdir(exist_ok=True)
    draw_hide()
    draw_close()
    draw_pencil()
    draw_eye_monitor()
    draw_monitor()
    draw_ok()
    draw_back()
    draw_rest_close()
    build_icon()
    write_monitor_txt()
    return 0


if __name__ == "__main__":
    sys.exit(main())
