// Streams through the public decoder. The push interface on the committed encoder fixtures:
// pieces of any size, every rate, the end, Reset, and the encoder's information frame. (A
// too-small output buffer: the decoder's fuzz target, whose seeds the fuzz replay test runs,
// offers one now and then.) Damaged, cut and foreign input: whole frames only, damage spoils
// only its own frames, and the synchronisation finds every real frame.
#include "decode_helpers.h"
#include "mp3/encoder_info.h"
#include "mp3/frame_header.h"
#include "support/byte_strings.h"
#include "support/test_paths.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace sonarel::test {
namespace {

// Every fixture (named kind_rate_channels.mp3), fed in pieces of any size, decodes to whole
// frames of the size its rate and channels give; the information frame in front (all but
// crc_22050_mono) is skipped, and the frames decoded are the ones it counts. (The output
// options: the conformance streams and the decoder's fuzz seeds.)
TEST(Stream, EveryFixtureGivesTheFramesItsInformationFrameCounts) {
    std::vector<std::string> names = {"crc_22050_mono.mp3", "crc_44100_stereo.mp3",
                                      "vbr_16000_mono.mp3", "vbr_44100_stereo.mp3"};
    for (int rate : {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000}) {
        names.push_back("cbr_" + std::to_string(rate) + "_mono.mp3");
        names.push_back("cbr_" + std::to_string(rate) + "_stereo.mp3");
    }
    for (const std::string& name : names) {
        const std::vector<uint8_t> stream = LoadFixture(name);
        const int samples = std::stoi(name.substr(4)) >= 32000 ? 1152 : 576;
        const int channels = name.find("mono") != std::string::npos ? 1 : 2;
        std::mt19937 rng(static_cast<unsigned>(stream.size()));
        SCOPED_TRACE(name);
        mp3::Mp3Decoder decoder;
        const DecodedStream decoded = DecodeStream(decoder, stream, [] { return 3000; });
        ASSERT_FALSE(decoded.hung);
        EXPECT_EQ(decoded.frame_bytes,
                  std::vector<int>(decoded.frame_bytes.size(), samples * channels * 2));
        EXPECT_EQ(decoded.frame_statuses,
                  std::vector<mp3::Mp3Status>(decoded.frame_statuses.size(), mp3::MP3_OK));
        for (const ChunkSizer& sizer :
             {ChunkSizer([] { return 1; }), ChunkSizer([&rng] { return 1 + int(rng() % 5000); })}) {
            mp3::Mp3Decoder other;
            const DecodedStream again = DecodeStream(other, stream, sizer);
            EXPECT_EQ(again.frame_statuses, decoded.frame_statuses);
            EXPECT_TRUE(again.pcm == decoded.pcm);
        }
        const mp3::EncoderInfo& info = decoder.GetEncoderInfo();
        ASSERT_EQ(info.present, name != "crc_22050_mono.mp3");
        EXPECT_TRUE(!info.present || decoded.frame_statuses.size() == info.frame_count);
        EXPECT_TRUE(!info.present || info.encoder_delay == 576);
        decoder.Reset();
        EXPECT_FALSE(decoder.GetEncoderInfo().present);
    }
}

// The Xing fields that the flags announce (frames 1, bytes 2, table 4, quality 8) come in that
// order, each only when announced, and the LAME extension's delay and padding follow the last
// one; other encoders write fewer fields than LAME, which always sets all four. A frame with a
// CRC word may hold the fields where they would be without it. VBRI sits at a fixed place.
TEST(Stream, InformationFrameFieldsFollowTheirFlags) {
    const struct {
        const char* tag;
        uint32_t flags;
        bool crc;
        uint32_t frames, bytes;
    } cases[] = {{"Xing", 15, false, 7, 900}, {"Info", 1, false, 7, 0},
                 {"Xing", 2, false, 0, 900},  {"Xing", 12, false, 0, 0},
                 {"Xing", 3, true, 7, 900},   {"VBRI", 0, false, 7, 900}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.tag) + " flags " + std::to_string(c.flags));
        std::vector<uint8_t> frame = {0xFF, uint8_t(c.crc ? 0xFA : 0xFB), 0x90, 0x44};
        frame.resize(c.tag[0] == 'V' ? 36 : 36 + (c.crc ? 2 : 0), 0);
        frame = frame + Text(c.tag);
        if (c.tag[0] == 'V') {
            frame.resize(frame.size() + 6, 0); // version, delay, quality
            frame = frame + BigEndian32(c.bytes) + BigEndian32(c.frames);
        } else {
            frame = frame + BigEndian32(c.flags);
            for (uint32_t flag : {1u, 2u}) {
                if ((c.flags & flag) != 0) {
                    frame = frame + BigEndian32(flag == 1 ? c.frames : c.bytes);
                }
            }
            frame.resize(frame.size() + ((c.flags & 4) != 0 ? 100 : 0) +
                         ((c.flags & 8) != 0 ? 4 : 0));
            frame = frame + Text("LAME3.100");
            frame.resize(frame.size() + 12, 0);
            frame.insert(frame.end(), {0x24, 0x01, 0x23}); // delay 576, padding 291
        }
        frame.resize(417, 0);
        const mp3::EncoderInfo info = mp3::ParseEncoderInfo(frame.data(), int(frame.size()));
        EXPECT_TRUE(info.present);
        EXPECT_EQ(info.frame_count, c.frames);
        EXPECT_EQ(info.byte_count, c.bytes);
        EXPECT_EQ(info.has_gapless, c.tag[0] != 'V');
        EXPECT_EQ(info.encoder_delay, c.tag[0] != 'V' ? 576 : 0);
        EXPECT_EQ(info.encoder_padding, c.tag[0] != 'V' ? 291 : 0);
    }
}

