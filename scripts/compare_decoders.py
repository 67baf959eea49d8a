#!/usr/bin/env python3
"""Differential check of Sonarel's MP3 decoder against mpg123.

Streams are encoded with LAME from synthetic signals that this script generates itself
(seeded, so every run encodes the same matrix). Each stream is decoded by sonarel-bench
and by mpg123 (16-bit, the stream's own rate and channels, no gapless trimming), and the
two outputs must have the same length and differ by at most 1 LSB.

Usage:
  scripts/compare_decoders.py                  the whole matrix (264 streams, about 15 s)
  scripts/compare_decoders.py --subset ci      the small fixed subset that ctest runs, and
                                               the kept streams our scripts build by hand
  scripts/compare_decoders.py --list           print the matrix names and LAME options
  scripts/compare_decoders.py --only REGEX     only streams whose name matches REGEX
  scripts/compare_decoders.py --cli 10         also convert every 10th stream with
                                               sonarel-cli and compare the WAVE files
  scripts/compare_decoders.py --ffmpeg         also decode with ffmpeg, to check mpg123
  scripts/compare_decoders.py --fixtures       re-check the streams kept in
                                               tests/fixtures/mp3/differential/ (those on
                                               which mpg123 is outvoted need ffmpeg)
  scripts/compare_decoders.py --variants 2000 [--seed N]
                                               damaged and decorated variants of valid
                                               streams (tags, junk, cuts, concatenations),
                                               converted by sonarel-cli and compared
                                               frame by frame with mpg123 (about a minute;
                                               how frames are matched: the notes that open
                                               the variants section below); failing
                                               variants stay in build/compare/variants/
  scripts/compare_decoders.py --random 5 [--seed N]
                                               5 minutes of random LAME options and
                                               signals; streams that differ are kept in
                                               tests/fixtures/mp3/differential/
                                               (--fixture-dir DIR)

Names read RATE-MODE-ENCODING-SIGNAL, e.g. 44100-s-b96-crc-bursts. A line per stream
gives the rate, the channel modes in the stream's headers, max |diff|, PSNR against full
scale and, past 1 LSB, the first differing audio frame and channel; where the two differ
and ffmpeg is installed, ffmpeg decodes the stream too and the majority decides: when
ours is within 1 LSB of ffmpeg and ffmpeg differs from mpg123 by more than 1 LSB, the
stream passes with "mpg123 outvoted" (its own line and a count in the summary). Without
ffmpeg such a stream fails.

Generated files go to build/compare/ (--work DIR); the programs under test are copied
there first, so a rebuild during the run does not disturb it. The exit status is 1 when
any stream differs by more than 1 LSB or in length, or a decoder fails; 2 when a needed
program is missing.
"""
import argparse
import array
import concurrent.futures
import dataclasses
import functools
import math
import operator
import os
import random
import re
import shutil
import subprocess
import sys
import time
import wave
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_BENCH = os.path.join(ROOT, "build", "bin", "sonarel-bench")
DEFAULT_CLI = os.path.join(ROOT, "build", "bin", "sonarel-cli")
DEFAULT_WORK = os.path.join(ROOT, "build", "compare")
DEFAULT_FIXTURES = os.path.join(ROOT, "tests", "fixtures", "mp3", "differential")

RATES = (8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000)
MODES = ("s", "j", "f", "d", "m")
BITRATES_MPEG1 = (32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320)
BITRATES_MPEG2 = (8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160)
TOLERANCE = 1  # LSB
FULL_SCALE = 32767


def is_mpeg1(rate):
    return rate >= 32000


def bitrates_for(rate):
    return BITRATES_MPEG1 if is_mpeg1(rate) else BITRATES_MPEG2


def samples_per_frame(rate):
    return 1152 if is_mpeg1(rate) else 576


# ---------------------------------------------------------------------------------------
# Stream headers

HEADER_RATES = {3: (44100, 48000, 32000), 2: (22050, 24000, 16000), 0: (11025, 12000, 8000)}
CHANNEL_MODES = ("stereo", "joint", "dual", "mono")


@dataclasses.dataclass
class FrameHeader:
    mpeg1: bool
    crc: bool
    bitrate: int  # kbit/s
    rate: int
    padding: int
    mode: str
    mid_side: bool

    @property
    def channels(self):
        return 1 if self.mode == "mono" else 2

    @property
    def length(self):
        factor = 144000 if self.mpeg1 else 72000
        return factor * self.bitrate // self.rate + self.padding

    @property
    def side_info_bytes(self):
        if self.mpeg1:
            return 17 if self.channels == 1 else 32
        return 9 if self.channels == 1 else 17


def parse_header(data, pos):
    """The Layer III frame header at pos, or None if there is none (free format included)."""
    if pos + 4 > len(data) or data[pos] != 0xFF or (data[pos + 1] & 0xE0) != 0xE0:
        return None
    b1, b2, b3 = data[pos + 1], data[pos + 2], data[pos + 3]
    version, layer = (b1 >> 3) & 3, (b1 >> 1) & 3
    bitrate_index, rate_index = b2 >> 4, (b2 >> 2) & 3
    if version == 1 or layer != 1 or bitrate_index in (0, 15) or rate_index == 3:
        return None
    mpeg1 = version == 3
    bitrates = BITRATES_MPEG1 if mpeg1 else BITRATES_MPEG2
    mode = CHANNEL_MODES[b3 >> 6]
    return FrameHeader(mpeg1=mpeg1, crc=not (b1 & 1), bitrate=bitrates[bitrate_index - 1],
                       rate=HEADER_RATES[version][rate_index], padding=(b2 >> 1) & 1,
                       mode=mode, mid_side=mode == "joint" and bool(b3 & 0x20))


def skip_id3v2(data):
    if len(data) < 10 or data[:3] != b"ID3":
        return 0
    size = (data[6] << 21) | (data[7] << 14) | (data[8] << 7) | data[9]
    footer = 10 if data[5] & 0x10 else 0
    return 10 + size + footer


def info_tag(data, pos, header):
    """"Xing", "Info" or "VBRI" when the frame at pos is an encoder information frame.
    The tag follows the side information, after the CRC word when the header announces
    one; LAME, though, writes it where it would be without CRC, so both places count."""
    xing_at = pos + 4 + header.side_info_bytes
    for at in (xing_at + 2, xing_at) if header.crc else (xing_at,):
        if data[at:at + 4] in (b"Xing", b"Info"):
            return data[at:at + 4].decode()
    if data[pos + 36:pos + 40] == b"VBRI":
        return "VBRI"
    return None


@dataclasses.dataclass
class StreamInfo:
    rate: int
    channels: int
    info_tag: str | None  # the first frame is an information frame, not audio
    audio_frames: list  # FrameHeader of every audio frame

    @property
    def samples_per_frame(self):
        return samples_per_frame(self.rate)

    def mode_summary(self):
        modes = {h.mode for h in self.audio_frames}
        if modes == {"joint"} or modes == {"joint", "stereo"}:
            ms = sum(h.mid_side for h in self.audio_frames)
            return f"joint(ms {ms}/{len(self.audio_frames)})"
        return "+".join(sorted(modes))

    def bitrates(self):
        return sorted({h.bitrate for h in self.audio_frames})


def scan_stream(data):
    """Walks the frames from the first header on; StreamInfo, or None without a frame."""
    pos = skip_id3v2(data)
    while pos < len(data) and parse_header(data, pos) is None:
        pos += 1
    first = parse_header(data, pos)
    if first is None:
        return None
    tag = info_tag(data, pos, first)
    frames = []
    header = first
    while header is not None and pos + header.length <= len(data):
        frames.append(header)
        pos += header.length
        header = parse_header(data, pos)
    return StreamInfo(rate=first.rate, channels=first.channels, info_tag=tag,
                      audio_frames=frames[1:] if tag else frames)


# ---------------------------------------------------------------------------------------
# Synthetic signals: functions of (rate, frame count, rng) giving (left, right) in -1..1

def tone(rate, n, freq, amp, phase=0.0):
    w = 2 * math.pi * freq / rate
    return [amp * math.sin(w * i + phase) for i in range(n)]


def white(rng, n, amp):
    return [amp * (2 * rng.random() - 1) for _ in range(n)]


def pinkish(rng, n, amp):
    """White noise through three one-pole filters: roughly -3 dB per octave."""
    b0 = b1 = b2 = 0.0
    out = []
    for _ in range(n):
        x = 2 * rng.random() - 1
        b0 = 0.99765 * b0 + x * 0.0990460
        b1 = 0.96300 * b1 + x * 0.2965164
        b2 = 0.57000 * b2 + x * 1.0526913
        out.append(b0 + b1 + b2 + x * 0.1848)
    return normalized(out, amp)


def normalized(samples, peak):
    top = max((abs(s) for s in samples), default=0.0)
    return [s * peak / top for s in samples] if top else samples


def sweep(rate, n, amp):
    """Exponential sweep from 40 Hz to just below half the rate."""
    f0, f1 = 40.0, 0.47 * rate
    k = math.log(f1 / f0) / n
    phase, out = 0.0, []
    for i in range(n):
        out.append(amp * math.sin(phase))
        phase += 2 * math.pi * f0 * math.exp(k * i) / rate
    return out


def clicks(rate, rng, n, amp):
    """Short impulses in silence, about ten a second."""
    out = [0.0] * n
    pos = int(0.02 * rate)
    while pos + 3 < n:
        out[pos:pos + 3] = [amp, -0.6 * amp, 0.3 * amp]
        pos += int(rate * rng.uniform(0.06, 0.14))
    return out


def bursts(rate, rng, n, amp):
    """Noise bursts of 15 to 40 ms over a quiet low tone."""
    out = tone(rate, n, 110.0, 0.05)
    pos = int(0.05 * rate)
    while pos < n:
        length = int(rate * rng.uniform(0.015, 0.04))
        for i in range(pos, min(n, pos + length)):
            out[i] += amp * (2 * rng.random() - 1)
        pos += length + int(rate * rng.uniform(0.1, 0.3))
    return out


def castanets(rate, rng, n, amp):
    """Sharp decaying clacks: bright noise and a ringing partial, no attack ramp."""
    out = [0.0] * n
    pos = int(0.03 * rate)
    ring = 2 * math.pi * min(2500.0, 0.3 * rate) / rate
    while pos < n:
        length = int(0.04 * rate)
        previous = 0.0
        for i in range(min(length, n - pos)):
            decay = math.exp(-i / (0.006 * rate))
            noise = 2 * rng.random() - 1
            out[pos + i] = amp * decay * (0.6 * (noise - previous) / 2 + 0.4 * math.sin(ring * i))
            previous = noise
        pos += int(rate * rng.uniform(0.06, 0.25))
    return out


def clipped(samples):
    return [max(-1.0, min(1.0, s)) for s in samples]


def added(a, b, sign=1.0):
    return [x + sign * y for x, y in zip(a, b)]


def sig_silence(rate, n, rng):
    return [0.0] * n, [0.0] * n


def sig_tone(rate, n, rng):
    return tone(rate, n, 997.0, 0.5), tone(rate, n, 441.0, 0.5)


