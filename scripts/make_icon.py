#!/usr/bin/env python3
"""Draws the Sonarel application icon and writes it as PNG files in the sizes a desktop needs.

The picture: a dark blue rounded tile, a white sound wave that swells and fades, and under it
the program's yellow-to-red progress ramp. Every size is rendered from the same shapes with
4x4 supersampling, so small sizes stay crisp instead of being scaled down from a large one.

Usage: scripts/make_icon.py [output-folder]   (default: src/gui/icons)
"""
import math
import os
import struct
import sys
import zlib

SIZES = (16, 24, 32, 48, 64, 128, 256)
SUBSAMPLES = 4

TILE = (0.06, 0.06, 0.94, 0.94)
TILE_RADIUS = 0.2
TILE_TOP = (0x2F, 0x55, 0x8C)
TILE_BOTTOM = (0x12, 0x22, 0x3C)

WAVE_LEFT, WAVE_RIGHT = 0.17, 0.83
WAVE_CENTRE = 0.40
WAVE_HEIGHT = 0.19
WAVE_CYCLES = 3.5
WAVE_COLOUR = (0xF4, 0xF8, 0xFF)

BAR = (0.17, 0.68, 0.83, 0.82)
BAR_RADIUS = 0.05
BAR_LEFT_COLOUR = (255, 255, 0)
BAR_RIGHT_COLOUR = (255, 0, 0)
BAR_EDGE = (0x0A, 0x14, 0x24)


def inside_rounded_rect(x, y, rect, radius):
    left, top, right, bottom = rect
    if x < left or x > right or y < top or y > bottom:
        return False
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius * radius


def mix(a, b, t):
    return tuple(a[i] + (b[i] - a[i]) * t for i in range(3))


def wave_height(x, cycles):
    t = min(max((x - WAVE_LEFT) / (WAVE_RIGHT - WAVE_LEFT), 0.0), 1.0)
    envelope = WAVE_HEIGHT * math.sin(math.pi * t) ** 1.5
    return WAVE_CENTRE - envelope * math.sin(2 * math.pi * cycles * t)


def wave(x, cycles):
    """Height of the wave's centre line at x and its slope there (numerically, which is plenty
    for a stroke test)."""
    h = 1e-4
    y = wave_height(x, cycles)
    return y, (wave_height(x + h, cycles) - y) / h


def bar_colour(x, y):
    """The progress ramp: slow change near the left end, faster to the right; darker at the top
    edge and lighter towards the bottom edge."""
    left, top, right, bottom = BAR
    t = (x - left) / (right - left)
    base = tuple(l - t * t * (l - r) for l, r in zip(BAR_LEFT_COLOUR, BAR_RIGHT_COLOUR))
    v = (y - top) / (bottom - top)
    if v < 0.5:
        return mix(tuple(c * 0.66 for c in base), base, v / 0.5)
    return mix(base, mix(base, (255, 255, 255), 0.5), (v - 0.5) / 0.5)


def sample(x, y, column, stroke, edge):
    """Colour and coverage (r, g, b, a) of one sample point."""
    if not inside_rounded_rect(x, y, TILE, TILE_RADIUS):
        return (0, 0, 0, 0)
    if inside_rounded_rect(x, y, BAR, BAR_RADIUS):
        inner = (BAR[0] + edge, BAR[1] + edge, BAR[2] - edge, BAR[3] - edge)
        if inside_rounded_rect(x, y, inner, max(BAR_RADIUS - edge, 0.0)):
            return bar_colour(x, y) + (1,)
        return BAR_EDGE + (1,)
    if column is not None:
        wy, slope = column
        if abs(y - wy) / math.sqrt(1 + slope * slope) <= stroke:
            return WAVE_COLOUR + (1,)
    t = (y - TILE[1]) / (TILE[3] - TILE[1])
    return mix(TILE_TOP, TILE_BOTTOM, t) + (1,)


def render(size):
    # Small sizes get a calmer wave, a stroke of at least a pixel and a bar without its dark
    # edge, which would otherwise swallow the ramp.
    small = size <= 24
    stroke = max(0.028, 0.75 / size)
    edge = 0.0 if small else max(0.02, 0.75 / size)
    cycles = WAVE_CYCLES if not small else (1.5 if size <= 16 else 2.5)
    n = size * SUBSAMPLES
    coords = [(i + 0.5) / n for i in range(n)]
    columns = [wave(x, cycles) if WAVE_LEFT <= x <= WAVE_RIGHT else None for x in coords]
    rows = []
    for py in range(size):
        row = bytearray()
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SUBSAMPLES):
                y = coords[py * SUBSAMPLES + sy]
                for sx in range(SUBSAMPLES):
                    i = px * SUBSAMPLES + sx
                    r, g, b, a = sample(coords[i], y, columns[i], stroke, edge)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            count = SUBSAMPLES * SUBSAMPLES
            alpha = acc[3] / count
            if alpha == 0:
                row += bytes(4)
                continue
            row += bytes(int(round(min(255, acc[c] / acc[3]))) for c in range(3))
            row.append(int(round(alpha * 255)))
        rows.append(bytes(row))
    return rows


def write_png(path, size, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    raw = b"".join(b"\x00" + row for row in rows)
    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(raw, 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as out:
        out.write(png)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "src", "gui", "icons")
    os.makedirs(folder, exist_ok=True)
    for size in SIZES:
        path = os.path.join(folder, "sonarel-%d.png" % size)
        write_png(path, size, render(size))
        print(path)


if __name__ == "__main__":
    main()
