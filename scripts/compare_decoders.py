#!/usr/bin/env python3
"""Differential check of Sonarel's MP3 decoder against mpg123.

Streams are encoded with LAME from synthetic signals that this script generates itself
(seeded, so every run encodes the same matrix). Each stream is decoded by sonarel-bench
and by mpg123 (16-bit, the stream's own rate and channels, no gapless trimming), and the
two outputs must have the same length and differ by at most 1 LSB.

Usage:
  scripts/compare_decoders.py                  the whole matrix (264 streams, about 15 s)
  scripts/compare_decoders.py --subset ci      the small fixed subset that ctest runs
  scripts/compare_decoders.py --list           print the matrix names and LAME options
  scripts/compare_decoders.py --only REGEX     only streams whose name matches REGEX
  scripts/compare_decoders.py --cli 10         also convert every 10th stream with
                                               sonarel-cli and compare the WAVE files
  scripts/compare_decoders.py --ffmpeg         also decode with ffmpeg, to check mpg123
  scripts/compare_decoders.py --random 5 [--seed N]
                                               5 minutes of random LAME options and
                                               signals; streams that differ are kept in
                                               tests/fixtures/mp3/differential/

Names read RATE-MODE-ENCODING-SIGNAL, e.g. 44100-s-b96-crc-bursts. A line per stream
gives the rate, the channel modes in the stream's headers, max |diff|, PSNR against full
scale and, past 1 LSB, the first differing audio frame and channel; where the two differ
and ffmpeg is installed, ffmpeg's verdict is added as a hint on which side is wrong.

Until our decoder skips LAME's information frame, a stream whose output is exactly that
one frame of silence longer passes (counted in the summary); --strict disallows it.

Generated files go to build/compare/ (--work DIR); the programs under test are copied
there first, so a rebuild during the run does not disturb it. The exit status is 1 when
any stream differs by more than 1 LSB or in length, or a decoder fails; 2 when a needed
program is missing.
"""
import argparse
import array
import concurrent.futures
import dataclasses
import math
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


def allow_info_frame_as_silence(ours, ref, stream):
    """TEMPORARY allowance, remove once our decoder skips the information frame: it still
    outputs LAME's Xing/Info (or a VBRI) frame as one frame of silence, which mpg123
    skips. When the stream starts with such a frame and our output is exactly one silent
    frame longer, that frame is dropped. Returns (ours, whether it was dropped)."""
    frame = stream.samples_per_frame * stream.channels
    if stream.info_tag is None or len(ours) != len(ref) + frame or any(ours[:frame]):
        return ours, False
    return ours[frame:], True


# ---------------------------------------------------------------------------------------
# One stream

@dataclasses.dataclass(frozen=True)
class Options:
    bench: str
    cli: str
    work: str
    strict: bool
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
    info_allowed: bool = False
    ffmpeg_diff: Difference | None = None
    cli_diff: Difference | None = None
    cli_checked: bool = False
    third_opinion: str | None = None  # ffmpeg's verdict on a difference

    @property
    def ok(self):
        if self.skipped:
            return True
        return (self.error is None and self.diff.ok
                and (not self.cli_checked or (self.cli_diff is not None and self.cli_diff.ok)))


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
    if not options.strict:
        ours, result.info_allowed = allow_info_frame_as_silence(ours, ref, stream)
    result.diff = compare_pcm(ours, ref, stream.channels, stream.samples_per_frame)
    if result.case.signal in MONO_SIGNALS + STEREO_SIGNALS and not any(ref):
        # Both decoders agreeing on silence would prove nothing.
        result.error = "mpg123 decoded silence from a signal that is not silent"
    ffmpeg = None
    if options.ffmpeg:
        ffmpeg = decode_ffmpeg(mp3, stream)
        result.ffmpeg_diff = compare_pcm(ffmpeg, ref, stream.channels, stream.samples_per_frame)
    if not result.diff.ok:
        result.third_opinion = third_opinion(mp3, stream, ours, ref, ffmpeg)
    if result.ok:
        os.remove(raw)  # kept only for a stream that fails


def third_opinion(mp3, stream, ours, ref, ffmpeg=None):
    """Where our decoder and mpg123 differ, which of the two ffmpeg sides with (if it is
    installed): a hint whether the fault is ours or the reference's."""
    try:
        if ffmpeg is None:
            if shutil.which("ffmpeg") is None:
                return None
            ffmpeg = decode_ffmpeg(mp3, stream)
    except DecodeError as e:
        return str(e)
    versus_ours = compare_pcm(ffmpeg, ours, stream.channels, stream.samples_per_frame)
    versus_ref = compare_pcm(ffmpeg, ref, stream.channels, stream.samples_per_frame)
    return (f"ffmpeg vs ours: max {versus_ours.max_diff}{length_note(versus_ours)}, "
            f"vs mpg123: max {versus_ref.max_diff}{length_note(versus_ref)}")


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
    if not options.strict:
        ours, _ = allow_info_frame_as_silence(ours, ref, stream)
    result.cli_diff = compare_pcm(ours, ref, stream.channels, stream.samples_per_frame)
    if result.cli_diff.ok:
        os.remove(ours_path)
        os.remove(ref_path)