// An output one byte short of a frame takes nothing and leaves the frame for the next call;
// Reset in the middle of one stream forgets all of it. (The end stays until Reset, and Reset
// after the end forgets it: the decoder's fuzz target checks both on every input.)
TEST(Stream, TooSmallAnOutputLeavesTheFrameAndResetForgetsEverything) {
    const std::vector<uint8_t> a = LoadFixture("vbr_44100_stereo.mp3");
    const std::vector<uint8_t> b = LoadFixture("cbr_44100_stereo.mp3");
    mp3::Mp3Decoder decoder;
    std::vector<uint8_t> out(4608, 0xAA);
    int produced = -1;
    size_t offset = size_t(decoder.Feed(b.data(), 4000));
    EXPECT_EQ(decoder.DecodeFrame(out.data(), 4607, &produced), mp3::MP3_E_OUTPUT_TOO_SMALL);
    EXPECT_EQ(produced, 0);
    EXPECT_EQ(out, std::vector<uint8_t>(4608, 0xAA)) << "nothing is written";
    EXPECT_TRUE(mp3::ProducedPcm(decoder.DecodeFrame(out.data(), 4608)));
    for (int call = 0; call < 12; ++call) {
        offset += size_t(decoder.Feed(b.data() + offset, 1000));
        decoder.DecodeFrame(out.data(), 4608);
    }
    ASSERT_LT(offset, b.size()) << "the reset must come in the middle of the stream";
    decoder.Reset();
    const DecodedStream again = DecodeStream(decoder, a, [] { return 2048; });
    const DecodedStream fresh = DecodeStream(a);
    EXPECT_EQ(again.frame_statuses, fresh.frame_statuses);
    EXPECT_TRUE(again.pcm == fresh.pcm);
}

// Byte offsets of the frames of a stream that starts with one and holds nothing else.
std::vector<size_t> FrameOffsets(const std::vector<uint8_t>& s) {
    std::vector<size_t> offsets;
    mp3::FrameHeader header;
    for (size_t at = 0; at + 4 <= s.size() && header.Parse(uint32_t{s[at]} << 24 | s[at + 1] << 16 |
                                                           s[at + 2] << 8 | s[at + 3]);
         at += size_t(header.frame_bits / 8)) {
        offsets.push_back(at);
    }
    return offsets;
}

double Rms(const std::vector<uint8_t>& pcm, size_t first_byte, size_t bytes) {
    double sum = 0;
    for (int16_t s :
         AsSamples({pcm.begin() + long(first_byte), pcm.begin() + long(first_byte + bytes)})) {
        sum += double(s) * s;
    }
    return std::sqrt(sum / double(bytes / 2));
}

