#!/usr/bin/python3
"""Checks the embedded pictures, the program icon, the resource script and
monitor.txt: each file's kind, pixel size and the content the program relies
on. Exits 1 and lists every mismatch; exits 0 when all hold.

Usage: /usr/bin/python3 resources/check_pictures.py [RESOURCES_DIR]
"""

import re
import struct
import sys
from pathlib import Path

from PIL import Image

# name, kind, width, height, needs a transparent ground
PICTURES = (
    ("hide.gif", "GIF", 48, 20, True),
    ("close.jpg", "JPEG", 48, 19, False),
    ("pencil.gif", "GIF", 20, 20, True),
    ("eye_monitor.jpg", "JPEG", 128, 128, False),
    ("monitor.jpg", "JPEG", 128, 128, False),
    ("ok.gif", "GIF", 48, 48, False),
    ("back.jpg", "JPEG", 48, 48, False),
    ("rest_close.jpg", "JPEG", 60, 60, False),
)

MAGIC = {"GIF": (b"GIF87a", b"GIF89a"), "JPEG": (b"\xff\xd8\xff",)}

ICON_IMAGES = {(size, bpp) for size in (16, 24, 32, 48) for bpp in (4, 8, 32)}

RC_IDS = {
    "IDI_LUMORA": 1,
    "IDR_HIDE_GIF": 101,
    "IDR_CLOSE_JPG": 102,
    "IDR_PENCIL_GIF": 103,
    "IDR_EYE_MONITOR_JPG": 104,
    "IDR_MONITOR_JPG": 105,
    "IDR_OK_GIF": 106,
    "IDR_BACK_JPG": 107,
    "IDR_REST_CLOSE_JPG": 108,
}


def check_picture(path, kind, width, height, transparent, faults):
    if not path.is_file():
        faults.append(f"{path.name}: missing")
        return
    data = path.read_bytes()
    if not data.startswith(MAGIC[kind]):
        faults.append(f"{path.name}: not a {kind} file")
        return
    try:
        with Image.open(path) as im:
            im.load()
            if im.format != kind:
                faults.append(f"{path.name}: decodes as {im.format}, expected {kind}")
            if im.size != (width, height):
                faults.append(f"{path.name}: {im.size[0]}x{im.size[1]}, expected {width}x{height}")
            if transparent:
                rgba = im.convert("RGBA")
                alpha = rgba.getchannel("A")
                lo, hi = alpha.getextrema()
                if lo != 0:
                    faults.append(f"{path.name}: no transparent ground")
                elif hi != 255:
                    faults.append(f"{path.name}: nothing opaque drawn")
                elif rgba.getpixel((0, 0))[3] != 0:
                    faults.append(f"{path.name}: corner is not transparent")
    except Exception as e:  # a damaged file must be reported, not crash the check
        faults.append(f"{path.name}: cannot be decoded ({e})")


def relative_luminance(rgb):
    def lin(c):
        c /= 255
        return c / 12.92 if c <= 0.04045 else ((c + 0.055) / 1.055) ** 2.4

    r, g, b = (lin(c) for c in rgb)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def check_monitor_screen(path, faults):
    """White bold text is drawn over the empty monitor at run time: the area
    it covers has to be blue and dark enough for white to read."""
    try:
        with Image.open(path) as im:
            rgb = im.convert("RGB")
    except Exception:
        return  # already reported
    if rgb.size != (128, 128):
        return
    worst = 21.0
    for y in range(17, 68):
        for x in range(12, 117):
            r, g, b = rgb.getpixel((x, y))
            if not (b > r + 40 and b > g):
                faults.append(f"{path.name}: pixel ({x},{y}) = #{r:02X}{g:02X}{b:02X} is not screen blue")
                return
            worst = min(worst, 1.05 / (relative_luminance((r, g, b)) + 0.05))
    if worst < 3.0:
        faults.append(f"{path.name}: white text on the screen would have contrast {worst:.2f} (< 3)")


