// The MPEG audio framer: locking onto a stream, the bitrate history and format record,
// delivery of whole frames, and its failure results; on synthetic frame streams and on
// the LAME fixtures.
#include <gtest/gtest.h>

#include <memory>

#include "io/frame_stream.h"
#include "io/memory_source.h"
#include "io/mp3_framer.h"
#include "io/raw_file_reader.h"
#include "io/riff_wave_reader.h"
#include "support/test_paths.h"

namespace sonarel {
namespace {

using test::MemorySource;

using test::Bytes;
using test::Concat;
using test::Frame;
using test::Frames;
using test::k128;
using test::k160;

// The bytes delayed by `bits` zero bits (the last byte padded with zeros).
Bytes ShiftedRight(const Bytes& in, int bits) {
    Bytes out(in.size() + 1, 0);
    for (size_t i = 0; i < in.size(); ++i) {
        out[i] |= static_cast<uint8_t>(in[i] >> bits);
        out[i + 1] |= static_cast<uint8_t>(in[i] << (8 - bits));
    }
    return out;
}

// Everything the framer delivers until it reports the end (format changes counted).
struct Delivery {
    Bytes bytes;
    int changes = 0;
};

Delivery ReadAll(Mp3Framer& framer, int32_t chunk, bool want_changes) {
    Delivery d;
    Bytes buffer(static_cast<size_t>(chunk));
    for (int guard = 0; guard < 100000; ++guard) {
        int changed = 0;
        const int got = framer.Read(buffer.data(), chunk, want_changes ? &changed : nullptr);
        d.changes += changed;
        if (got < 0) {
            break;
        }
        d.bytes.insert(d.bytes.end(), buffer.begin(), buffer.begin() + got);
    }
    return d;
}

struct FramerOn {
    explicit FramerOn(Bytes bytes) : source(std::move(bytes)) { framer.Attach(&source, false); }
    MemorySource source;
    Mp3Framer framer;
};

TEST(FramerTest, ConstantBitrateOpensOnFourFramesAndDeliversThemFirst) {
    const Bytes stream = Frames({k128}, 10);
    FramerOn f(stream);
    ASSERT_EQ(f.framer.Open(), 0);
    EXPECT_EQ(f.framer.IsOpen(), 1);
    EXPECT_EQ(f.framer.SyncState(), 1);
    EXPECT_EQ(f.framer.AverageBitrate(), 128);
    const FrameInfo& info = f.framer.CurrentFrame();
    EXPECT_EQ(info.bit_position, 3u * 3336); // the fourth frame made the average known
    EXPECT_EQ(info.average_kbps, 128);
    EXPECT_EQ(info.format_changed, 0);

    const WaveFormatHolder* format = f.framer.GetFormat();
    ASSERT_NE(format, nullptr);
    EXPECT_EQ(format->Header().format_tag, kWaveFormatMpegLayer3);
    EXPECT_EQ(format->Header().samples_per_sec, 44100u);
    EXPECT_EQ(format->Header().channels, 2);
    EXPECT_EQ(format->Header().avg_bytes_per_sec, 16000u);
    EXPECT_EQ(format->Mp3Extension().block_size, 417);

    // Exactly the four frames are held: a read of that size needs no further input.
    const size_t consumed = f.source.Position();
    Bytes first(4 * 417);
    ASSERT_EQ(f.framer.Read(first.data(), 4 * 417, nullptr), 4 * 417);
    EXPECT_EQ(f.source.Position(), consumed);
    EXPECT_EQ(first, Bytes(stream.begin(), stream.begin() + 4 * 417));

    const Delivery rest = ReadAll(f.framer, 1000, true);
    EXPECT_EQ(Concat(first, rest.bytes), stream);
    EXPECT_EQ(rest.changes, 0);
}

TEST(FramerTest, FindsTheFirstFrameAfterLeadingZeros) {
    const Bytes frames = Frames({k128}, 5);
    FramerOn f(Concat(Bytes(100, 0), frames));
    ASSERT_EQ(f.framer.Open(), 0);
    EXPECT_EQ(f.framer.CurrentFrame().bit_position, 800u + 3 * 3336);
    EXPECT_EQ(ReadAll(f.framer, 4096, true).bytes, frames);
}

TEST(FramerTest, AHeaderNotFollowedByAFrameIsSkipped) {
    const Bytes real = Frames({k160}, 6);
    Bytes stream = Frame(k128);
    stream.insert(stream.end(), 50, 0x55); // no sync pattern in 0101...
    stream = Concat(stream, real);
    FramerOn f(stream);
    ASSERT_EQ(f.framer.Open(), 0);
    EXPECT_EQ(f.framer.AverageBitrate(), 160);
    EXPECT_EQ(ReadAll(f.framer, 4096, true).bytes, real);
}

TEST(FramerTest, ThreeFramesAreNotEnoughFourAre) {
    FramerOn three(Frames({k128}, 3));
    EXPECT_EQ(three.framer.Open(), kFramerEndOfInput);
    EXPECT_EQ(three.framer.IsOpen(), 0);
    EXPECT_EQ(three.framer.GetFormat(), nullptr);

    FramerOn four(Frames({k128}, 4));
    EXPECT_EQ(four.framer.Open(), 0);
    EXPECT_EQ(four.framer.AverageBitrate(), 128);
}

TEST(FramerTest, AlternatingBitratesAverageOverFourFrames) {
    FramerOn f(Frames({k128, k160}, 4));
    ASSERT_EQ(f.framer.Open(), 0);
    EXPECT_EQ(f.framer.AverageBitrate(), 144);
    ASSERT_NE(f.framer.GetFormat(), nullptr);
    EXPECT_EQ(f.framer.GetFormat()->Header().avg_bytes_per_sec, 18000u);
}

TEST(FramerTest, AverageThatNoRecordCanCarryIsRoundedForTheRecordOnly) {
    constexpr uint32_t k32 = test::kMpeg1Layer3 | 1u << 12;
    constexpr uint32_t k40 = test::kMpeg1Layer3 | 2u << 12;
    FramerOn f(Frames({k32, k32, k32, k40}, 2));
    ASSERT_EQ(f.framer.Open(), 0);
    EXPECT_EQ(f.framer.AverageBitrate(), 34);
    ASSERT_NE(f.framer.GetFormat(), nullptr);
    EXPECT_EQ(f.framer.GetFormat()->Header().avg_bytes_per_sec, 32u * 125);
}

TEST(FramerTest, EmptyAndTooShortInputsEndTheSearch) {
    FramerOn empty(Bytes{});
    EXPECT_EQ(empty.framer.Open(), kFramerEndOfInput);
    FramerOn header_only(Bytes{0xFF, 0xFB, 0x90});
    EXPECT_EQ(header_only.framer.Open(), kFramerEndOfInput);
}

TEST(FramerTest, InputWithoutFramesGivesUpAfterSixteenKilobytes) {
    FramerOn f(Bytes(20000, 0));
    EXPECT_EQ(f.framer.Open(), kFramerNoSync);
    EXPECT_LT(f.source.Position(), 16384u + 2048u);
    // Less than 16 KB of non-audio runs out of input first.
    FramerOn small(Bytes(10000, 0));
    EXPECT_EQ(small.framer.Open(), kFramerEndOfInput);
}

TEST(FramerTest, FrameAtAnOddBitOffsetComesOutByteAligned) {
    const Bytes frames = Frames({k128}, 5);
    FramerOn f(ShiftedRight(frames, 3));
    ASSERT_EQ(f.framer.Open(), 0);
    EXPECT_EQ(f.framer.CurrentFrame().bit_position, 3u + 3 * 3336);
    EXPECT_EQ(ReadAll(f.framer, 700, true).bytes, frames);
}

TEST(FramerTest, OpenFailures) {
    Mp3Framer alone;
    EXPECT_EQ(alone.Open(), kFramerNoSource);

    FramerOn refusing(Frames({k128}, 5));
    refusing.source.SetOpenResult(7);
    EXPECT_EQ(refusing.framer.Open(), 7);
    EXPECT_EQ(refusing.framer.IsOpen(), 0);
}

// 8 frames at 128 kbit/s, then 8 at 160: the average is known again with the fourth
// 160 frame (the twelfth frame), which carries the change and is dropped.
Bytes BitrateSwitch() {
    return Concat(Frames({k128}, 8), Frames({k160}, 8));
}

TEST(FramerTest, FormatChangeIsReportedOnceAndItsFrameDropped) {
    const Bytes stream = BitrateSwitch();
    FramerOn f(stream);
    ASSERT_EQ(f.framer.Open(), 0);
    const Delivery d = ReadAll(f.framer, 417, true);
    EXPECT_EQ(d.changes, 1);
    const size_t twelfth = 8 * 417 + 3 * 522;
    EXPECT_EQ(d.bytes.size(), stream.size() - 522);
    EXPECT_EQ(Bytes(d.bytes.begin(), d.bytes.begin() + twelfth),
              Bytes(stream.begin(), stream.begin() + twelfth));
    ASSERT_NE(f.framer.GetFormat(), nullptr);
    EXPECT_EQ(f.framer.GetFormat()->Header().avg_bytes_per_sec, 20000u);
}

TEST(FramerTest, BytesCopiedBeforeAChangeAreReturnedFirst) {
    const Bytes stream = BitrateSwitch();
    FramerOn f(stream);
    ASSERT_EQ(f.framer.Open(), 0);
    Bytes buffer(100000);
    int changed = 0;
    EXPECT_EQ(f.framer.Read(buffer.data(), 100000, &changed), 8 * 417 + 3 * 522);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(f.framer.Read(buffer.data(), 100000, &changed), 0);
    EXPECT_EQ(changed, 1);
    changed = 0;
    EXPECT_EQ(f.framer.Read(buffer.data(), 100000, &changed), 4 * 522);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(f.framer.Read(buffer.data(), 100000, &changed), -1);
}

TEST(FramerTest, WithoutAChangeFlagEveryFrameIsDelivered) {
    const Bytes stream = BitrateSwitch();
    FramerOn f(stream);
    ASSERT_EQ(f.framer.Open(), 0);
    EXPECT_EQ(ReadAll(f.framer, 4096, false).bytes, stream);
}

TEST(FramerTest, UndrainedFrameBufferOverflowsWithFrameTooLarge) {
    // Each reopen adds one frame to the buffer (the history is kept); nothing is read.
    FramerOn f(Frames({k128}, 200));
    ASSERT_EQ(f.framer.Open(), 0);
    int result = 0;
    int reopens = 0;
    while (result == 0 && reopens < 100) {
        f.framer.Close();
        result = f.framer.Open();
        ++reopens;
    }
    EXPECT_EQ(result, kFramerFrameTooLarge);
    EXPECT_EQ(4 + reopens - 1, Mp3Framer::kFrameBufferBytes / 417);
}

TEST(FramerTest, OwnedInnerSourceIsDeletedWithTheFramer) {
    struct Tracked : MemorySource {
        explicit Tracked(bool* deleted) : MemorySource(Frames({k128}, 5)), deleted_(deleted) {}
        ~Tracked() override { *deleted_ = true; }
        bool* deleted_;
    };
    bool deleted = false;
    {
        Mp3Framer framer;
        framer.Attach(new Tracked(&deleted), true);
        ASSERT_EQ(framer.Open(), 0);
    }
    EXPECT_TRUE(deleted);
}

// The committed LAME fixtures, through the real file readers.
struct Fixture {
    const char* name;
    uint16_t rate;
    uint16_t channels;
    uint16_t kbps; // 0: variable bitrate, not checked
};

void ExpectProbe(FileSource& reader, const Fixture& fx) {
    Mp3Framer framer;
    framer.Attach(&reader, false);
    ASSERT_EQ(framer.Open(), 0) << fx.name;
    const FrameInfo& info = framer.CurrentFrame();
    EXPECT_EQ(info.sample_rate, fx.rate) << fx.name;
    EXPECT_EQ(info.channels, fx.channels) << fx.name;
    EXPECT_EQ(info.layer, 3) << fx.name;
    if (fx.kbps != 0) {
        EXPECT_EQ(framer.AverageBitrate(), fx.kbps) << fx.name;
    }
    ASSERT_NE(framer.GetFormat(), nullptr) << fx.name;
    EXPECT_EQ(framer.GetFormat()->Header().samples_per_sec, fx.rate) << fx.name;
    EXPECT_EQ(framer.GetFormat()->Header().channels, fx.channels) << fx.name;
    // Every byte after the start of the first frame is frame data, so the frames
    // delivered add up to the rest of the payload.
    const size_t delivered = ReadAll(framer, 4608, false).bytes.size();
    EXPECT_GT(delivered, 0u);
    EXPECT_EQ(reader.GetPosition(), reader.GetSize()) << fx.name;
}

TEST(FramerFixtureTest, ProbesEveryRateModeCrcAndVbrFixture) {
    const Fixture fixtures[] = {
        {"cbr_8000_mono.mp3", 8000, 1, 24},      {"cbr_8000_stereo.mp3", 8000, 2, 24},
        {"cbr_11025_mono.mp3", 11025, 1, 32},    {"cbr_11025_stereo.mp3", 11025, 2, 32},
        {"cbr_12000_mono.mp3", 12000, 1, 32},    {"cbr_12000_stereo.mp3", 12000, 2, 32},
        {"cbr_16000_mono.mp3", 16000, 1, 48},    {"cbr_16000_stereo.mp3", 16000, 2, 48},
        {"cbr_22050_mono.mp3", 22050, 1, 64},    {"cbr_22050_stereo.mp3", 22050, 2, 64},
        {"cbr_24000_mono.mp3", 24000, 1, 64},    {"cbr_24000_stereo.mp3", 24000, 2, 64},
        {"cbr_32000_mono.mp3", 32000, 1, 96},    {"cbr_32000_stereo.mp3", 32000, 2, 96},
        {"cbr_44100_mono.mp3", 44100, 1, 128},   {"cbr_44100_stereo.mp3", 44100, 2, 128},
        {"cbr_48000_mono.mp3", 48000, 1, 128},   {"cbr_48000_stereo.mp3", 48000, 2, 128},
        {"crc_44100_stereo.mp3", 44100, 2, 128}, {"crc_22050_mono.mp3", 22050, 1, 48},
        {"vbr_44100_stereo.mp3", 44100, 2, 0},   {"vbr_16000_mono.mp3", 16000, 1, 0},
    };
    for (const Fixture& fx : fixtures) {
        RawFileReader reader((test::FixturesDir() / "mp3" / fx.name).string());
        ExpectProbe(reader, fx);
    }
}

TEST(FramerFixtureTest, VariableBitrateStartGetsARecordAnyway) {
    // Its first four frames run at 64, 64, 80 and 24 kbit/s.
    RawFileReader reader((test::FixturesDir() / "mp3" / "vbr_16000_mono.mp3").string());
    Mp3Framer framer;
    framer.Attach(&reader, false);
    ASSERT_EQ(framer.Open(), 0);
    EXPECT_EQ(framer.AverageBitrate(), 58);
    ASSERT_NE(framer.GetFormat(), nullptr);
    EXPECT_EQ(framer.GetFormat()->Header().avg_bytes_per_sec, 56u * 125);
}

TEST(FramerFixtureTest, ProbesMp3InsideRiffWave) {
    RiffWaveReader reader((test::FixturesDir() / "mp3" / "riff_mp3_22050_stereo.wav").string());
    ExpectProbe(reader, {"riff_mp3_22050_stereo.wav", 22050, 2, 64});
}

TEST(FramerFixtureTest, ProbesFilesThatStartWithLargeId3v2Tags) {
    for (const char* name : {"id3v2_300k.mp3", "id3v2_footer.mp3"}) {
        RawFileReader reader((test::FixturesDir() / "mp3" / name).string());
        ExpectProbe(reader, {name, 44100, 2, 128});
    }
}

} // namespace
} // namespace sonarel