// A side-information bit flipped in frames 12 and 13: those two fail their CRC and are
// concealed at full length with noise shaped like the recent past. Their main data still
// went into the reservoir, so the frames after them, which refer back into it, decode as
// usual, and one frame later overlap and synthesis history are clean again.
TEST(Damage, FramesFailingTheirCrcSpoilOnlyThemselves) {
    const std::vector<uint8_t> clean_stream = LoadFixture("crc_44100_stereo.mp3");
    std::vector<size_t> offsets = FrameOffsets(clean_stream);
    ASSERT_GT(offsets.size(), 30u);
    offsets.erase(offsets.begin()); // the encoder's information frame: not audio
    std::vector<uint8_t> damaged_stream = clean_stream;
    for (size_t frame : {12, 13}) {
        damaged_stream[offsets[frame] + 6 + 3] ^= 0x10;
    }
    const DecodedStream clean = DecodeStream(clean_stream);
    const DecodedStream damaged = DecodeStream(damaged_stream);
    ASSERT_EQ(clean.frame_statuses, std::vector<mp3::Mp3Status>(offsets.size(), mp3::MP3_OK));
    std::vector<mp3::Mp3Status> expected(offsets.size(), mp3::MP3_OK);
    expected[12] = expected[13] = mp3::MP3_I_CRC_CONCEALED;
    EXPECT_EQ(damaged.frame_statuses, expected);
    ASSERT_EQ(damaged.pcm.size(), clean.pcm.size());
    const long before = 12 * 4608, after = 15 * 4608;
    EXPECT_TRUE(std::equal(damaged.pcm.begin(), damaged.pcm.begin() + before, clean.pcm.begin()));
    EXPECT_TRUE(
        std::equal(damaged.pcm.begin() + after, damaged.pcm.end(), clean.pcm.begin() + after));
    const double clean_rms = Rms(clean.pcm, before, 2 * 4608);
    const double concealed_rms = Rms(damaged.pcm, before, 2 * 4608);
    EXPECT_GT(concealed_rms, 0.25 * clean_rms);
    EXPECT_LT(concealed_rms, 4.0 * clean_rms);
}

// Every PCM-producing call gave one whole frame, every other call said why not, and the
// decoder did not hang.
void ExpectWholeFrames(const DecodedStream& decoded) {
    ASSERT_FALSE(decoded.hung);
    for (int bytes : decoded.frame_bytes) {
        EXPECT_TRUE(bytes == 4608 || bytes == 2304 || bytes == 1152) << bytes;
    }
    ASSERT_FALSE(decoded.other_statuses.empty());
    EXPECT_EQ(decoded.other_statuses.back(), mp3::MP3_W_END);
    for (mp3::Mp3Status status : decoded.other_statuses) {
        EXPECT_EQ(mp3::Severity(status), 2u) << std::hex << status;
    }
}

// Streams with random bytes overwritten, cut short, or with pieces missing: the sanitiser
// builds check that no stage reads or writes outside its buffers.
TEST(Damage, DamagedStreamsGiveWholeFramesOnly) {
    std::vector<std::filesystem::path> sources;
    if (!VectorsDir().empty()) {
        for (const char* name : {"l3-compl.bit", "l3-he_mode.bit", "M2L3_compl24.bit",
                                 "l3-si_block.bit", "l3-test45.bit"}) {
            sources.push_back(VectorsDir() / name);
        }
    }
    for (const char* name :
         {"cbr_8000_stereo.mp3", "crc_44100_stereo.mp3", "vbr_44100_stereo.mp3"}) {
        sources.push_back(FixturesDir() / "mp3" / name);
    }
    std::mt19937 rng(77);
    for (const auto& source : sources) {
        const std::vector<uint8_t> clean = ReadFileBytes(source);
        for (int variant = 0; variant < 6; ++variant) {
            std::vector<uint8_t> bytes = clean;
            for (size_t i = 0, damage = 1 + rng() % (bytes.size() / 50 + 1); i < damage; ++i) {
                bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
            }
            if (variant % 3 == 1) {
                const size_t at = rng() % bytes.size();
                bytes.erase(bytes.begin() + long(at),
                            bytes.begin() + long(std::min(bytes.size(), at + rng() % 3000)));
            } else if (variant % 3 == 2) {
                bytes.resize(rng() % bytes.size());
            }
            SCOPED_TRACE(source.filename().string() + " variant " + std::to_string(variant));
            ExpectWholeFrames(DecodeStream(bytes));
        }
    }
}

// A silent frame (all side information zero) of `bytes` bytes; with a CRC word when the
// header asks for one, computed bit by bit over the last 16 header bits and the 32 bytes
// of two-channel side information.
std::vector<uint8_t> Frame(uint32_t header, size_t bytes = 417) {
    std::vector<uint8_t> frame(bytes, 0);
    for (int i = 0; i < 4; ++i) {
        frame[size_t(i)] = uint8_t(header >> (24 - 8 * i));
    }
    if ((header & 0x10000) == 0) {
        uint16_t crc = 0xFFFF;
        for (int i = 16; i < 48 + 256; i += i == 31 ? 17 : 1) {
            const int bit = frame[size_t(i / 8)] >> (7 - i % 8) & 1;
            crc = uint16_t(crc << 1 ^ (((crc >> 15) ^ bit) & 1 ? 0x8005 : 0));
        }
        frame[4] = uint8_t(crc >> 8);
        frame[5] = uint8_t(crc);
    }
    return frame;
}

