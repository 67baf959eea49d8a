#!/usr/bin/env python3
"""Writes a hand-built MPEG-1 stream that LAME cannot make: joint stereo with intensity
stereo in short blocks (plain and mixed), where the right channel holds one line in
window 0 and none in windows 1 and 2. The standard opens every band of an empty window to intensity stereo;
scripts/compare_decoders.py --fixtures checks us against mpg123 and ffmpeg on it.

Each frame: 44.1 kHz, 128 kbit/s, no CRC, mode extension 1 (intensity on, mid/side off),
both granules short blocks, scale factors 0 (intensity position 0 puts the left signal
in the right channel), the spectrum as count-one quadruples of table B.
"""
import os

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "fixtures", "mp3", "differential")
FRAME_BYTES = 417


class Bits:
    def __init__(self):
        self.bits = []

    def put(self, value, width):
        self.bits += [(value >> i) & 1 for i in range(width - 1, -1, -1)]

    def to_bytes(self):
        bits = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, bits[i:i + 8])), 2) for i in range(0, len(bits), 8))


def table_b(lines):
    """Count-one quadruples of table B: a 4-bit code 15 - vwxy, then a sign per non-zero."""
    out = Bits()
    for q in range(0, len(lines), 4):
        quad = lines[q:q + 4]
        pattern = sum(abs(v) << (3 - k) for k, v in enumerate(quad))
        out.put(15 - pattern, 4)
        for v in quad:
            if v:
                out.put(1 if v < 0 else 0, 1)
    return out.bits


def frame(left, right, global_gain, mixed, mode_extension=1):
    spectra = [table_b(left), table_b(right)]
    side = Bits()
    side.put(0, 9)  # main_data_begin
    side.put(0, 3 + 8)  # private bits, scfsi of both channels
    for _granule in range(2):
        for spectrum in spectra:
            side.put(len(spectrum), 12)  # part2_3_length: no scale factor bits
            side.put(0, 9)  # big_values
            side.put(global_gain, 8)
            side.put(0, 4)  # scalefac_compress
            side.put(1, 1)  # window_switching_flag
            side.put(2, 2)  # block_type: short
            side.put(mixed, 1)  # mixed_block_flag
            side.put(0, 5 + 5 + 3 * 3)  # two tables, subblock gains
            side.put(0b001, 3)  # preflag, scalefac_scale, count1table_select = B
    main = Bits()
    main.bits = (spectra[0] + spectra[1]) * 2
    body = bytes([0xFF, 0xFB, 0x90, 0x40 | mode_extension << 4]) + side.to_bytes() + main.to_bytes()
    assert len(body) <= FRAME_BYTES
    return body + bytes(FRAME_BYTES - len(body))


def write(name, mixed, right_line):
    left = [1, 0, 0, 0] * 48  # one line in every quadruple of the first 192 lines
    right = [0] * right_line + [1, 0, 0, 0]  # the first short band of window 0 with a line
    path = os.path.join(OUT, name)
    with open(path + ".mp3", "wb") as f:
        f.write(frame(left, right, 190, mixed) * 4)
    with open(path + ".txt", "w") as f:
        f.write(f"scripts/make_intensity_fixture.py  # intensity stereo in short blocks, mixed "
                f"{mixed}; right window 0 holds line {right_line}, windows 1 and 2 are empty "
                f"(hand-built, LAME never writes intensity stereo)\n")


def write_midside(name):
    """A mixed block with mid/side only, both channels holding lines across the seam between
    the long bands (0..35) and the short bands (36 on): each line is processed once."""
    lines = [1, 0, 0, 0] * 48
    path = os.path.join(OUT, name)
    with open(path + ".mp3", "wb") as f:
        f.write(frame(lines, lines, 190, 1, mode_extension=2) * 4)
    with open(path + ".txt", "w") as f:
        f.write("scripts/make_intensity_fixture.py  # mid/side in a mixed block, both channels "
                "holding lines on both sides of the long/short seam (hand-built)\n")


def main():
    write("short-block-intensity", 0, 24)  # short band 2
    write("mixed-block-intensity", 1, 36)  # short band 3, the first above the long bands
    write_midside("mixed-block-midside")


if __name__ == "__main__":
    main()
