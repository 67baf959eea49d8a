#!/usr/bin/env python3
"""Writes the pictures of the Windows program's resource script (src/win32/resources/).

sonarel.ico: the application icon, from our own PNG drawings in src/gui/icons (made by
scripts/make_icon.py). Sizes up to 48 become 32-bit DIB entries with a mask, 256 stays PNG.

decode_normal.bmp, decode_hot.bmp, decode_disabled.bmp: strips of four 16x16 icons (open,
save, cancel, decode) for the Decode button, on light grey (192, 192, 192), the colour the
image lists make transparent. The icons are drawn here with 4x4 supersampling; the hot strip
is a quarter brighter, the disabled one grey and engraved.

Usage: scripts/make_win32_resources.py   (writes into src/win32/resources)
"""
import math
import os
import struct
import zlib

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
ICONS = os.path.join(ROOT, "src", "gui", "icons")
OUT = os.path.join(ROOT, "src", "win32", "resources")
ICO_SIZES = (16, 24, 32, 48, 256)
KEY = (192, 192, 192)
CELL = 16
SUB = 4


def read_png_rgba(path):
    """Reads an 8-bit RGBA, non-interlaced PNG whose rows all use filter 0 (as make_icon.py
    writes them)."""
    with open(path, "rb") as f:
        data = f.read()
    pos, idat, width = 8, b"", 0
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour = struct.unpack(">IIBB", body[:10])
            assert (depth, colour) == (8, 6), path
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw = zlib.decompress(idat)
    stride = width * 4 + 1
    rows = []
    for y in range(height):
        row = raw[y * stride:(y + 1) * stride]
        assert row[0] == 0, "%s: row filter %d" % (path, row[0])
        rows.append(row[1:])
    return width, rows


def dib_entry(size, rows):
    """A 32-bit bottom-up DIB with its AND mask, as an icon directory entry holds it."""
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b""
    mask = b""
    mask_stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x in range(size):
            r, g, b, a = row[x * 4:x * 4 + 4]
            pixels += bytes((b, g, r, a))
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + pixels + mask


def write_ico(path):
    entries = []
    for size in ICO_SIZES:
        png = os.path.join(ICONS, "sonarel-%d.png" % size)
        if size >= 256:
            with open(png, "rb") as f:
                entries.append((size, f.read()))
        else:
            width, rows = read_png_rgba(png)
            entries.append((width, dib_entry(width, rows)))
    offset = 6 + 16 * len(entries)
    out = struct.pack("<HHH", 0, 1, len(entries))
    for size, blob in entries:
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    out += b"".join(blob for _, blob in entries)
    with open(path, "wb") as f:
        f.write(out)


# Shapes: each answers whether a point (in icon pixels) is covered.
def polygon(points):
    def inside(x, y):
        hit = False
        for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
            if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
                hit = not hit
        return hit
    return inside


def segment_distance(x, y, a, b):
    (ax, ay), (bx, by) = a, b
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - ax - t * dx, y - ay - t * dy)


def stroke(points, width, closed=False):
    pairs = list(zip(points, points[1:] + (points[:1] if closed else [])))
    return lambda x, y: any(segment_distance(x, y, a, b) <= width / 2 for a, b in pairs)


def rect(x0, y0, x1, y1):
    return lambda x, y: x0 <= x < x1 and y0 <= y < y1


def disc(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) <= r


def folder():
    back = [(0.5, 3.5), (5.5, 3.5), (7.0, 5.5), (13.5, 5.5), (13.5, 13.5), (0.5, 13.5)]
    front = [(3.5, 8.0), (15.5, 8.0), (13.0, 13.5), (0.5, 13.5)]
    outline = (140, 100, 20)
    return [(polygon(back), (230, 180, 50)), (stroke(back, 1, True), outline),
            (polygon(front), (255, 220, 100)), (stroke(front, 1, True), outline)]


def disk():
    edge = (20, 40, 110)
    return [(rect(1, 1, 15, 15), edge), (rect(2, 2, 14, 14), (45, 95, 190)),
            (rect(4, 2, 12, 8), (250, 250, 250)), (rect(4, 10, 12, 14), (190, 195, 205)),
            (rect(9, 11, 11, 13), edge)]


