#!/usr/bin/env python3
"""Makes the MP3 fixtures of the end-to-end tests and the bundled sample.

Signals are synthetic (tones, sweeps and seeded noise); the LAME encoder from Debian
turns them into MP3. Results go to tests/fixtures/mp3/ and samples/; they are small and
committed, so the build and the tests never need LAME.
"""
import math
import os
import random
import struct
import subprocess
import sys
import tempfile
import wave

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
FIXTURES = os.path.join(ROOT, "tests", "fixtures", "mp3")
SAMPLES = os.path.join(ROOT, "samples")


def synth(rate, channels, seconds, seed=1):
    """A chord with a slow sweep and a little noise; the right channel differs from the left."""
    rng = random.Random(seed)
    frames = int(rate * seconds)
    out = bytearray()
    for i in range(frames):
        t = i / rate
        sweep = 200.0 + 1800.0 * t / seconds
        left = (0.30 * math.sin(2 * math.pi * 440.0 * t) + 0.20 * math.sin(2 * math.pi * sweep * t)
                + 0.05 * (rng.random() - 0.5))
        right = 0.30 * math.sin(2 * math.pi * 554.37 * t) + 0.15 * math.sin(2 * math.pi * 659.25 * t)
        for value in (left, right)[:channels]:
            out += struct.pack("<h", int(max(-1.0, min(1.0, value)) * 30000))
    return bytes(out)


def wide_side(rate, seconds, seed=3):
    """Left = tone + noise, right = tone - noise: the mid channel is one narrow line, the side
    channel fills the whole band."""
    rng = random.Random(seed)
    out = bytearray()
    for i in range(int(rate * seconds)):
        tone = 0.3 * math.sin(2 * math.pi * 330.0 * i / rate)
        noise = 0.6 * (rng.random() - 0.5)
        out += struct.pack("<hh", int((tone + noise) * 30000), int((tone - noise) * 30000))
    return bytes(out)


def write_wave(path, rate, channels, pcm):
    with wave.open(path, "wb") as w:
        w.setnchannels(channels)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(pcm)


def encode(name, rate, channels, seconds, lame_args, folder=FIXTURES, signal=synth):
    """Encodes a synthetic signal with LAME and returns the MP3 bytes."""
    with tempfile.TemporaryDirectory() as tmp:
        source = os.path.join(tmp, "in.wav")
        write_wave(source, rate, channels, signal(rate, channels, seconds))
        target = os.path.join(folder, name)
        mode = ["-m", "m"] if channels == 1 else ["-m", "j"]
        subprocess.run(["lame", "--quiet", "--noreplaygain", *mode, *lame_args, source, target],
                       check=True)
    with open(target, "rb") as f:
        return f.read()


def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])


def id3v2_tag(picture_bytes, footer=False):
    """An ID3v2.4 tag with a title and a large picture frame (as cover art makes it)."""
    rng = random.Random(7)
    # Random bytes hold many false frame-sync patterns; a decoder must never see them.
    picture = bytes(rng.getrandbits(8) for _ in range(picture_bytes))
    picture = picture.replace(b"\xff\xfb", b"\xff\xfb")  # keep sync-like pairs as they come

    def frame(frame_id, payload):
        return frame_id + syncsafe(len(payload)) + b"\x00\x00" + payload

    body = frame(b"TIT2", b"\x03Sonarel fixture\x00")
    body += frame(b"APIC", b"\x00image/jpeg\x00\x03cover\x00" + picture)
    flags = 0x10 if footer else 0x00
    header = b"ID3\x04\x00" + bytes([flags]) + syncsafe(len(body))
    tag = header + body
    if footer:
        tag += b"3DI\x04\x00" + bytes([flags]) + syncsafe(len(body))
    return tag


def riff_wave_mp3(mp3, rate, channels, kbps):
    """Wraps MP3 bytes in a RIFF/WAVE file with an MPEG Layer-3 format record (tag 0x55)."""
    block = (kbps * (1000 if rate < 32000 else 2000) * 72) // rate
    fmt = struct.pack("<HHIIHHHHIHHH", 0x55, channels, rate, kbps * 125, 1, 0, 12,
                      1, 2, block, 1, 0)
    samples = 1152 if rate >= 32000 else 576
    fact = struct.pack("<I", (len(mp3) // block) * samples)
    chunks = b"fmt " + struct.pack("<I", len(fmt)) + fmt
    chunks += b"fact" + struct.pack("<I", 4) + fact
    chunks += b"data" + struct.pack("<I", len(mp3)) + mp3
    if len(mp3) % 2:
        chunks += b"\x00"
    return b"RIFF" + struct.pack("<I", 4 + len(chunks)) + b"WAVE" + chunks


def main():
    os.makedirs(FIXTURES, exist_ok=True)
    os.makedirs(SAMPLES, exist_ok=True)
    rates = {8000: 24, 11025: 32, 12000: 32, 16000: 48, 22050: 64, 24000: 64,
             32000: 96, 44100: 128, 48000: 128}
    for rate, kbps in rates.items():
        for channels in (1, 2):
            label = "mono" if channels == 1 else "stereo"
            encode(f"cbr_{rate}_{label}.mp3", rate, channels, 1.0,
                   ["-s", str(rate / 1000), "--resample", str(rate / 1000), "-b", str(kbps)])
    encode("crc_44100_stereo.mp3", 44100, 2, 1.0, ["-b", "128", "-p"])
    encode("crc_22050_mono.mp3", 22050, 1, 1.0, ["--resample", "22.05", "-b", "48", "-p"])
    encode("vbr_44100_stereo.mp3", 44100, 2, 1.5, ["-V", "2"])
    encode("vbr_16000_mono.mp3", 16000, 1, 1.5, ["--resample", "16", "-V", "5"])
    encode("midside_wide_side.mp3", 44100, 2, 0.5, ["-m", "f", "-b", "96"],
           signal=lambda rate, channels, seconds: wide_side(rate, seconds))

    mp3 = encode("wrapped_source.mp3", 22050, 2, 1.0, ["--resample", "22.05", "-b", "64", "-t"])
    os.remove(os.path.join(FIXTURES, "wrapped_source.mp3"))
    with open(os.path.join(FIXTURES, "riff_mp3_22050_stereo.wav"), "wb") as f:
        f.write(riff_wave_mp3(mp3, 22050, 2, 64))

    mp3 = encode("tag_source.mp3", 44100, 2, 1.0, ["-b", "128"])
    os.remove(os.path.join(FIXTURES, "tag_source.mp3"))
    with open(os.path.join(FIXTURES, "id3v2_300k.mp3"), "wb") as f:
        f.write(id3v2_tag(300 * 1024) + mp3)
    with open(os.path.join(FIXTURES, "id3v2_footer.mp3"), "wb") as f:
        f.write(id3v2_tag(20 * 1024, footer=True) + mp3)

    encode("sample.mp3", 44100, 2, 5.0, ["-b", "128"], folder=SAMPLES)


if __name__ == "__main__":
    sys.exit(main())