def decode_ico(data):
    """Returns [(width, height, bpp, rgba Image)] for every entry of an ICO
    file whose entries are uncompressed DIBs; raises ValueError on a bad file."""
    if len(data) < 6:
        raise ValueError("too short")
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    if len(data) < 6 + 16 * count:
        raise ValueError("directory runs past the end")
    images = []
    for n in range(count):
        w, h, colours, _, planes, bpp, size, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * n)
        w, h = w or 256, h or 256
        if offset + size > len(data) or size < 40:
            raise ValueError(f"entry {n} runs past the end")
        blob = data[offset : offset + size]
        (hsize, dw, dh, dplanes, dbpp, compression, image_size) = struct.unpack_from("<IiiHHII", blob, 0)
        if hsize != 40 or compression != 0:
            raise ValueError(f"entry {n}: not an uncompressed DIB")
        if (dw, dh) != (w, h * 2) or dbpp != bpp or dplanes != 1 or planes != 1:
            raise ValueError(f"entry {n}: directory says {w}x{h}@{bpp}, DIB says {dw}x{dh // 2}@{dbpp}")
        if bpp == 4 and colours != 16:
            raise ValueError(f"entry {n}: 4-bit entry must declare 16 colours")
        palette_len = (1 << bpp) if bpp <= 8 else 0
        pos = hsize
        palette = [tuple(blob[pos + 4 * i : pos + 4 * i + 3][::-1]) for i in range(palette_len)]
        pos += 4 * palette_len
        stride = ((w * bpp + 31) // 32) * 4
        mask_stride = ((w + 31) // 32) * 4
        if pos + stride * h + mask_stride * h != size or image_size not in (0, stride * h + mask_stride * h):
            raise ValueError(f"entry {n}: size does not match its bitmaps")
        xor = blob[pos : pos + stride * h]
        mask = blob[pos + stride * h :]
        img = Image.new("RGBA", (w, h))
        for y in range(h):
            row = xor[(h - 1 - y) * stride :]
            mrow = mask[(h - 1 - y) * mask_stride :]
            for x in range(w):
                masked = (mrow[x // 8] >> (7 - x % 8)) & 1
                if bpp == 32:
                    b, g, r, a = row[4 * x : 4 * x + 4]
                elif bpp == 8:
                    r, g, b = palette[row[x]]
                    a = 255
                else:
                    nibble = (row[x // 2] >> (4 if x % 2 == 0 else 0)) & 0xF
                    r, g, b = palette[nibble]
                    a = 255
                if masked:
                    if (r, g, b) != (0, 0, 0) or (bpp == 32 and a != 0):
                        raise ValueError(f"entry {n}: masked pixel ({x},{y}) would not be transparent")
                    a = 0
                img.putpixel((x, y), (r, g, b, a))
        images.append((w, h, bpp, img))
    return images


def check_icon(path, faults):
    if not path.is_file():
        faults.append(f"{path.name}: missing")
        return
    try:
        images = decode_ico(path.read_bytes())
    except (ValueError, struct.error, IndexError) as e:
        faults.append(f"{path.name}: {e}")
        return
    found = [(w, bpp) for w, h, bpp, _ in images if w == h]
    if len(images) != 12 or set(found) != ICON_IMAGES or len(found) != 12:
        got = ", ".join(f"{w}x{h}@{bpp}" for w, h, bpp, _ in images)
        faults.append(f"{path.name}: expected 16/24/32/48 px at 4/8/32 bits, found {got}")
        return
    for w, _, bpp, img in images:
        opaque = [px for px in img.getdata() if px[3] == 255]
        white = sum(1 for r, g, b, _ in opaque if min(r, g, b) > 235)
        teal = sum(1 for r, g, b, _ in opaque if g > r + 60 and b > r + 60 and abs(g - b) < 40)
        if white < w * w // 12 or teal < w * w // 3:
            faults.append(f"{path.name}: {w}x{w}@{bpp} is not white drops on teal ({white} white, {teal} teal)")


def check_monitor_txt(path, faults):
    if not path.is_file():
        faults.append(f"{path.name}: missing")
        return
    lines = path.read_text(encoding="ascii", errors="replace").split("\n")
    if lines and lines[-1] == "":
        lines.pop()
    if len(lines) != 768:
        faults.append(f"{path.name}: {len(lines)} lines, expected 768")
        return
    for n, line in enumerate(lines):
        i = n // 3
        expected = 257 * i - (65536 if 257 * i > 32767 else 0)
        if line != str(expected):
            faults.append(f"{path.name}: line {n + 1} is {line!r}, expected {expected}")
            return


def check_resource_script(folder, faults):
    header = folder / "resource.h"
    script = folder / "lumora.rc"
    if not header.is_file() or not script.is_file():
        faults.append("resource.h or lumora.rc missing")
        return
    defined = {m[0]: int(m[1]) for m in re.findall(r"^#define\s+(\w+)\s+(\d+)\s*$", header.read_text(), re.M)}
    for name, value in RC_IDS.items():
        if defined.get(name) != value:
            faults.append(f"resource.h: {name} is {defined.get(name)}, expected {value}")
    for name, file in re.findall(r'^(\w+)\s+(?:RCDATA|ICON|24)\s+"([^"]+)"', script.read_text(encoding="utf-8"), re.M):
        if not (folder / file).is_file():
            faults.append(f"lumora.rc: {name} names {file}, which does not exist")


def main(argv):
    folder = Path(argv[1]) if len(argv) > 1 else Path(__file__).resolve().parent
    faults = []
    for name, kind, w, h, transparent in PICTURES:
        check_picture(folder / "pictures" / name, kind, w, h, transparent, faults)
    check_monitor_screen(folder / "pictures" / "monitor.jpg", faults)
    check_icon(folder / "pictures" / "lumora.ico", faults)
    check_monitor_txt(folder / "monitor.txt", faults)
    check_resource_script(folder, faults)
    for fault in faults:
        print(f"check_pictures: {fault}", file=sys.stderr)
    print(f"check_pictures: {'FAILED' if faults else 'ok'}: {len(faults)} fault(s)")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
