#!/usr/bin/env python3
"""Writes the small RIFF/WAVE files the reader tests open: files made by
Python's own wave module and hand-built chunk layouts, including broken ones.

Usage: scripts/make_wave_fixtures.py [output folder]
(default: tests/fixtures/wave beside this script's parent folder).
The output is deterministic, so re-running it leaves the committed files unchanged.
"""
import os
import struct
import sys
import wave


def payload(n, seed=0):
    """Recognisable bytes: byte i is (seed + 7 * i) mod 251."""
    return bytes((seed + 7 * i) % 251 for i in range(n))


def chunk(cid, body, size=None):
    """A chunk with its header and pad byte; size overrides the stored size."""
    stored = len(body) if size is None else size
    pad = b"\0" if len(body) % 2 else b""
    return cid + struct.pack("<I", stored) + body + pad


def riff(form, chunks, size=None):
    body = form + b"".join(chunks)
    return b"RIFF" + struct.pack("<I", len(body) if size is None else size) + body


def pcm_fmt(channels=2, rate=8000, bits=16, tag=1):
    align = channels * bits // 8
    return struct.pack("<HHIIHH", tag, channels, rate, rate * align, align, bits)


def mp3_fmt(cb_size=12, extra=b""):
    """MPEG Layer-3 record: 128 kbit/s, 44100 Hz, stereo, nBlockSize 417."""
    base = struct.pack("<HHIIHHH", 0x55, 2, 44100, 16000, 1, 0, cb_size)
    ext = struct.pack("<HIHHH", 1, 2, 417, 1, 1393)
    return base + ext + extra


def write(folder, name, data):
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)


def write_python_wave(folder):
    """Two files from the standard library's wave writer: another program's output."""
    with wave.open(os.path.join(folder, "python_pcm_stereo.wav"), "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(22050)
        w.writeframes(payload(4 * 300))
    with wave.open(os.path.join(folder, "python_pcm_mono_odd.wav"), "wb") as w:
        w.setnchannels(1)
        w.setsampwidth(1)
        w.setframerate(8000)
        w.writeframes(payload(101, seed=3))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "tests", "fixtures", "wave")
    os.makedirs(folder, exist_ok=True)
    write_python_wave(folder)

    data = payload(1000)
    info = chunk(b"LIST", b"INFO" + chunk(b"ISFT", b"fixture maker\0"))
    # An odd-sized unknown chunk first exercises the pad byte when skipping.
    write(folder, "list_before_fmt.wav",
          riff(b"WAVE", [chunk(b"junk", b"xyz"), info, chunk(b"fmt ", pcm_fmt()), chunk(b"data", data)]))
    write(folder, "data_before_fmt.wav",
          riff(b"WAVE", [chunk(b"data", data), chunk(b"fmt ", pcm_fmt())]))
    write(folder, "unknown_tag.wav",
          riff(b"WAVE", [chunk(b"fmt ", pcm_fmt(bits=32, tag=3)), chunk(b"data", data)]))
    # Bytes after the data chunk must never be delivered.
    write(folder, "mp3_cbsize12.wav",
          riff(b"WAVE", [chunk(b"fmt ", mp3_fmt()), chunk(b"fact", struct.pack("<I", 1152)),
                         chunk(b"data", payload(835, seed=1)), chunk(b"LIST", b"INFO" + b"\xAA" * 40)]))
    write(folder, "mp3_cbsize20.wav",
          riff(b"WAVE", [chunk(b"fmt ", mp3_fmt(cb_size=20, extra=b"\xEE" * 8)),
                         chunk(b"data", payload(417, seed=2))]))
    write(folder, "mp3_cbsize0.wav",
          riff(b"WAVE", [chunk(b"fmt ", struct.pack("<HHIIHHH", 0x55, 1, 22050, 4000, 1, 0, 0)),
                         chunk(b"data", payload(100))]))
    write(folder, "not_wave.wav", riff(b"AVI ", [chunk(b"fmt ", pcm_fmt()), chunk(b"data", data)]))
    write(folder, "no_data.wav", riff(b"WAVE", [chunk(b"fmt ", pcm_fmt())]))
    write(folder, "short_fmt.wav",
          riff(b"WAVE", [chunk(b"fmt ", pcm_fmt()[:14]), chunk(b"data", data)]))

    whole = riff(b"WAVE", [chunk(b"fmt ", pcm_fmt()), chunk(b"data", data)])
    write(folder, "truncated_header.wav", whole[:10])
    write(folder, "truncated_fmt.wav", whole[:28])
    write(folder, "truncated_data.wav", whole[:44 + 100])
    # A chunk that claims to reach past the end of the file, before "fmt ".
    write(folder, "lying_chunk.wav",
          riff(b"WAVE", [chunk(b"LIST", b"INFO", size=0x7FFFFFF0), chunk(b"fmt ", pcm_fmt()),
                         chunk(b"data", data)]))
    # A RIFF size larger than the file, as an interrupted writer leaves it.
    write(folder, "riff_size_too_large.wav",
          riff(b"WAVE", [chunk(b"fmt ", pcm_fmt()), chunk(b"data", data)], size=0xFFFFFFF0))


if __name__ == "__main__":
    main()