def sig_white(rate, n, rng):
    return white(rng, n, 0.3), white(rng, n, 0.3)


def sig_pink(rate, n, rng):
    return pinkish(rng, n, 0.5), pinkish(rng, n, 0.5)


def sig_fullscale(rate, n, rng):
    """An overdriven sine and a full-scale square: every sample near the clipping level."""
    square = [1.0 if (i * 2 * 200 // rate) % 2 == 0 else -1.0 for i in range(n)]
    return clipped(tone(rate, n, 150.0, 1.8)), square


def sig_sweep(rate, n, rng):
    s = sweep(rate, n, 0.5)
    return s, list(s)


def sig_clicks(rate, n, rng):
    c = clicks(rate, rng, n, 0.9)
    return c, list(c)


def sig_bursts(rate, n, rng):
    return bursts(rate, rng, n, 0.7), bursts(rate, rng, n, 0.7)


def sig_castanets(rate, n, rng):
    c = castanets(rate, rng, n, 0.9)
    return c, [0.8 * x for x in c]


def sig_one_silent(rate, n, rng):
    return added(tone(rate, n, 660.0, 0.4), pinkish(rng, n, 0.2)), [0.0] * n


def sig_inverted(rate, n, rng):
    x = added(tone(rate, n, 330.0, 0.4), castanets(rate, rng, n, 0.4))
    return x, [-s for s in x]


def sig_unrelated(rate, n, rng):
    return sweep(rate, n, 0.5), bursts(rate, rng, n, 0.6)


def sig_ms_tone_noise(rate, n, rng):
    """Mid a narrow tone, side broadband noise: left = tone + noise, right = tone - noise."""
    t, noise = tone(rate, n, 523.0, 0.4), white(rng, n, 0.25)
    return added(t, noise), added(t, noise, -1.0)


SIGNALS = {
    "silence": sig_silence, "tone": sig_tone, "white": sig_white, "pink": sig_pink,
    "fullscale": sig_fullscale, "sweep": sig_sweep, "clicks": sig_clicks,
    "bursts": sig_bursts, "castanets": sig_castanets, "one_silent": sig_one_silent,
    "inverted": sig_inverted, "unrelated": sig_unrelated, "ms_tone_noise": sig_ms_tone_noise,
}
SHORT_BLOCK_SIGNALS = ("clicks", "bursts", "castanets")
# A mono downmix of phase-inverted channels is silence: not a useful mono signal.
MONO_SIGNALS = tuple(s for s in SIGNALS if s not in ("inverted", "silence"))
STEREO_SIGNALS = tuple(s for s in SIGNALS if s != "silence")


def random_mix(rate, n, rng):
    """A random mix of tones, noise and transients, with a random channel relation,
    silent gaps and a gain that may clip."""
    def one_channel():
        parts = [random_component(rate, n, rng) for _ in range(rng.randint(1, 3))]
        return [sum(v) for v in zip(*parts)]

    left = one_channel()
    relation = rng.choice(("same", "inverted", "independent", "silent", "mid_side", "scaled"))
    if relation == "same":
        right = list(left)
    elif relation == "inverted":
        right = [-s for s in left]
    elif relation == "independent":
        right = one_channel()
    elif relation == "silent":
        right = [0.0] * n
    elif relation == "scaled":
        right = [rng.uniform(-1, 1) * s for s in left]
    else:
        side = random_component(rate, n, rng)
        left, right = added(left, side), added(left, side, -1.0)
    gain = math.exp(rng.uniform(math.log(0.01), math.log(2.5)))
    left, right = with_gaps(rate, rng, left), with_gaps(rate, rng, right)
    return clipped([gain * s for s in left]), clipped([gain * s for s in right])


def random_component(rate, n, rng):
    kind = rng.choice(("tone", "tone", "white", "pink", "clicks", "bursts", "castanets",
                       "sweep"))
    amp = rng.uniform(0.05, 0.7)
    if kind == "tone":
        return tone(rate, n, rng.uniform(20.0, 0.49 * rate), amp, rng.uniform(0, 6.3))
    if kind == "white":
        return white(rng, n, amp)
    if kind == "pink":
        return pinkish(rng, n, amp)
    if kind == "sweep":
        return sweep(rate, n, amp)
    return {"clicks": clicks, "bursts": bursts, "castanets": castanets}[kind](rate, rng, n, amp)


def with_gaps(rate, rng, samples):
    """Zeroes up to two random stretches, so that the encoder meets sudden silence."""
    out = list(samples)
    for _ in range(rng.randint(0, 2)):
        start = rng.randrange(len(out))
        end = min(len(out), start + int(rate * rng.uniform(0.01, 0.3)))
        out[start:end] = [0.0] * (end - start)
    return out


def write_wave(path, rate, left, right):
    pcm = array.array("h")
    for l_value, r_value in zip(left, right):
        pcm.append(to_int16(l_value))
        pcm.append(to_int16(r_value))
    if sys.byteorder == "big":
        pcm.byteswap()
    tmp = f"{path}.{os.getpid()}.tmp"
    with wave.open(tmp, "wb") as w:
        w.setnchannels(2)
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(pcm.tobytes())
    os.replace(tmp, path)  # two workers may make the same signal at once


def to_int16(value):
    return max(-32768, min(32767, int(round(value * 32767))))


# ---------------------------------------------------------------------------------------
# The matrix

@dataclasses.dataclass(frozen=True)
class Case:
    name: str
    rate: int
    mode: str  # LAME's -m letter
    control: str  # "cbr", "vbr" or "abr"
    value: int  # kbit/s, or the -V quality
    extra: tuple = ()  # further LAME options
    signal: str = "tone"  # a SIGNALS key, or "random"
    seconds: float = 1.0
    seed: int = 1
    ci: bool = False  # part of --subset ci

    def lame_args(self, value=None):
        value = self.value if value is None else value
        control = {"cbr": ["-b", str(value)], "vbr": ["-V", str(value)],
                   "abr": ["--abr", str(value)]}[self.control]
        return ["--resample", str(self.rate), "-m", self.mode, *control, *self.extra]

    def signal_file(self, work):
        key = f"{self.signal}-{self.rate}-{self.seconds:g}-{self.seed}"
        return os.path.join(work, "signals", key + ".wav")


def encoding_name(control, value):
    return {"cbr": "b", "vbr": "V", "abr": "abr"}[control] + str(value)


def case_name(rate, mode, encoding, signal):
    return f"{rate}-{mode}-{encoding}-{signal}"


def signal_seed(signal, rate):
    return zlib.crc32(f"{signal}/{rate}".encode())


def matrix_case(rate, mode, control, value, signal, extra=(), label="", ci=False):
    """A matrix stream; label names the extra options in the stream's name."""
    encoding = encoding_name(control, value) + (f"-{label}" if label else "")
    seconds = 1.5 if is_mpeg1(rate) else 2.0
    return Case(name=case_name(rate, mode, encoding, signal), rate=rate, mode=mode,
                control=control, value=value, extra=tuple(extra), signal=signal,
                seconds=seconds, seed=signal_seed(signal, rate), ci=ci)


def cbr_levels(rate):
    """The lowest, a middle and the highest bit rate that the rate allows. LAME caps
    MPEG-2.5 (8 to 12 kHz) at 64 kbit/s, so its middle is lower."""
    table = bitrates_for(rate)
    middle = 128 if is_mpeg1(rate) else 64 if rate >= 16000 else 32
    return {"low": table[0], "mid": middle, "high": table[-1]}


def rotating_signal(index, mode):
    choices = MONO_SIGNALS if mode == "m" else STEREO_SIGNALS
    return choices[index % len(choices)]


def cbr_block():
    """Every rate x every channel mode x lowest/middle/highest bit rate."""
    cases = []
    for r, rate in enumerate(RATES):
        for m, mode in enumerate(MODES):
            for index, (level, bitrate) in enumerate(cbr_levels(rate).items()):
                signal = rotating_signal(r * 7 + m * 3 + index, mode)
                ci = ((level == "mid" and rate in (8000, 22050, 44100))
                      or (level != "mid" and rate in (12000, 32000)))
                cases.append(matrix_case(rate, mode, "cbr", bitrate, signal, ci=ci))
    return cases


def signal_block():
    """Every signal at one MPEG-1, one MPEG-2 and one MPEG-2.5 setting."""
    settings = ((44100, "j", 112), (22050, "s", 56), (11025, "j", 40))
    cases = []
    for signal in SIGNALS:
        for rate, mode, bitrate in settings:
            ci = signal in SHORT_BLOCK_SIGNALS + ("fullscale",) and rate == 44100
            cases.append(matrix_case(rate, mode, "cbr", bitrate, signal, ci=ci))
    return cases


def mid_side_block():
    """The tone-plus-noise / tone-minus-noise signal, joint and forced mid/side, every rate
    (a mid/side decoding fault once showed on exactly this)."""
    cases = []
    for rate in RATES:
        bitrate = 64 if is_mpeg1(rate) else 32 if rate >= 16000 else 24
        for mode in ("j", "f"):
            cases.append(matrix_case(rate, mode, "cbr", bitrate, "ms_tone_noise", ci=True))
    return cases


def vbr_block():
    cases = []
    for r, rate in enumerate(RATES):
        for q, quality in enumerate((0, 5, 9)):
            mode = ("j", "s", "m")[(r + q) % 3]
            ci = quality == 5 and rate in (12000, 32000, 48000)
            cases.append(matrix_case(rate, mode, "vbr", quality, rotating_signal(r * 3 + q, mode),
                                     ci=ci))
    return cases


def option_block():
    """ABR, no bit reservoir, CRC, the slowest quality and no information frame, each at
    every rate, in rotating channel modes."""
    variants = (
        ("abr", None, (), ""),
        ("cbr", None, ("--nores",), "nores"),
        ("cbr", None, ("-p",), "crc"),
        ("cbr", None, ("-q", "0"), "q0"),
        ("vbr", 2, ("-t",), "notag"),
    )
    cases = []
    for r, rate in enumerate(RATES):
        for v, (control, value, extra, label) in enumerate(variants):
            mode = MODES[(r + v) % len(MODES)]
            if value is None:
                value = (160 if control == "abr" else 96) if is_mpeg1(rate) else 48
            ci = label in ("crc", "nores", "notag") and rate in (16000, 24000, 44100)
            cases.append(matrix_case(rate, mode, control, value, rotating_signal(r + v * 5, mode),
                                     extra, label=label, ci=ci))
    return cases


def build_matrix():
    cases = cbr_block() + signal_block() + mid_side_block() + vbr_block() + option_block()
    names = [c.name for c in cases]
    duplicates = {n for n in names if names.count(n) > 1}
    assert not duplicates, f"matrix names repeat: {sorted(duplicates)}"
    return cases


# ---------------------------------------------------------------------------------------
# Encoding

class EncodeError(Exception):
    pass


def lame_command(case, wav, mp3, value=None):
    return ["lame", "--quiet", "--noreplaygain", *case.lame_args(value), wav, mp3]


def candidate_values(case):
    """The asked value first; for CBR then the other bit rates of the table, nearest first,
    in case LAME refuses the combination."""
    if case.control != "cbr":
        return [case.value]
    table = bitrates_for(case.rate)
    return sorted(table, key=lambda b: (abs(b - case.value), b))


def make_signal_file(case, work):
    path = case.signal_file(work)
    if not os.path.exists(path):
        os.makedirs(os.path.dirname(path), exist_ok=True)
        n = int(case.rate * case.seconds)
        rng = random.Random(case.seed)
        make = random_mix if case.signal == "random" else SIGNALS[case.signal]
        left, right = make(case.rate, n, rng)
        write_wave(path, case.rate, left, right)
    return path


def encode(case, work):
    """Encodes the case; returns (mp3 path, LAME command, notes on what LAME changed)."""
    wav = make_signal_file(case, work)
    mp3 = os.path.join(work, "streams", case.name + ".mp3")
    os.makedirs(os.path.dirname(mp3), exist_ok=True)
    refused = []
    for value in candidate_values(case):
        command = lame_command(case, wav, mp3, value)
        run = subprocess.run(command, capture_output=True, text=True)
        if run.returncode == 0:
            notes = [f"LAME refused {', '.join(refused)}; used {value}"] if refused else []
            return mp3, command, notes
        message = run.stderr.strip().splitlines()
        refused.append(f"{value} ({message[-1] if message else run.returncode})")
    raise EncodeError(f"LAME refused {', '.join(refused)}")


def check_stream(case, stream):
    """Notes where the stream is not what the case asked for (LAME adjusts on its own)."""
    notes = []
    if stream.rate != case.rate:
        notes.append(f"stream rate {stream.rate}, not {case.rate}")
    if case.control == "cbr" and stream.bitrates() != [case.value]:
        rates = ",".join(map(str, stream.bitrates()))
        notes.append(f"LAME made {rates} kbit/s of the {case.value} asked")
    if (case.mode == "m") != (stream.channels == 1):
        notes.append(f"stream has {stream.channels} channel(s)")
    if "-p" in case.extra and not all(h.crc for h in stream.audio_frames):
        notes.append("CRC asked but missing")
    return notes


# ---------------------------------------------------------------------------------------
# Decoding

class DecodeError(Exception):
    pass


def run_decoder(command, what):
    try:
        run = subprocess.run(command, capture_output=True)
    except OSError as e:  # e.g. the program is being rebuilt right now
        raise DecodeError(f"{what} could not be started: {e}") from e
    if run.returncode != 0:
        raise DecodeError(f"{what} exited with {run.returncode}: "
                          f"{run.stderr.decode(errors='replace').strip()[-300:]}")
    return run.stdout


def pcm_from_bytes(data):
    pcm = array.array("h")
    pcm.frombytes(data[:len(data) // 2 * 2])
    if sys.byteorder == "big":
        pcm.byteswap()
    return pcm


def decode_ours(bench, mp3, raw):
    run_decoder([bench, "--pcm", raw, mp3], "sonarel-bench")
    with open(raw, "rb") as f:
        return pcm_from_bytes(f.read())


def mpg123_options(stream):
    """Signed 16-bit at the stream's own rate, no gapless trimming, native channels."""
    return ["--no-gapless", "-q", "-e", "s16", "-r", str(stream.rate)]


def decode_mpg123(mp3, stream):
    return pcm_from_bytes(run_decoder(["mpg123", *mpg123_options(stream), "-s", mp3], "mpg123"))


def decode_ffmpeg(mp3, stream):
    """ffmpeg's decode without gapless trimming: skip_manual leaves the trimming to the
    caller, which does none, so the samples line up with mpg123 --no-gapless."""
    command = ["ffmpeg", "-nostdin", "-v", "error", "-flags2", "+skip_manual", "-i", mp3,
               "-f", "s16le", "-acodec", "pcm_s16le", "-ac", str(stream.channels),
               "-ar", str(stream.rate), "-"]
    return pcm_from_bytes(run_decoder(command, "ffmpeg"))


# ---------------------------------------------------------------------------------------
# Comparison

@dataclasses.dataclass
class Difference:
    max_diff: int
    psnr: float  # dB; math.inf when identical
    # First audio frame (from 0, an information frame not counted) and channel with a
    # difference above the tolerance.
    first_frame: int | None = None
    first_channel: str | None = None
    lengths: tuple | None = None  # (ours, reference) in samples, set when they differ

    @property
    def ok(self):
        return self.lengths is None and self.max_diff <= TOLERANCE

    def describe(self):
        text = f"max {self.max_diff:5d}  psnr {format_psnr(self.psnr):>8}"
        if self.first_frame is not None:
            text += (f"  first >{TOLERANCE} LSB: audio frame {self.first_frame} "
                     f"{self.first_channel}")
        if self.lengths:
            text += f"  LENGTH ours {self.lengths[0]} vs {self.lengths[1]} samples"
        return text


def format_psnr(psnr):
    return "inf" if math.isinf(psnr) else f"{psnr:.1f}dB"


def compare_pcm(ours, ref, channels, frame_samples):
    """Max |diff|, PSNR against full scale, and where the first difference above the
    tolerance is, over the common length; a length mismatch is recorded too."""
    count = min(len(ours), len(ref))
    squares, max_diff, first = 0, 0, None
    for i in range(count):
        d = abs(ours[i] - ref[i])
        if d:
            squares += d * d
            if d > max_diff:
                max_diff = d
            if d > TOLERANCE and first is None:
                first = i
    psnr = 10 * math.log10(FULL_SCALE ** 2 * count / squares) if squares else math.inf
    result = Difference(max_diff=max_diff, psnr=psnr)
    if first is not None:
        result.first_frame = first // channels // frame_samples
        result.first_channel = channel_name(first % channels, channels)
    if len(ours) != len(ref):
        result.lengths = (len(ours) // channels, len(ref) // channels)
    return result


def channel_name(index, channels):
    return "M" if channels == 1 else "LR"[index]


# ---------------------------------------------------------------------------------------
# One stream

@dataclasses.dataclass(frozen=True)
class Options:
    bench: str
    cli: str
    work: str
    ffmpeg: bool


@dataclasses.dataclass
class Result:
    case: Case
    command: list = None
    mode: str = ""
    notes: list = dataclasses.field(default_factory=list)
    error: str | None = None  # encoding or decoding failed
    skipped: bool = False  # LAME made no stream
    diff: Difference | None = None
    outvoted: bool = False  # ours differs from mpg123, but ffmpeg sides with ours
    ffmpeg_diff: Difference | None = None
    cli_diff: Difference | None = None
    cli_outvoted: bool = False
    cli_checked: bool = False
    third_opinion: str | None = None  # ffmpeg's verdict on a difference

    @property
    def cli_ok(self):
        return self.cli_diff is not None and (self.cli_diff.ok or self.cli_outvoted)

    @property
    def ok(self):
        if self.skipped:
            return True
        return (self.error is None and (self.diff.ok or self.outvoted)
                and (not self.cli_checked or self.cli_ok))


def run_case(case, options, with_cli=False):
    result = Result(case=case)
    try:
        mp3, result.command, result.notes = encode(case, options.work)
    except EncodeError as e:
        result.skipped, result.notes = True, [str(e)]
        return result
    with open(mp3, "rb") as f:
        stream = scan_stream(f.read())
    if stream is None:
        result.error = "no Layer III frame in LAME's output"
        return result
    result.mode = stream.mode_summary()
    result.notes += check_stream(case, stream)
    try:
        compare_decoders(result, mp3, stream, options)
        if with_cli:
            compare_conversion(result, mp3, stream, options)
    except DecodeError as e:
        result.error = str(e)
    return result


def compare_decoders(result, mp3, stream, options):
    raw = os.path.join(options.work, "pcm", result.case.name + ".raw")
    os.makedirs(os.path.dirname(raw), exist_ok=True)
    ours = decode_ours(options.bench, mp3, raw)
    ref = decode_mpg123(mp3, stream)
    check_reference_length(ref, stream)
    result.diff = compare_pcm(ours, ref, stream.channels, stream.samples_per_frame)
    if result.case.signal in MONO_SIGNALS + STEREO_SIGNALS and not any(ref):
        # Both decoders agreeing on silence would prove nothing.
        result.error = "mpg123 decoded silence from a signal that is not silent"
    ffmpeg = None
    if options.ffmpeg:
        ffmpeg = decode_ffmpeg(mp3, stream)
        result.ffmpeg_diff = compare_pcm(ffmpeg, ref, stream.channels, stream.samples_per_frame)
    if not result.diff.ok:
        result.third_opinion, ffmpeg = third_opinion(mp3, stream, ours, ref, ffmpeg)
        result.outvoted = ffmpeg is not None and mpg123_outvoted(ours, ref, ffmpeg, stream)
    if result.ok:
        os.remove(raw)  # kept only for a stream that fails


def mpg123_outvoted(ours, ref, ffmpeg, stream):
    """The majority verdict where ours and mpg123 differ: ours stands when it is within
    the tolerance of ffmpeg (same length included) and ffmpeg, too, differs from mpg123
    by more than the tolerance."""
    versus_ours = compare_pcm(ours, ffmpeg, stream.channels, stream.samples_per_frame)
    versus_ref = compare_pcm(ffmpeg, ref, stream.channels, stream.samples_per_frame)
    return versus_ours.ok and versus_ref.max_diff > TOLERANCE


def third_opinion(mp3, stream, ours, ref, ffmpeg=None):
    """Where our decoder and mpg123 differ, which of the two ffmpeg sides with (if it is
    installed): a hint whether the fault is ours or the reference's. Returns (the hint,
    ffmpeg's PCM), both None without ffmpeg."""
    try:
        if ffmpeg is None:
            if shutil.which("ffmpeg") is None:
                return None, None
            ffmpeg = decode_ffmpeg(mp3, stream)
    except DecodeError as e:
        return str(e), None
    versus_ours = compare_pcm(ffmpeg, ours, stream.channels, stream.samples_per_frame)
    versus_ref = compare_pcm(ffmpeg, ref, stream.channels, stream.samples_per_frame)
    return (f"ffmpeg vs ours: max {versus_ours.max_diff}{length_note(versus_ours)}, "
            f"vs mpg123: max {versus_ref.max_diff}{length_note(versus_ref)}"), ffmpeg


def length_note(diff):
    return f" (length {diff.lengths[0]} vs {diff.lengths[1]})" if diff.lengths else ""


def check_reference_length(ref, stream):
    """mpg123 must give one frame of samples per audio frame: otherwise it resampled,
    changed the channel count or dropped frames, and is no reference."""
    expected = len(stream.audio_frames) * stream.samples_per_frame * stream.channels
    if len(ref) != expected:
        raise DecodeError(f"mpg123 gave {len(ref)} samples, the stream's "
                          f"{len(stream.audio_frames)} frames hold {expected}")


# ---------------------------------------------------------------------------------------
# The whole conversion: sonarel-cli's WAVE file against mpg123's

def read_wave(path):
    """(rate, channels, bits, PCM samples) from a RIFF WAVE file, by its chunks."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        raise DecodeError(f"{path} is no RIFF WAVE file")
    pos, fmt = 12, None
    while pos + 8 <= len(data):
        chunk_id = data[pos:pos + 4]
        size = int.from_bytes(data[pos + 4:pos + 8], "little")
        body = data[pos + 8:pos + 8 + size]  # a data size past the end is cut to the file
        if chunk_id == b"fmt ":
            fmt = body
        elif chunk_id == b"data":
            if fmt is None:
                raise DecodeError(f"{path}: data chunk before fmt")
            channels = int.from_bytes(fmt[2:4], "little")
            rate = int.from_bytes(fmt[4:8], "little")
            bits = int.from_bytes(fmt[14:16], "little")
            return rate, channels, bits, pcm_from_bytes(body)
        pos += 8 + size + (size & 1)
    raise DecodeError(f"{path} has no data chunk")


def compare_conversion(result, mp3, stream, options):
    result.cli_checked = True
    folder = os.path.join(options.work, "wave")
    os.makedirs(folder, exist_ok=True)
    ours_path = os.path.join(folder, result.case.name + ".wav")
    ref_path = os.path.join(folder, result.case.name + ".ref.wav")
    run_decoder([options.cli, "-overwrite", "-nobeep", mp3, ours_path], "sonarel-cli")
    run_decoder(["mpg123", *mpg123_options(stream), "-w", ref_path, mp3], "mpg123 -w")
    ours_rate, ours_channels, ours_bits, ours = read_wave(ours_path)
    ref_rate, ref_channels, ref_bits, ref = read_wave(ref_path)
    if (ours_rate, ours_channels, ours_bits) != (ref_rate, ref_channels, ref_bits):
        raise DecodeError(f"WAVE headers differ: ours {ours_rate} Hz {ours_channels} ch "
                          f"{ours_bits} bit, mpg123 {ref_rate} Hz {ref_channels} ch {ref_bits} bit")
    result.cli_diff = compare_pcm(ours, ref, stream.channels, stream.samples_per_frame)
    if not result.cli_diff.ok and result.outvoted:
        # The stream's decode went to the majority: the conversion must then hold what
        # ffmpeg decodes, and mpg123 must still be the odd one out.
        result.cli_outvoted = mpg123_outvoted(ours, ref, decode_ffmpeg(mp3, stream), stream)
    if result.cli_diff.ok:
        os.remove(ours_path)
        os.remove(ref_path)


# ---------------------------------------------------------------------------------------
# Report

def status_word(result):
    if result.skipped:
        return "SKIP"
    if result.ok and result.outvoted:
        return "vote"
    return "ok  " if result.ok else "FAIL"


def format_line(result, name_width=40):
    case = result.case
    head = f"{status_word(result)} {case.name:<{name_width}} {case.rate:>5}  {result.mode:<17}"
    if result.skipped:
        return f"{head} LAME made no stream: {'; '.join(result.notes)}"
    parts = [head]
    if result.diff is not None:
        parts.append(result.diff.describe())
    if result.outvoted:
        parts.append("[mpg123 outvoted: ours agrees with ffmpeg]")
    if result.ffmpeg_diff is not None:
        parts.append(f"[ffmpeg vs mpg123: {ffmpeg_verdict(result.ffmpeg_diff)}]")
    if result.cli_diff is not None:
        parts.append(f"[cli: {cli_verdict(result)}]")
    if result.third_opinion:
        parts.append(f"[{result.third_opinion}]")
    if result.error:
        parts.append(f"ERROR {result.error}")
    if result.notes:
        parts.append(f"({'; '.join(result.notes)})")
    return "  ".join(parts)


def cli_verdict(result):
    if result.cli_diff.ok:
        return "ok"
    return ("mpg123 outvoted, " if result.cli_outvoted else "") + result.cli_diff.describe()


def ffmpeg_verdict(diff):
    return f"agree, max {diff.max_diff}" if diff.ok else diff.describe()


def print_summary(results):
    compared = [r for r in results if r.diff is not None]
    failed = [r for r in results if not r.ok]
    print()
    skipped = sum(r.skipped for r in results)
    print(f"streams: {len(results)}, passed: {len(results) - len(failed) - skipped}, "
          f"failed: {len(failed)}, skipped (LAME made no stream): {skipped}")
    if compared:
        worst_diff = max(compared, key=lambda r: r.diff.max_diff)
        worst_psnr = min(compared, key=lambda r: r.diff.psnr)
        print(f"worst max |diff|: {worst_diff.diff.max_diff} ({worst_diff.case.name}); "
              f"worst PSNR: {format_psnr(worst_psnr.diff.psnr)} ({worst_psnr.case.name})")
    print_outvoted(results)
    adjusted = [r for r in results if r.notes and not r.skipped]
    if adjusted:
        print(f"streams LAME made otherwise than asked: {len(adjusted)} (see notes above)")
    with_ffmpeg = [r for r in results if r.ffmpeg_diff is not None]
    if with_ffmpeg:
        agree = sum(r.ffmpeg_diff.ok for r in with_ffmpeg)
        worst = max(r.ffmpeg_diff.max_diff for r in with_ffmpeg)
        print(f"ffmpeg agrees with mpg123 (within {TOLERANCE} LSB, same length): "
              f"{agree}/{len(with_ffmpeg)}, worst max |diff| {worst}")
    with_cli = [r for r in results if r.cli_checked]
    if with_cli:
        print(f"conversions (sonarel-cli vs mpg123 -w): {len(with_cli)}, passed: "
              f"{sum(r.cli_ok and not r.error for r in with_cli)}")
    for r in failed:
        print(f"FAILED {r.case.name}: {lame_command_line(r)}")


def print_outvoted(results):
    outvoted = [r for r in results if r.outvoted]
    for r in outvoted:
        print(f"mpg123 outvoted on {r.case.name}: ours and ffmpeg agree within {TOLERANCE} LSB, "
              f"mpg123 differs ({r.diff.describe().strip()})")
    print(f"mpg123 outvoted: {len(outvoted)}")


# ---------------------------------------------------------------------------------------
# Matrix run

def select_cases(args):
    cases = build_matrix()
    if args.subset == "ci":
        cases = [c for c in cases if c.ci]
    if args.only:
        pattern = re.compile(args.only)
        cases = [c for c in cases if pattern.search(c.name)]
    return cases


def list_cases(cases):
    for case in cases:
        print(f"{case.name:<40} lame {' '.join(case.lame_args())}")
    print(f"{len(cases)} streams")


def run_matrix(cases, options, jobs, cli_every):
    width = max((len(c.name) for c in cases), default=10)
    with_cli = [bool(cli_every) and i % cli_every == 0 for i in range(len(cases))]
    results = []
    with concurrent.futures.ProcessPoolExecutor(max_workers=jobs) as pool:
        for result in pool.map(run_case, cases, [options] * len(cases), with_cli):
            print(format_line(result, width), flush=True)
            results.append(result)
    print_summary(results)
    return all(r.ok for r in results)


# ---------------------------------------------------------------------------------------
# Random differential run

def random_case(seed, index):
    """Stream number index of the random run with this seed: the same every time."""
    rng = random.Random(f"{seed}/{index}")
    rate = rng.choice(RATES)
    mode = rng.choice(MODES)
    control = rng.choice(("cbr", "cbr", "vbr", "abr"))
    table = bitrates_for(rate)
    if control == "cbr":
        value = rng.choice(table[:10])  # smaller streams keep fixtures small
    elif control == "vbr":
        value = rng.randint(0, 9)
    else:
        value = rng.randint(table[0], table[9])
    extra = random_extra_options(rng, rate)
    name = f"rand{seed}-{index}-{rate}-{mode}-{encoding_name(control, value)}"
    return Case(name=name, rate=rate, mode=mode, control=control, value=value,
                extra=tuple(extra), signal="random", seconds=round(rng.uniform(0.2, 1.5), 2),
                seed=zlib.crc32(name.encode()))


def random_extra_options(rng, rate):
    extra = []
    if rng.random() < 0.2:
        extra.append("--nores")
    if rng.random() < 0.25:
        extra.append("-p")
    if rng.random() < 0.1:
        extra.append("-t")
    extra += ["-q", str(rng.randint(0, 9))]
    if rng.random() < 0.3:
        extra += ["--lowpass", f"{rng.uniform(0.5, 0.5 * rate / 1000):.1f}"]
    if rng.random() < 0.1:
        extra += ["--highpass", f"{rng.uniform(0.02, 2.0):.2f}"]
    if rng.random() < 0.1:
        extra.append("-Y")
    return extra


def keep_fixture(result, work, folder):
    """Keeps a differing stream as a regression fixture with a one-line description."""
    os.makedirs(folder, exist_ok=True)
    case = result.case
    source = os.path.join(work, "streams", case.name + ".mp3")
    shutil.copyfile(source, os.path.join(folder, case.name + ".mp3"))
    verdict = result.error or (result.diff.describe() if result.diff else "")
    verdict = " ".join(verdict.split())
    if result.third_opinion:
        verdict += f"; {result.third_opinion}"
    with open(os.path.join(folder, case.name + ".txt"), "w") as f:
        f.write(f"{lame_command_line(result)}  # IN.wav: compare_decoders.py random signal, "
                f"seed {case.seed}, {case.seconds} s; against mpg123: {verdict}\n")


def lame_command_line(result):
    """The LAME command that made the stream, with neutral file names."""
    command = result.command or ["lame", *result.case.lame_args(), "IN.wav", "OUT.mp3"]
    return " ".join([*command[:-2], "IN.wav", "OUT.mp3"])


def run_random(options, minutes, seed, jobs, fixtures):
    """Random streams until the time is up, a few in flight per worker; every stream that
    differs is kept in fixtures. True when none differed."""
    deadline = time.monotonic() + minutes * 60
    print(f"random run: seed {seed}, {minutes:g} min, findings go to {fixtures}", flush=True)
    tried, findings, skipped, outvoted, index = 0, [], 0, 0, 0
    pending = set()
    with concurrent.futures.ProcessPoolExecutor(max_workers=jobs) as pool:
        while pending or time.monotonic() < deadline:
            while time.monotonic() < deadline and len(pending) < 2 * jobs:
                pending.add(pool.submit(run_case, random_case(seed, index), options))
                index += 1
            done, pending = concurrent.futures.wait(
                pending, return_when=concurrent.futures.FIRST_COMPLETED)
            for future in done:
                result = future.result()
                tried += 1
                skipped += result.skipped
                outvoted += result.ok and result.outvoted
                if result.ok and result.outvoted:
                    print(format_line(result), flush=True)
                if not result.ok:
                    findings.append(result)
                    print(format_line(result), flush=True)
                    keep_fixture(result, options.work, fixtures)
                else:
                    remove_stream(options.work, result.case)
                if tried % 100 == 0:
                    print(f"... {tried} streams, {len(findings)} findings", flush=True)
    print(f"\nrandom run: seed {seed}, streams tried: {tried}, LAME made no stream: {skipped}, "
          f"findings: {len(findings)}, mpg123 outvoted: {outvoted}")
    for r in findings:
        print(f"  kept {r.case.name}.mp3: {lame_command_line(r)}")
    return not findings


def fixture_case(mp3):
    """A kept stream as a case; its LAME command comes from the description beside it."""
    name = os.path.splitext(os.path.basename(mp3))[0]
    with open(mp3, "rb") as f:
        stream = scan_stream(f.read())
    case = Case(name=name, rate=stream.rate if stream else 0, mode="", control="cbr",
                value=0, signal="fixture")
    description = os.path.splitext(mp3)[0] + ".txt"
    command = None
    if os.path.exists(description):
        with open(description) as f:
            command = f.read().split("#")[0].split()
    return case, stream, command


def run_fixture(mp3, options):
    case, stream, command = fixture_case(mp3)
    result = Result(case=case, command=command)
    if stream is None:
        result.error = "no Layer III frame in the stream"
        return result
    result.mode = stream.mode_summary()
    try:
        compare_decoders(result, mp3, stream, options)
    except DecodeError as e:
        result.error = str(e)
    return result


def hand_built(mp3):
    """A kept stream made by one of our scripts rather than by LAME (its description names
    the script): mpg123 decodes it as we do, so ctest checks it without ffmpeg."""
    description = os.path.splitext(mp3)[0] + ".txt"
    if not os.path.exists(description):
        return False
    with open(description) as f:
        return f.read().startswith("scripts/make_")


def run_fixtures(options, folder, jobs, only_hand_built=False):
    """Every stream kept in the fixture folder, under the majority verdict."""
    streams = sorted(os.path.join(folder, f) for f in os.listdir(folder) if f.endswith(".mp3"))
    streams = [s for s in streams if hand_built(s) or not only_hand_built]
    print(f"fixtures: {len(streams)} streams in {folder}", flush=True)
    results = []
    with concurrent.futures.ProcessPoolExecutor(max_workers=jobs) as pool:
        for result in pool.map(run_fixture, streams, [options] * len(streams)):
            print(format_line(result), flush=True)
            results.append(result)
    print_summary(results)
    return all(r.ok for r in results)


def remove_stream(work, case):
    """A random stream that passed is of no further use: its files go."""
    for path in (os.path.join(work, "streams", case.name + ".mp3"), case.signal_file(work)):
        if os.path.exists(path):
            os.remove(path)


# ---------------------------------------------------------------------------------------
# Damaged and decorated variants (--variants N)
#
# A few valid base streams (every rate, mono and stereo, CBR, VBR and CRC, each starting
# with LAME's information frame) are decorated with tags, preceded by junk, damaged or
# concatenated. Each variant is converted by sonarel-cli (and, where it holds no tag and
# one format, decoded by sonarel-bench) and decoded by mpg123, and the outputs are
# compared frame by frame.
#
# Formats. Our converter writes one sampling rate, the one that carries most audio, and
# spreads mono to stereo (L = R) or folds stereo to mono (floor((L + R) / 2)) where the
# channel count changes at that rate. mpg123 is made to do the same: it decodes each run
# of consecutive base streams at that rate on its own (across a rate change it would
# resample), forced to our channel count (-r, --mono/--stereo, -e s16).
#
# Matching frames. No framing rule of either decoder is modelled; frames are recognised
# by what they decode to. Each decoder's output for the undamaged base streams gives its
# "undamaged frames", each with an identity (segment, audio frame). A decoder reproduces
# a frame exactly when the frame's bytes, the bit reservoir it reads and the filter state
# left by the frame before are undamaged, so:
#  1. Every undamaged frame is looked up in each output by its exact bytes, at any
#     sample position (mpg123 may decode junk as a frame of another layer or rate, whose
#     output is no whole frame long and shifts all that follows). Silent frames are not
#     looked up: silence could come from anywhere. The longest chain of found frames in
#     stream order anchors the output; the stretches between anchors are cut into
#     frame-sized units, from the anchor on, and a leftover shorter than a frame is a
#     partial unit. A unit next to an anchor that is within the tolerance of the
#     neighbouring frame's undamaged decode takes that identity too, unless that frame is
#     nearly silent (broken data often decodes to silence as well).
#  2. Frames that both outputs hold split them into gaps. Within a gap the two unit
#     sequences are aligned like two texts by an edit distance: a pair within the
#     tolerance costs 0, a pair that differs 1, a unit on one side only 1.
#  3. The verdicts:
#     lost       a unit only mpg123 has that is a real frame: one of mpg123's undamaged
#                frames, or a frame whose header survived in the variant whose undamaged
#                decode the unit resembles (RESEMBLANCE_DB; a frame decoded with a
#                damaged reservoir or filter state still does, junk does not) while no
#                unit of ours in the gap is or resembles it
#     disagree   a pair that differs where mpg123's unit is one of its undamaged frames
#     damaged    a pair that differs where it is not: both decoders met damage (our
#                concealment against mpg123's silence or noise, two decodes of broken
#                data, which no rule of the format settles, or the frame at a change of
#                channel mode); counted, not failed
#     ours only  a unit only we have (e.g. a stream's information frame in the middle of
#                a concatenation, which mpg123 skips at the start of its run); counted
#     mpg123 only, not a frame: a unit only mpg123 has that is none of the above (junk
#                or tag bytes decoded as audio, the output of a frame of another rate or
#                layer); counted
# A variant fails on a lost frame, a disagreement, a decoder error, or an output rate
# other than the one that clearly carries most of the audio.
# ---------------------------------------------------------------------------------------

VARIANT_SECONDS = 1.0
VARIANT_SIGNALS = ("pink", "sweep", "bursts", "tone", "castanets", "white", "unrelated",
                   "ms_tone_noise")
# (rate, LAME -m, encoding): a spread of the matrix, two or three streams at some rates so
# that concatenations meet channel changes at one rate.
VARIANT_PLAN = (
    (8000, "m", "cbr"), (8000, "j", "vbr"), (11025, "s", "crc"), (12000, "j", "cbr"),
    (16000, "m", "crc"), (16000, "s", "vbr"), (22050, "j", "cbr"), (24000, "m", "vbr"),
    (24000, "f", "crc"), (32000, "j", "vbr"), (32000, "m", "cbr"), (44100, "j", "crc"),
    (44100, "m", "vbr"), (44100, "s", "cbr"), (48000, "d", "cbr"), (48000, "j", "crc"),
)
VARIANT_KINDS = ("id3v1", "apev2", "lyrics3", "id3v2-end", "byte-end", "junk-end",
                 "junk-lead", "id3v2-lead", "junk-between", "insert-inside", "delete",
                 "zero-inside", "zero-span", "truncate", "concat")
TAG_KINDS = ("id3v1", "apev2", "lyrics3", "id3v2-end", "id3v2-lead")
ALIGN_SLACK = 8  # blocks the alignment may stray from the diagonal beyond the length gap
AUDIBLE = 64  # a frame peaking above this many LSB is not silence
RESEMBLANCE_DB = 6.0  # a damaged decode of a frame still this close to the undamaged one
RESEMBLANCE = 10 ** (RESEMBLANCE_DB / 10)
CLI_NO_AUDIO = (4, 6)  # "not an MP3 file" declined / no MPEG audio: nothing converted
CLI_DONE_WITH_SKIPS = 17


def variant_base_cases():
    cases = []
    for index, (rate, mode, encoding) in enumerate(VARIANT_PLAN):
        signal = VARIANT_SIGNALS[index % len(VARIANT_SIGNALS)]
        if encoding == "vbr":
            control, value, extra = "vbr", 5, ()
        else:
            control, value = "cbr", cbr_levels(rate)["mid"]
            extra = ("-p",) if encoding == "crc" else ()
        name = f"base-{rate}-{mode}-{encoding_name(control, value)}-{encoding}-{signal}"
        cases.append(Case(name=name, rate=rate, mode=mode, control=control, value=value,
                          extra=extra, signal=signal, seconds=VARIANT_SECONDS,
                          seed=signal_seed(signal, rate)))
    return cases


@dataclasses.dataclass(frozen=True)
class BaseStream:
    name: str
    path: str
    rate: int
    channels: int
    frames: tuple  # (offset, length) of every frame; the information frame first


def frame_positions(data):
    """(offset, length) of the frames of a clean stream, walked header to header."""
    pos, frames = skip_id3v2(data), []
    header = parse_header(data, pos)
    while header is not None and pos + header.length <= len(data):
        frames.append((pos, header.length))
        pos += header.length
        header = parse_header(data, pos)
    return tuple(frames)


def prepare_base(case, work):
    """Encodes a base stream; BaseStream, or an error text."""
    try:
        path, _, _ = encode(case, work)
    except EncodeError as e:
        return str(e)
    with open(path, "rb") as f:
        data = f.read()
    stream = scan_stream(data)
    if stream is None or stream.info_tag is None or len(frame_positions(data)) < 6:
        return f"{case.name}: LAME made no stream with an information frame and 5 audio frames"
    return BaseStream(name=case.name, path=path, rate=stream.rate, channels=stream.channels,
                      frames=frame_positions(data))


# --- Building blocks of the variants: tags and junk

def syncsafe(value):
    return bytes((value >> shift) & 0x7F for shift in (21, 14, 7, 0))


def text_field(rng, size):
    words = ("Sonarel", "test", "tag", "night", "take", "two", "live", "mix")
    text = " ".join(rng.choice(words) for _ in range(rng.randint(1, 6))).encode()
    return text[:size].ljust(size, b"\0")


def id3v1_tag(rng):
    tag = (b"TAG" + text_field(rng, 30) + text_field(rng, 30) + text_field(rng, 30)
           + str(rng.randint(1950, 2030)).encode() + text_field(rng, 28)
           + bytes((0, rng.randint(0, 99), rng.randint(0, 255))))
    assert len(tag) == 128
    return tag


def sync_like_bytes(rng, base_data):
    """Bytes that look like the start of a frame: a header of the base stream (or a
    common one), then random bytes."""
    header = base_data[:4] if rng.random() < 0.5 else b"\xff\xfb\x90\x64"
    return header + rng.randbytes(rng.randint(0, 40))


def ape_item(key, value, binary=False):
    flags = 2 if binary else 0  # item type in bits 1-2: 0 text, 1 binary
    return (len(value).to_bytes(4, "little") + (flags << 1).to_bytes(4, "little")
            + key + b"\0" + value)


def ape_frame(size, count, is_header):
    flags = 0x80000000 | (0x20000000 if is_header else 0)  # has a header; this is it
    return (b"APETAGEX" + (2000).to_bytes(4, "little") + size.to_bytes(4, "little")
            + count.to_bytes(4, "little") + flags.to_bytes(4, "little") + bytes(8))


def apev2_tag(rng, base_data):
    items = [ape_item(b"Title", text_field(rng, 20).rstrip(b"\0")),
             ape_item(b"Artist", text_field(rng, 20).rstrip(b"\0"))]
    if rng.random() < 0.5:
        items.append(ape_item(b"Cover Art (Front)", sync_like_bytes(rng, base_data), True))
    body = b"".join(items)
    size = len(body) + 32  # items and footer
    tag = ape_frame(size, len(items), True) + body + ape_frame(size, len(items), False)
    return tag + (id3v1_tag(rng) if rng.random() < 0.5 else b"")


def lyrics3_tag(rng):
    lyrics = b"[00:01]" + text_field(rng, 40).rstrip(b"\0")
    fields = b"IND00002" + b"10" + b"LYR" + f"{len(lyrics):05d}".encode() + lyrics
    body = b"LYRICSBEGIN" + fields
    return body + f"{len(body):06d}".encode() + b"LYRICS200" + id3v1_tag(rng)


def id3v2_frame(frame_id, payload):
    return frame_id + syncsafe(len(payload)) + b"\0\0" + payload


def id3v2_body(rng, base_data):
    """A title and a private frame full of frame-sync-like bytes."""
    private = b"sonarel\0" + b"".join(sync_like_bytes(rng, base_data)
                                      for _ in range(rng.randint(1, 4)))
    return (id3v2_frame(b"TIT2", b"\3" + text_field(rng, 20).rstrip(b"\0"))
            + id3v2_frame(b"PRIV", private))


def appended_id3v2(rng, base_data):
    body = id3v2_body(rng, base_data)
    flags_and_size = bytes((4, 0, 0x10)) + syncsafe(len(body))  # v2.4, footer present
    return b"ID3" + flags_and_size + body + b"3DI" + flags_and_size


def leading_id3v2(rng, base_data):
    body = id3v2_body(rng, base_data) + bytes(rng.choice((0, 0, 17, 300)))  # padding
    return b"ID3" + bytes((rng.choice((3, 4)), 0, 0)) + syncsafe(len(body)) + body


def junk(rng, size, base_data):
    style = rng.choice(("random", "zeros", "ff", "sync"))
    if style == "zeros":
        return bytes(size)
    if style == "ff":
        return b"\xff" * size
    if style == "sync":
        data = b""
        while len(data) < size:
            data += sync_like_bytes(rng, base_data)
        return data[:size]
    return rng.randbytes(size)


# --- The variants

@dataclasses.dataclass
class Variant:
    index: int
    kind: str
    data: bytes
    segments: list  # (BaseStream, start, end): the bytes of the variant each base gave
    note: str
    survivors: set  # identities (segment, audio frame) of the frames a decoder can decode

    @property
    def base_names(self):
        return "+".join(segment[0].name for segment in self.segments)

    @property
    def tagged(self):
        return self.kind in TAG_KINDS

    @property
    def formats(self):
        return {(b.rate, b.channels) for b, _, _ in self.segments}


def audio_frame(rng, base):
    """(offset, length) of a random audio frame (not the information frame)."""
    return base.frames[rng.randrange(1, len(base.frames))]


def trailer(kind, rng, data):
    if kind == "id3v1":
        return id3v1_tag(rng), "ID3v1"
    if kind == "apev2":
        tag = apev2_tag(rng, data)
        return tag, "APEv2" + (" + ID3v1" if tag[-128:-125] == b"TAG" else "")
    if kind == "lyrics3":
        return lyrics3_tag(rng), "Lyrics3 v2 + ID3v1"
    if kind == "id3v2-end":
        return appended_id3v2(rng, data), "appended ID3v2 with footer"
    if kind == "byte-end":
        byte = rng.choice((b"\0", b"\xff"))
        return byte, f"one byte {byte.hex()}"
    size = rng.randint(1, 500)
    return junk(rng, size, data), f"{size} junk bytes"


def damaged(kind, rng, base, data):
    """The base stream's bytes with one change; (bytes, note, ruin): ruin is the range of
    the base's bytes that is gone, (start, end), or None."""
    offset, length = audio_frame(rng, base)
    if kind == "junk-lead":
        size = rng.randint(1, 3000)
        return junk(rng, size, data) + data, f"{size} junk bytes before", None
    if kind == "id3v2-lead":
        tag = leading_id3v2(rng, data)
        return tag + data, f"ID3v2 tag of {len(tag)} bytes before", None
    if kind == "junk-between":
        size = rng.randint(1, 600)
        return (data[:offset] + junk(rng, size, data) + data[offset:],
                f"{size} junk bytes at frame boundary {offset}", None)
    if kind == "insert-inside":
        at, size = offset + rng.randrange(1, length), rng.randint(1, 200)
        return (data[:at] + rng.randbytes(size) + data[at:], f"{size} bytes inserted at {at}",
                None)
    if kind == "delete":
        at = rng.randrange(base.frames[1][0], len(data) - 1)
        size = rng.randint(1, 2 * length)
        return data[:at] + data[at + size:], f"{size} bytes deleted at {at}", (at, at + size)
    if kind == "zero-inside":
        start = offset + rng.randrange(4, length)
        end = rng.randint(start + 1, offset + length)
        return zeroed(data, start, end), f"bytes {start}-{end} zeroed (in one frame)", \
            (start, end)
    if kind == "zero-span":
        start = offset + rng.randrange(0, length)
        end = min(len(data), start + rng.randint(length - (start - offset) + 1, 3 * length))
        return zeroed(data, start, end), f"bytes {start}-{end} zeroed (across frames)", \
            (start, end)
    at = rng.randrange(base.frames[1][0] + 1, len(data))
    return data[:at], f"truncated at {at} of {len(data)}", (at, len(data))


def surviving_frames(base, segment, ruin, whole):
    """Identities (segment, frame) of the base's audio frames that a decoder could still
    decode: the header is left (with whole, the whole frame)."""
    survivors = set()
    for index, (offset, length) in enumerate(base.frames[1:]):
        end = offset + (length if whole else 4)
        if ruin is None or end <= ruin[0] or offset >= ruin[1]:
            survivors.add((segment, index))
    return survivors


def zeroed(data, start, end):
    return data[:start] + bytes(end - start) + data[end:]


def concat_bases(rng, bases):
    """Two or three different base streams, not all of one format."""
    while True:
        chosen = rng.sample(bases, rng.choice((2, 3)))
        if len({(b.rate, b.channels) for b in chosen}) > 1:
            return chosen


def build_variant(bases, seed, index):
    """Variant number index of the run with this seed: the same every time."""
    rng = random.Random(f"variant/{seed}/{index}")
    kind = VARIANT_KINDS[index % len(VARIANT_KINDS)]
    if kind == "concat":
        chosen, data, segments = concat_bases(rng, bases), b"", []
        for base in chosen:
            with open(base.path, "rb") as f:
                part = f.read()
            segments.append((base, len(data), len(data) + len(part)))
            data += part
        survivors = set().union(*(surviving_frames(b, n, None, False)
                                  for n, b in enumerate(chosen)))
        return Variant(index, kind, data, segments, f"{len(chosen)} streams", survivors)
    base = rng.choice(bases)
    with open(base.path, "rb") as f:
        data = f.read()
    ruin = None
    if kind in ("id3v1", "apev2", "lyrics3", "id3v2-end", "byte-end", "junk-end"):
        tail, note = trailer(kind, rng, data)
        data += tail
    else:
        data, note, ruin = damaged(kind, rng, base, data)
    survivors = surviving_frames(base, 0, ruin, kind == "truncate")
    return Variant(index, kind, data, [(base, 0, len(data))], note, survivors)


# --- Decoding a variant

def expected_rate(variant):
    """The rate that clearly carries most of the audio (a third more than any other), or
    None when two rates come close (the choice then is not checked)."""
    seconds = {}
    for base, _, _ in variant.segments:
        audio = (len(base.frames) - 1) * samples_per_frame(base.rate) / base.rate
        seconds[base.rate] = seconds.get(base.rate, 0) + audio
    ranked = sorted(seconds.values(), reverse=True)
    if len(ranked) > 1 and ranked[0] < 1.33 * ranked[1]:
        return None
    return max(seconds, key=seconds.get)


def convert_ours(cli, mp3, wav):
    """sonarel-cli's conversion: (rate, channels, PCM); (None, 0, empty) when it found no
    audio to convert."""
    try:
        run = subprocess.run([cli, "-overwrite", "-nobeep", mp3, wav], capture_output=True,
                             stdin=subprocess.DEVNULL, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as e:
        raise DecodeError(f"sonarel-cli: {e}") from e
    if run.returncode in CLI_NO_AUDIO:
        return None, 0, array.array("h")
    if run.returncode not in (0, CLI_DONE_WITH_SKIPS):
        raise DecodeError(f"sonarel-cli exited with {run.returncode}: "
                          f"{run.stdout.decode(errors='replace').strip()[-200:]}")
    rate, channels, bits, pcm = read_wave(wav)
    if bits != 16:
        raise DecodeError(f"sonarel-cli wrote {bits}-bit samples")
    return rate, channels, pcm


def forced_mpg123(data, path, rate, channels):
    """mpg123 on these bytes at this rate, forced to this channel count."""
    with open(path, "wb") as f:
        f.write(data)
    command = ["mpg123", "--no-gapless", "-q", "-s", "-e", "s16", "-r", str(rate),
               "--mono" if channels == 1 else "--stereo", path]
    try:
        run = subprocess.run(command, capture_output=True, timeout=60)
    except (OSError, subprocess.TimeoutExpired) as e:
        raise DecodeError(f"mpg123: {e}") from e
    return pcm_from_bytes(run.stdout)  # a damaged input may end mpg123 with an error


def rate_runs(variant, rate):
    """Byte ranges of the runs of consecutive segments at this rate."""
    runs = []
    for base, start, end in variant.segments:
        if base.rate != rate:
            continue
        if runs and runs[-1][1] == start:
            runs[-1] = (runs[-1][0], end)
        else:
            runs.append((start, end))
    return runs


def decode_reference(variant, rate, channels, path):
    """mpg123's frames of the variant at our output rate and channel count."""
    if len(variant.segments) == 1:
        return forced_mpg123(variant.data, path, rate, channels)
    pcm = array.array("h")
    for start, end in rate_runs(variant, rate):
        pcm += forced_mpg123(variant.data[start:end], path, rate, channels)
    return pcm


# --- Undamaged frames: what each decoder gives for the base streams on their own

def frame_blocks(pcm, size):
    return [pcm[i:i + size] for i in range(0, len(pcm) - size + 1, size)]


def fitted_channels(pcm, channels, wanted):
    """Our converter's channel fit: mono spread to both sides, stereo folded down."""
    if channels == wanted:
        return pcm
    if wanted == 2:
        out = array.array("h", bytes(4 * len(pcm)))
        out[0::2] = pcm
        out[1::2] = pcm
        return out
    return array.array("h", [(l + r) >> 1 for l, r in zip(pcm[0::2], pcm[1::2])])


_CLEAN_CACHE = {}


def clean_frames(base, channels, cli, work):
    """(ours, mpg123): the frame blocks each decoder gives for the undamaged base stream,
    at this output channel count. Cached per worker."""
    key = (base.name, channels)
    if key not in _CLEAN_CACHE:
        folder = os.path.join(work, "variants", "clean")
        os.makedirs(folder, exist_ok=True)
        stem = os.path.join(folder, f"{base.name}-{channels}-{os.getpid()}")
        rate, own_channels, pcm = convert_ours(cli, base.path, stem + ".wav")
        if rate != base.rate or own_channels != base.channels:
            raise DecodeError(f"sonarel-cli converted {base.name} to {rate} Hz {own_channels} ch")
        with open(base.path, "rb") as f:
            ref = forced_mpg123(f.read(), stem + ".mp3", base.rate, channels)
        size = samples_per_frame(base.rate) * channels
        ours = frame_blocks(fitted_channels(pcm, own_channels, channels), size)
        ref = frame_blocks(ref, size)
        if len(ours) != len(ref):
            raise DecodeError(f"{base.name}: {len(ours)} frames from sonarel-cli, {len(ref)} "
                              f"from mpg123")
        _CLEAN_CACHE[key] = (ours, ref)
        for suffix in (".wav", ".mp3"):
            os.remove(stem + suffix)
    return _CLEAN_CACHE[key]


@dataclasses.dataclass
class CleanFrames:
    """One decoder's undamaged frames of a variant's segments at the output rate, by
    identity (segment, frame), and by their exact bytes (silent ones left out there:
    silence could come from anywhere)."""
    by_identity: dict = dataclasses.field(default_factory=dict)
    by_bytes: dict = dataclasses.field(default_factory=dict)


def clean_maps(variant, rate, channels, cli, work):
    """(ours, mpg123) CleanFrames. The first audio frame of a later stream in a
    concatenation is left out: it follows another stream's filter state (and maybe
    channel count), which each decoder carries over in its own way."""
    ours, ref = CleanFrames(), CleanFrames()
    for number, (base, _, _) in enumerate(variant.segments):
        if base.rate != rate:
            continue
        for side, blocks in zip((ours, ref), clean_frames(base, channels, cli, work)):
            for index, block in enumerate(blocks):
                if number > 0 and index == 0:
                    continue
                side.by_identity[number, index] = block
                if any(block):
                    side.by_bytes.setdefault(block.tobytes(), []).append((number, index))
    return ours, ref


# --- Alignment

@dataclasses.dataclass
class Unit:
    """A piece of one decoder's output: an undamaged frame (identity set), any other
    frame-sized block, or a piece shorter than a frame."""
    pcm: array.array
    identity: tuple | None = None
    partial: bool = False


def find_clean(pcm, channels, clean_map):
    """(sample position, identity) of every undamaged frame in the output, at any
    position that starts a sample frame."""
    data, step, found = pcm.tobytes(), 2 * channels, []
    for needle, identities in clean_map.items():
        at = data.find(needle)
        while at >= 0:
            if at % step == 0:
                found += [(at // 2, identity) for identity in identities]
            at = data.find(needle, at + step - at % step)
    return sorted(found)


def anchor_chain(found, size):
    """The longest chain of found frames in stream order that do not overlap."""
    best, previous = [], []
    for i, (pos, identity) in enumerate(found):
        best.append(1)
        previous.append(None)
        for j in range(i):
            if found[j][0] + size <= pos and found[j][1] < identity and best[j] + 1 > best[i]:
                best[i], previous[i] = best[j] + 1, j
    chain, i = [], max(range(len(found)), key=best.__getitem__) if found else None
    while i is not None:
        chain.append(found[i])
        i = previous[i]
    return chain[::-1]


def chopped(pcm, size, from_right):
    """Frame-sized units of a stretch between undamaged frames; what is left over (the
    output of a frame of another size, e.g. at another rate) is a partial unit at the end
    away from the anchor."""
    rest = len(pcm) % size
    start = rest if from_right else 0
    units = [Unit(pcm[i:i + size]) for i in range(start, start + len(pcm) - rest, size)]
    if rest:
        partial = Unit(pcm[:rest] if from_right else pcm[len(pcm) - rest:], partial=True)
        units = [partial] + units if from_right else units + [partial]
    return units


def output_units(pcm, size, channels, clean):
    """The output as units: undamaged frames where found, stretches between chopped."""
    units, end = [], 0
    for pos, identity in anchor_chain(find_clean(pcm, channels, clean.by_bytes), size):
        units += chopped(pcm[end:pos], size, from_right=True)
        units.append(Unit(pcm[pos:pos + size], identity))
        end = pos + size
    units += chopped(pcm[end:], size, from_right=False)
    extend_identities(units, clean.by_identity, 1)
    extend_identities(units[::-1], clean.by_identity, -1)
    return units


def extend_identities(units, by_identity, direction):
    """A unit next to an undamaged frame that is within the tolerance of the undamaged
    decode of the neighbouring frame counts as that frame: a decoder may come back from
    damage a rounding step away from its own undamaged decode. Not for (nearly) silent
    frames: broken data often decodes to silence too, so matching one proves nothing."""
    taken = {unit.identity for unit in units}
    for before, unit in zip(units, units[1:]):
        if unit.identity is not None or unit.partial or before.identity is None:
            continue
        identity = (before.identity[0], before.identity[1] + direction)
        block = by_identity.get(identity)
        if (identity not in taken and block is not None
                and max(map(abs, block)) > AUDIBLE and blocks_agree(unit.pcm, block)):
            unit.identity = identity
            taken.add(identity)


def units_agree(a, b):
    if a.partial or b.partial:
        return False
    if a.identity is not None and b.identity is not None:
        return a.identity == b.identity
    return blocks_agree(a.pcm, b.pcm)


def pair_cost(a, b, agree):
    if a.partial or b.partial:
        return 3  # never paired: two one-sided units are cheaper
    return 0 if agree else 1


def align_units(ours, ref):
    """The cheapest alignment of the two unit sequences: a pair that agrees costs 0, a
    pair that differs 1, a unit on one side only 1. A list of (i, j) pairs, i or j None
    where only one side has the unit."""
    n, m = len(ours), len(ref)
    low, high = min(0, m - n) - ALIGN_SLACK, max(0, m - n) + ALIGN_SLACK
    step = functools.lru_cache(maxsize=None)(
        lambda i, j: pair_cost(ours[i], ref[j], units_agree(ours[i], ref[j])))
    cost = {(0, 0): 0}
    for i in range(n + 1):
        for j in range(max(0, i + low), min(m, i + high) + 1):
            options = []
            if i and j and (i - 1, j - 1) in cost:
                options.append(cost[i - 1, j - 1] + step(i - 1, j - 1))
            if i and (i - 1, j) in cost:
                options.append(cost[i - 1, j] + 1)
            if j and (i, j - 1) in cost:
                options.append(cost[i, j - 1] + 1)
            if options:
                cost[i, j] = min(options)
    return backtrack(cost, step, n, m)


def backtrack(cost, step, n, m):
    pairs, i, j = [], n, m
    while i or j:
        here = cost[i, j]
        if i and j and cost.get((i - 1, j - 1)) == here - step(i - 1, j - 1):
            i, j = i - 1, j - 1
            pairs.append((i, j))
        elif i and cost.get((i - 1, j)) == here - 1:
            i -= 1
            pairs.append((i, None))
        else:
            j -= 1
            pairs.append((None, j))
    return pairs[::-1]


def blocks_agree(a, b):
    if a == b:
        return True
    if max(map(abs, map(operator.sub, a[::61], b[::61])), default=0) > TOLERANCE:
        return False  # a cheap look at every 61st sample rules most pairs out
    return max(map(abs, map(operator.sub, a, b)), default=0) <= TOLERANCE


# --- Verdict on a variant

@dataclasses.dataclass
class FrameTally:
    ours: int = 0  # frame-sized units
    ref: int = 0
    agreed: int = 0
    lost: int = 0  # undamaged frames that only mpg123 has
    ours_only: int = 0
    ref_only: int = 0  # other units that only mpg123 has (partial ones included)
    disagree: int = 0  # pairs that differ where mpg123's frame is undamaged
    damaged: int = 0  # pairs that differ where mpg123's frame is not
    worst: int = 0  # max |diff| over the disagreements
    first_problem: int | None = None  # mpg123's unit number of the first lost/disagreeing

    @property
    def ok(self):
        return self.lost == 0 and self.disagree == 0

    def add(self, other):
        for field in dataclasses.fields(self):
            if field.name not in ("worst", "first_problem"):
                setattr(self, field.name, getattr(self, field.name) + getattr(other, field.name))
        self.worst = max(self.worst, other.worst)


def tally_frames(ours_pcm, ref_pcm, size, channels, clean, survivors):
    """Aligns the two outputs by frames and sorts every unit into the verdicts above."""
    ours = output_units(ours_pcm, size, channels, clean[0])
    ref = output_units(ref_pcm, size, channels, clean[1])
    tally = FrameTally(ours=sum(not u.partial for u in ours), ref=sum(not u.partial for u in ref))
    for ours_gap, ref_gap, shared, candidates in gaps(ours, ref, survivors):
        frames = {k: (clean[0].by_identity[k], clean[1].by_identity[k])
                  for k in candidates if k in clean[0].by_identity}
        tally_gap(tally, ours[ours_gap], ref[ref_gap], ref_gap.start, frames)
        tally.agreed += shared is not None
    return tally


def gaps(ours, ref, survivors):
    """The stretches between the undamaged frames that both outputs hold: (our slice,
    mpg123's slice, the shared frame after them or None at the end, the identities of the
    frames whose header survived that lie between the shared frames)."""
    shared = ({u.identity for u in ours if u.identity is not None}
              & {u.identity for u in ref if u.identity is not None})
    ours_at = {u.identity: i for i, u in enumerate(ours) if u.identity in shared}
    ref_at = {u.identity: j for j, u in enumerate(ref) if u.identity in shared}
    i = j = 0
    previous = None
    for identity in sorted(shared) + [None]:
        i_end = ours_at[identity] if identity else len(ours)
        j_end = ref_at[identity] if identity else len(ref)
        candidates = [s for s in sorted(survivors) if (previous is None or s > previous)
                      and (identity is None or s < identity)]
        yield slice(i, i_end), slice(j, j_end), identity, candidates
        i, j, previous = i_end + 1, j_end + 1, identity


def tally_gap(tally, ours, ref, ref_start, frames):
    """The units between two shared undamaged frames (frames: identity -> our and mpg123's
    undamaged decode of each frame that may lie here)."""
    for i, j in align_units(ours, ref):
        if j is None:
            tally.ours_only += 1
            continue
        undamaged = ref[j].identity is not None
        if i is None:
            if undamaged or lost_in_gap(ref[j], ours, frames):
                tally.lost += 1
            else:
                tally.ref_only += 1
                continue
        elif units_agree(ours[i], ref[j]):
            tally.agreed += 1
            continue
        elif undamaged:
            tally.disagree += 1
            tally.worst = max(tally.worst, max(map(abs, map(operator.sub, ours[i].pcm,
                                                                 ref[j].pcm))))
        else:
            tally.damaged += 1
            continue
        if tally.first_problem is None:
            tally.first_problem = ref_start + j


def lost_in_gap(unit, ours, frames):
    """Whether a unit only mpg123 has is a real frame that we left out: it resembles
    mpg123's undamaged decode of a frame that no unit of ours resembles. A frame decoded
    with a damaged bit reservoir or filter state still resembles its undamaged decode;
    output from junk or tag bytes resembles none."""
    if unit.partial:
        return False
    for identity, (ours_clean, ref_clean) in frames.items():
        if resembles(unit.pcm, ref_clean) and not any(
                u.identity == identity or (not u.partial and resembles(u.pcm, ours_clean))
                for u in ours):
            return True
    return False


def resembles(block, clean):
    """Within RESEMBLANCE_DB of a non-silent undamaged decode (signal to difference)."""
    energy = sum(map(operator.mul, clean, clean))
    if energy == 0:
        return False
    difference = list(map(operator.sub, block, clean))
    return sum(map(operator.mul, difference, difference)) * RESEMBLANCE < energy


@dataclasses.dataclass
class VariantResult:
    index: int
    kind: str
    bases: str
    note: str
    path: str
    cli: FrameTally | None = None
    bench: FrameTally | None = None
    error: str | None = None
    rate_problem: str | None = None

    @property
    def ok(self):
        return (self.error is None and self.rate_problem is None and self.cli is not None
                and self.cli.ok and (self.bench is None or self.bench.ok))


@dataclasses.dataclass(frozen=True)
class VariantContext:
    bases: tuple
    cli: str
    bench: str
    work: str
    seed: int


def run_variant(context, index):
    variant = build_variant(context.bases, context.seed, index)
    folder = os.path.join(context.work, "variants")
    stem = os.path.join(folder, f"v{context.seed}-{index}-{variant.kind}")
    with open(stem + ".mp3", "wb") as f:
        f.write(variant.data)
    result = VariantResult(index, variant.kind, variant.base_names, variant.note, stem + ".mp3")
    try:
        compare_variant(result, variant, context, stem)
    except DecodeError as e:
        result.error = str(e)
    if result.ok:
        for suffix in (".mp3", ".wav", ".raw", ".ref.mp3"):
            if os.path.exists(stem + suffix):
                os.remove(stem + suffix)
    return result


def compare_variant(result, variant, context, stem):
    rate, channels, ours = convert_ours(context.cli, stem + ".mp3", stem + ".wav")
    wanted = expected_rate(variant)
    if rate is None:  # nothing converted: compare an empty output at the expected format
        rate = wanted or variant.segments[0][0].rate
        channels = max(b.channels for b, _, _ in variant.segments if b.rate == rate)
    elif wanted is not None and rate != wanted:
        result.rate_problem = f"converted at {rate} Hz, most audio is at {wanted} Hz"
    ref = decode_reference(variant, rate, channels, stem + ".ref.mp3")
    clean = clean_maps(variant, rate, channels, context.cli, context.work)
    size = samples_per_frame(rate) * channels
    survivors = {s for s in variant.survivors if variant.segments[s[0]][0].rate == rate}
    result.cli = tally_frames(ours, ref, size, channels, clean, survivors)
    if not variant.tagged and len(variant.formats) == 1:
        bench = decode_ours(context.bench, stem + ".mp3", stem + ".raw")
        result.bench = tally_frames(bench, ref, size, channels, clean, survivors)


# --- Report

def format_variant(result):
    head = f"FAIL {result.kind:<13} {result.bases}  ({result.note})"
    if result.error:
        return f"{head}  ERROR {result.error}  {result.path}"
    parts = [head]
    if result.rate_problem:
        parts.append(result.rate_problem)
    for name, tally in (("cli", result.cli), ("bench", result.bench)):
        if tally is not None and not tally.ok:
            parts.append(f"{name}: frames ours {tally.ours}/mpg123 {tally.ref}, lost {tally.lost}, "
                         f"disagree {tally.disagree} (worst {tally.worst}, first at mpg123 frame "
                         f"{tally.first_problem})")
    parts.append(result.path)
    return "  ".join(parts)


def print_variant_summary(results, seconds):
    print()
    kinds = {}
    for r in results:
        kinds.setdefault(r.kind, []).append(r)
    for kind in VARIANT_KINDS:
        group = kinds.get(kind, [])
        if not group:
            continue
        total = FrameTally()
        for r in group:
            if r.cli is not None:
                total.add(r.cli)
        failed = sum(not r.ok for r in group)
        print(f"{kind:<14} variants {len(group):4d}  failed {failed:3d}  lost {total.lost:3d}  "
              f"disagree {total.disagree:3d}  damaged {total.damaged:4d}  ours only "
              f"{total.ours_only:3d}  mpg123 only (no real frame) {total.ref_only:3d}")
    for name in ("cli", "bench"):
        print_tally_totals(name, [getattr(r, name) for r in results if getattr(r, name)])
    failed = [r for r in results if not r.ok]
    print(f"variants: {len(results)}, failed: {len(failed)} "
          f"(errors {sum(r.error is not None for r in failed)}, wrong rate "
          f"{sum(r.rate_problem is not None for r in failed)}), {seconds:.1f} s")


def print_tally_totals(name, tallies):
    total = FrameTally()
    for tally in tallies:
        total.add(tally)
    program = "sonarel-cli" if name == "cli" else "sonarel-bench"
    print(f"{program} ({len(tallies)} variants): frames ours {total.ours}, mpg123 {total.ref}; "
          f"lost vs mpg123: {total.lost} (goal 0); only ours: {total.ours_only}; "
          f"only mpg123, no real frame: {total.ref_only}; "
          f"disagreements > {TOLERANCE} LSB on frames both decode: {total.disagree} where mpg123's "
          f"frame is undamaged (goal 0, worst {total.worst}), {total.damaged} on damaged frames")


def run_variants(options, count, seed, jobs):
    started = time.monotonic()
    cases = variant_base_cases()
    with concurrent.futures.ProcessPoolExecutor(max_workers=jobs) as pool:
        prepared = list(pool.map(prepare_base, cases, [options.work] * len(cases)))
    problems = [p for p in prepared if isinstance(p, str)]
    if problems:
        for problem in problems:
            print(f"base stream: {problem}")
        return False
    os.makedirs(os.path.join(options.work, "variants"), exist_ok=True)
    context = VariantContext(bases=tuple(prepared), cli=options.cli, bench=options.bench,
                             work=options.work, seed=seed)
    print(f"variants: {count}, seed {seed}, {len(prepared)} base streams", flush=True)
    results = []
    with concurrent.futures.ProcessPoolExecutor(max_workers=jobs) as pool:
        for result in pool.map(run_variant, [context] * count, range(count), chunksize=4):
            if not result.ok:
                print(format_variant(result), flush=True)
            results.append(result)
    print_variant_summary(results, time.monotonic() - started)
    return all(r.ok for r in results)


# ---------------------------------------------------------------------------------------

def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--bench", default=DEFAULT_BENCH, help="sonarel-bench to test")
    parser.add_argument("--cli-program", default=DEFAULT_CLI, help="sonarel-cli for --cli")
    parser.add_argument("--work", default=DEFAULT_WORK,
                        help="folder for generated files (default build/compare)")
    parser.add_argument("--subset", choices=("ci",), help="the fixed quick subset for ctest")
    parser.add_argument("--only", metavar="REGEX", help="only streams whose name matches")
    parser.add_argument("--list", action="store_true", help="print the selected streams")
    parser.add_argument("--ffmpeg", action="store_true",
                        help="also decode with ffmpeg and report whether it agrees with mpg123")
    parser.add_argument("--cli", type=int, metavar="N", default=0,
                        help="convert every Nth stream with sonarel-cli and compare the WAVE "
                             "file with mpg123's")
    parser.add_argument("--random", type=float, metavar="MINUTES",
                        help="random LAME options and signals for MINUTES")
    parser.add_argument("--variants", type=int, metavar="N", nargs="?", const=2000,
                        help="N damaged and decorated variants of valid streams (default "
                             "2000), converted by sonarel-cli and compared with mpg123")
    parser.add_argument("--seed", type=int,
                        help="seed of --random and --variants (default: from the clock, 1 "
                             "for --variants)")
    parser.add_argument("--fixture-dir", default=DEFAULT_FIXTURES,
                        help="where --random keeps differing streams and --fixtures finds them")
    parser.add_argument("--fixtures", action="store_true",
                        help="re-check every stream kept in the fixture folder")
    parser.add_argument("--jobs", type=int, default=2, help="parallel workers (default 2)")
    return parser.parse_args(argv)


def missing_programs(args):
    missing = []
    for program in ("lame", "mpg123"):
        if shutil.which(program) is None:
            missing.append(f"{program} is not installed (scripts/setup.sh installs it)")
    if args.fixtures and shutil.which("ffmpeg") is None:
        missing.append("ffmpeg is not installed: --fixtures needs it, as on some kept streams "
                       "only ffmpeg can outvote mpg123 (apt-get install ffmpeg)")
    elif args.ffmpeg and shutil.which("ffmpeg") is None:
        missing.append("ffmpeg is not installed; scripts/setup.sh leaves it out as it is "
                       "large: apt-get install ffmpeg")
    if not os.access(args.bench, os.X_OK):
        missing.append(f"{args.bench} not found: build the project first")
    if (args.cli or args.variants) and not os.access(args.cli_program, os.X_OK):
        missing.append(f"{args.cli_program} not found: build the project first")
    return missing


def snapshot(program, work):
    """A private copy of a program under test: a rebuild in the same build tree during
    the run then cannot pull it away from under the workers."""
    folder = os.path.join(work, "bin")
    os.makedirs(folder, exist_ok=True)
    copy = os.path.join(folder, os.path.basename(program))
    shutil.copy2(program, copy)
    return copy


def main(argv=None):
    args = parse_arguments(argv)
    cases = select_cases(args)
    if args.list:
        list_cases(cases)
        return 0
    if not cases and args.random is None:
        print("compare_decoders: no stream selected", file=sys.stderr)
        return 2
    problems = missing_programs(args)
    if problems:
        for problem in problems:
            print(f"compare_decoders: {problem}", file=sys.stderr)
        return 2
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    options = Options(bench=snapshot(args.bench, work),
                      cli=snapshot(args.cli_program, work) if args.cli or args.variants else "",
                      work=work, ffmpeg=args.ffmpeg)
    if args.variants:
        ok = run_variants(options, args.variants, args.seed if args.seed is not None else 1,
                          args.jobs)
    elif args.fixtures:
        ok = run_fixtures(options, os.path.abspath(args.fixture_dir), args.jobs)
    elif args.random is not None:
        seed = args.seed if args.seed is not None else int(time.time()) % 100000
        ok = run_random(options, args.random, seed, args.jobs, os.path.abspath(args.fixture_dir))
    else:
        ok = run_matrix(cases, options, args.jobs, args.cli)
        if args.subset == "ci":
            folder = os.path.abspath(args.fixture_dir)
            ok = run_fixtures(options, folder, args.jobs, only_hand_built=True) and ok
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