def cancel():
    return [(disc(8, 8, 7.0), (140, 20, 20)), (disc(8, 8, 6.0), (220, 45, 40)),
            (stroke([(5.5, 5.5), (10.5, 10.5)], 2), (255, 255, 255)),
            (stroke([(10.5, 5.5), (5.5, 10.5)], 2), (255, 255, 255))]


def decode():
    wave = [(1.0 + i * 0.25, 8.0 - 4.5 * math.sin(i * 0.25 / 9.0 * 2.0 * math.pi))
            for i in range(37)]
    arrow = [(9.5, 2.5), (15.5, 8.0), (9.5, 13.5)]
    return [(stroke(wave, 3.2), (20, 60, 150)), (stroke(wave, 1.6), (60, 140, 240)),
            (polygon(arrow), (50, 180, 70)), (stroke(arrow, 1, True), (20, 100, 35))]


def render_icon(shapes):
    """RGBA rows of one 16x16 icon: each pixel averages its SUB x SUB samples."""
    pixels = []
    for y in range(CELL):
        for x in range(CELL):
            total = [0, 0, 0, 0]
            for sy in range(SUB):
                for sx in range(SUB):
                    px, py = x + (sx + 0.5) / SUB, y + (sy + 0.5) / SUB
                    colour = None
                    for covers, c in shapes:
                        if covers(px, py):
                            colour = c
                    if colour:
                        total = [t + v for t, v in zip(total, colour + (1,))]
            n = total[3]
            pixels.append((0, 0, 0, 0) if n == 0 else
                          tuple(t // n for t in total[:3]) + (n * 255 // (SUB * SUB),))
    return pixels


def brighten(p):
    return tuple(min(255, c * 5 // 4) for c in p[:3]) + (p[3],)


def engrave(icon):
    """Grey by brightness over a white copy one pixel down and right."""
    out = [(0, 0, 0, 0)] * (CELL * CELL)
    for y in range(CELL - 1):
        for x in range(CELL - 1):
            if icon[y * CELL + x][3]:
                out[(y + 1) * CELL + x + 1] = (255, 255, 255, icon[y * CELL + x][3])
    for i, (r, g, b, a) in enumerate(icon):
        if a:
            level = 115 + (r * 11 + g * 16 + b * 5) // 32 * 80 // 255
            out[i] = (level, level, level, a)
    return out


def on_key(p):
    """Over the key colour; half-covered edge pixels are blended with it."""
    r, g, b, a = p
    if a < 64:
        return KEY
    return tuple((c * a + k * (255 - a)) // 255 for c, k in zip((r, g, b), KEY))


def write_bmp(path, icons):
    width = CELL * len(icons)
    header = struct.pack("<IiiHHIIiiII", 40, width, CELL, 1, 24, 0, 0, 2835, 2835, 0, 0)
    stride = (width * 3 + 3) & ~3
    pixels = b""
    for y in reversed(range(CELL)):
        line = b""
        for icon in icons:
            for x in range(CELL):
                r, g, b = on_key(icon[y * CELL + x])
                line += bytes((b, g, r))
        pixels += line + b"\0" * (stride - len(line))
    offset = 14 + len(header)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", offset + len(pixels), 0, 0, offset))
        f.write(header + pixels)


def main():
    os.makedirs(OUT, exist_ok=True)
    write_ico(os.path.join(OUT, "sonarel.ico"))
    icons = [render_icon(shapes()) for shapes in (folder, disk, cancel, decode)]
    write_bmp(os.path.join(OUT, "decode_normal.bmp"), icons)
    write_bmp(os.path.join(OUT, "decode_hot.bmp"),
              [[brighten(p) for p in icon] for icon in icons])
    write_bmp(os.path.join(OUT, "decode_disabled.bmp"), [engrave(icon) for icon in icons])
    for name in sorted(os.listdir(OUT)):
        print(os.path.join(OUT, name))


if __name__ == "__main__":
    main()