# ---------------------------------------------------------------------------------------
# Report

def status_word(result):
    if result.skipped:
        return "SKIP"
    return "ok  " if result.ok else "FAIL"


def format_line(result, name_width=40):
    case = result.case
    head = f"{status_word(result)} {case.name:<{name_width}} {case.rate:>5}  {result.mode:<17}"
    if result.skipped:
        return f"{head} LAME made no stream: {'; '.join(result.notes)}"
    parts = [head]
    if result.diff is not None:
        parts.append(result.diff.describe())
    if result.info_allowed:
        parts.append("(info frame as silence)")
    if result.ffmpeg_diff is not None:
        parts.append(f"[ffmpeg vs mpg123: {ffmpeg_verdict(result.ffmpeg_diff)}]")
    if result.cli_diff is not None:
        parts.append(f"[cli: {'ok' if result.cli_diff.ok else result.cli_diff.describe()}]")
    if result.third_opinion:
        parts.append(f"[{result.third_opinion}]")
    if result.error:
        parts.append(f"ERROR {result.error}")
    if result.notes:
        parts.append(f"({'; '.join(result.notes)})")
    return "  ".join(parts)


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
    print(f"info frame decoded as silence (allowed, to be fixed): "
          f"{sum(r.info_allowed for r in results)}")
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
              f"{sum(r.cli_diff is not None and r.cli_diff.ok and not r.error for r in with_cli)}")
    for r in failed:
        print(f"FAILED {r.case.name}: {lame_command_line(r)}")


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
    tried, findings, skipped, index = 0, [], 0, 0
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
                if not result.ok:
                    findings.append(result)
                    print(format_line(result), flush=True)
                    keep_fixture(result, options.work, fixtures)
                else:
                    remove_stream(options.work, result.case)
                if tried % 100 == 0:
                    print(f"... {tried} streams, {len(findings)} findings", flush=True)
    print(f"\nrandom run: seed {seed}, streams tried: {tried}, LAME made no stream: {skipped}, "
          f"findings: {len(findings)}")
    for r in findings:
        print(f"  kept {r.case.name}.mp3: {lame_command_line(r)}")
    return not findings


def remove_stream(work, case):
    """A random stream that passed is of no further use: its files go."""
    for path in (os.path.join(work, "streams", case.name + ".mp3"), case.signal_file(work)):
        if os.path.exists(path):
            os.remove(path)


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
    parser.add_argument("--strict", action="store_true",
                        help="no allowance for the information frame decoded as silence")
    parser.add_argument("--ffmpeg", action="store_true",
                        help="also decode with ffmpeg and report whether it agrees with mpg123")
    parser.add_argument("--cli", type=int, metavar="N", default=0,
                        help="convert every Nth stream with sonarel-cli and compare the WAVE "
                             "file with mpg123's")
    parser.add_argument("--random", type=float, metavar="MINUTES",
                        help="random LAME options and signals for MINUTES")
    parser.add_argument("--seed", type=int, help="seed of --random (default: from the clock)")
    parser.add_argument("--fixtures", default=DEFAULT_FIXTURES,
                        help="where --random keeps differing streams")
    parser.add_argument("--jobs", type=int, default=2, help="parallel workers (default 2)")
    return parser.parse_args(argv)


def missing_programs(args):
    missing = []
    for program in ("lame", "mpg123"):
        if shutil.which(program) is None:
            missing.append(f"{program} is not installed (scripts/setup.sh installs it)")
    if args.ffmpeg and shutil.which("ffmpeg") is None:
        missing.append("ffmpeg is not installed; scripts/setup.sh leaves it out as it is "
                       "large: apt-get install ffmpeg")
    if not os.access(args.bench, os.X_OK):
        missing.append(f"{args.bench} not found: build the project first")
    if args.cli and not os.access(args.cli_program, os.X_OK):
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
                      cli=snapshot(args.cli_program, work) if args.cli else "",
                      work=work, strict=args.strict, ffmpeg=args.ffmpeg)
    if args.random is not None:
        seed = args.seed if args.seed is not None else int(time.time()) % 100000
        ok = run_random(options, args.random, seed, args.jobs, os.path.abspath(args.fixtures))
    else:
        ok = run_matrix(cases, options, args.jobs, args.cli)
    return 0 if ok else 1


if __name__ == "__main__":
    sys.exit(main())
