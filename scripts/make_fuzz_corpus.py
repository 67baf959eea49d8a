#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets into fuzz/corpus/<target>/.

Seeds are small cuts of the project's fixtures (tests/fixtures) and, when the conformance
streams are present beside the checkout (../shared/vectors), of a few of those, with the
control bytes each target reads from the front of its input. Run it again after the
fixtures change; it replaces the folders it writes.
"""
import hashlib
import pathlib
import shutil
import struct

ROOT = pathlib.Path(__file__).resolve().parent.parent
FIXTURES = ROOT / "tests" / "fixtures"
VECTORS = ROOT.parent / "shared" / "vectors"
CORPUS = ROOT / "fuzz" / "corpus"

# Cuts stay small: the mutations, not the seed length, find the faults.
CUT = 3000

MP3_FIXTURES = [
    "cbr_8000_mono.mp3", "cbr_11025_stereo.mp3", "cbr_16000_mono.mp3",
    "cbr_22050_stereo.mp3", "cbr_24000_mono.mp3", "cbr_32000_stereo.mp3",
    "cbr_44100_stereo.mp3", "cbr_48000_mono.mp3", "crc_22050_mono.mp3",
    "crc_44100_stereo.mp3", "vbr_16000_mono.mp3", "vbr_44100_stereo.mp3",
]
VECTOR_CUTS = [
    "l3-compl.bit", "l3-si_block.bit", "l3-si_huff.bit", "l3-he_mode.bit",
    "l3-nonstandard-big-iscf.bit", "M2L3_compl24.bit", "M2L3_noise.bit",
    "l3-nonstandard-sideinfo-size.bit", "l3-nonstandard-vbrtag-oob-read.bit",
]

# Decoder control bytes: options, piece-size seed (2 bytes), largest piece exponent.
DECODER_CONTROLS = [
    bytes([0x00, 0x01, 0x00, 11]),  # full rate, pieces up to 2048 bytes
    bytes([0x85, 0x2A, 0x17, 4]),   # half rate, 8-bit, tiny pieces, decoded twice
    bytes([0x1A, 0x33, 0x05, 13]),  # quarter rate, mono, undersized buffers
    bytes([0x0C, 0x90, 0x61, 0]),   # 8-bit mono, one byte at a time
]
# Framer control bytes: piece exponent and flags, read-size seed (2 bytes).
FRAMER_CONTROLS = [bytes([0x0B, 0x01, 0x00]), bytes([0x13, 0x77, 0x31])]

COMMAND_LINES = [
    ["-auto", "-input=a.mp3", "-output=b.wav"],
    ["a.mp3", "b.wav", "c.wav"],
    ["-output=x.wav", "a.mp3"],
    ["--OVERWRITE", "-NoBeep", "-exit=1", "/no/such/dir/a.mp3"],
    ["-inputfile=x.mp3", "-output", "-yes", "-h"],
    ["-automatic", "-input=", ".", "..", "/"],
]
PATHS = [
    ("C:\\Music\\Rock\\a.mp3", "wav", "C:\\Work"),
    ("\\\\srv\\pub\\dir\\f.mp3", "D:\\out", "/home/user"),
    ("C:\\my.dir\\file", ".wav", ""),
    ("/home/user/.profile", "song_1.wav", "/tmp"),
    ("a.b.mp3", "C:", "/"),
    ("D:\\in\\song.wav", "C:\\Out.old", "C:\\"),
    ("music//x/../y.MP3", "..", "/srv/a b"),
]


def reset(target):
    folder = CORPUS / target
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    return folder


def put(folder, data):
    name = hashlib.sha1(data).hexdigest()[:16]
    (folder / name).write_bytes(data)


def streams():
    for name in MP3_FIXTURES:
        yield (FIXTURES / "mp3" / name).read_bytes()[:CUT]
    if VECTORS.is_dir():
        for name in VECTOR_CUTS:
            path = VECTORS / name
            if path.exists():
                yield path.read_bytes()[:CUT]


def riff(form, chunks):
    body = form + b"".join(cid + struct.pack("<I", len(data)) + data + b"\0" * (len(data) & 1)
                           for cid, data in chunks)
    return b"RIFF" + struct.pack("<I", len(body)) + body


def main():
    cuts = list(streams())

    folder = reset("decoder")
    for i, stream in enumerate(cuts):
        put(folder, DECODER_CONTROLS[i % len(DECODER_CONTROLS)] + stream)
    put(folder, DECODER_CONTROLS[0] + b"\xff" * 600)

    folder = reset("framer")
    for i, stream in enumerate(cuts):
        put(folder, FRAMER_CONTROLS[i % len(FRAMER_CONTROLS)] + stream)
    put(folder, FRAMER_CONTROLS[0] + b"\0" * 100 + cuts[0])

    folder = reset("wave_reader")
    for path in sorted((FIXTURES / "wave").glob("*.wav")):
        put(folder, path.read_bytes()[:CUT])
    put(folder, (FIXTURES / "mp3" / "riff_mp3_22050_stereo.wav").read_bytes()[:CUT])
    put(folder, (FIXTURES / "mp3" / "id3v2_footer.mp3").read_bytes()[:CUT])
    mp3_format = struct.pack("<HHIIHHHHIHHH", 0x55, 2, 44100, 16000, 1, 0, 12, 1, 2, 417, 1, 0)
    put(folder, riff(b"WAVE", [(b"fmt ", mp3_format), (b"fact", b"\0" * 4),
                               (b"data", cuts[6][:800])]))

    folder = reset("command_line")
    for args in COMMAND_LINES:
        put(folder, b"\0".join(a.encode() for a in args))

    folder = reset("path_name")
    for path, argument, current in PATHS:
        put(folder, b"\0".join(s.encode() for s in (path, argument, current)))


if __name__ == "__main__":
    main()