std::vector<uint8_t> operator*(int times, const std::vector<uint8_t>& frame) {
    std::vector<uint8_t> all;
    for (int i = 0; i < times; ++i) {
        all = all + frame;
    }
    return all;
}

// Synthetic streams of silent frames, all fed at once: the statuses of the calls until
// the end, one letter each (O frame, C concealed, L sync lost, S searching, N need more,
// E end). Without `end_at_once` the end of input is announced at the first call that
// waits for more.
TEST(Damage, SynchronisationFindsEveryRealFrame) {
    const std::vector<uint8_t> k128 = Frame(0xFFFB9000), k64 = Frame(0xFFFB5000, 208),
                               k48kHz = Frame(0xFFFB9400, 384), crc = Frame(0xFFFA9000);
    std::vector<uint8_t> tag(128, 0x20);
    std::copy_n("TAG", 3, tag.begin());
    // Junk that begins with a copy of the stream's header looks like a frame; with a CRC
    // word that fails and no header after it, it is not one, and the real frame that
    // starts inside it is found.
    std::vector<uint8_t> junk(150, 0x5A);
    std::copy_n(crc.begin(), 4, junk.begin());
    // A frame failing its CRC, with junk after it and a header copy inside it that nothing
    // confirms, is a frame.
    std::vector<uint8_t> damaged = crc;
    damaged[6] ^= 0x80;
    std::copy_n(crc.begin(), 4, damaged.begin() + 200);
    std::vector<uint8_t> shifted(3 * 417 + 1, 0); // three bits late
    for (size_t i = 0; i < 3 * 417; ++i) {
        shifted[i] |= uint8_t(k128[i % 417] >> 3);
        shifted[i + 1] |= uint8_t(k128[i % 417] << 5);
    }
    const struct Case {
        const char* what;
        std::vector<uint8_t> stream;
        bool end_at_once;
        const char* statuses;
    } cases[] = {
        {"a lone frame ending the input", k128, false, "SOE"},
        {"a lone frame before junk", k128 + std::vector<uint8_t>(40, 0x55), true, "E"},
        {"the last frame ending the data", 2 * k128, false, "OONE"},
        {"a locked frame before a trailer", 2 * k128 + tag, true, "OOLE"},
        {"a short tail", 2 * k128 + std::vector<uint8_t>{0xFF, 0xFB, 0x90}, false, "ONOE"},
        {"junk with a copied header", crc + junk + 2 * crc, true, "OLOOE"},
        {"a damaged frame holding a header copy", crc + damaged + tag + 2 * crc, true, "OCLOOE"},
        {"bit rate changes", 2 * (k128 + k64), true, "OOOOE"},
        {"a sample rate change", 2 * k128 + 3 * k48kHz, true, "OOLOOOE"},
        {"an odd bit offset", shifted, true, "OOOE"},
        {"garbage in front", std::vector<uint8_t>(333, 0xFF) + 2 * k128, true, "OOE"},
        {"Layer I and II frames", 3 * (Frame(0xFFFF9000, 400) + Frame(0xFFFD9000, 400)), true, "E"},
        {"free format", 5 * Frame(0xFFFB0000), true, "E"},
    };
    const std::string letters = "OCRSLNE";
    const mp3::Mp3Status statuses[] = {
        mp3::MP3_OK,          mp3::MP3_I_CRC_CONCEALED, mp3::MP3_I_RESERVOIR_CONCEALED,
        mp3::MP3_W_SEARCHING, mp3::MP3_W_SYNC_LOST,     mp3::MP3_W_NEED_MORE,
        mp3::MP3_W_END};
    for (const Case& c : cases) {
        mp3::Mp3Decoder decoder;
        ASSERT_EQ(decoder.Feed(c.stream.data(), int(c.stream.size())), int(c.stream.size()));
        if (c.end_at_once) {
            decoder.SetEndOfInput();
        }
        std::string got;
        std::vector<uint8_t> out(4608);
        for (int i = 0; i < 20 && !decoder.IsFinished(); ++i) {
            const auto status = std::find(std::begin(statuses), std::end(statuses),
                                          decoder.DecodeFrame(out.data(), 4608));
            got += status == std::end(statuses) ? '?' : letters[size_t(status - statuses)];
            if (got.back() == 'S' || got.back() == 'N') {
                decoder.SetEndOfInput();
            }
        }
        EXPECT_EQ(got, c.statuses) << c.what;
    }
}

} // namespace
} // namespace sonarel::test
