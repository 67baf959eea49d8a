// The MPEG audio framer: locking onto a stream, the bitrate history and format record,
// delivery of whole frames, and its failure results; on synthetic frame streams and on
// the encoder fixtures.
#include "io/frame_stream.h"
#include "io/memory_source.h"
#include "io/mp3_framer.h"
#include "io/raw_file_reader.h"
#include "io/riff_wave_reader.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>
#include <string>

namespace sonarel {
namespace {

using test::Bytes;
using test::Concat;
using test::Frame;
using test::Frames;
using test::k128;
using test::k160;
using test::MemorySource;

// Everything the framer delivers until it reports the end (format changes counted).
struct Delivery {
    Bytes bytes;
    int changes = 0;
};

Delivery ReadAll(Mp3Framer& framer, int32_t chunk, bool want_changes) {
    Delivery d;
    Bytes buffer(static_cast<size_t>(chunk));
    for (int got = 0; got >= 0;) {
        int changed = 0;
        got = framer.Read(buffer.data(), chunk, want_changes ? &changed : nullptr);
        d.changes += changed;
        d.bytes.insert(d.bytes.end(), buffer.begin(), buffer.begin() + std::max(got, 0));
    }
    return d;
}

struct FramerOn {
    explicit FramerOn(Bytes bytes) : source(std::move(bytes)) { framer.Attach(&source, false); }
    MemorySource source;
    Mp3Framer framer;
};

// The bytes delayed by three zero bits (the last byte padded with zeros).
Bytes ShiftedByThreeBits(const Bytes& in) {
    Bytes out(in.size() + 1, 0);
    for (size_t i = 0; i < in.size(); ++i) {
        out[i] |= static_cast<uint8_t>(in[i] >> 3);
        out[i + 1] |= static_cast<uint8_t>(in[i] << 5);
    }
    return out;
}

TEST(Framer, OpensOnFourConfirmedFramesAndDeliversTheFramesOnly) {
    constexpr uint32_t k32 = test::kMpeg1Layer3 | 1u << 12;
    constexpr uint32_t k40 = test::kMpeg1Layer3 | 2u << 12;
    const Bytes five = Frames({k128}, 5);
    const struct Case {
        const char* what;
        Bytes stream;
        int result;
        int kbps = 0;               // the average of the first four frames
        uint32_t bytes_per_sec = 0; // in the format record: a bitrate a record can carry
        uint64_t bit_position = 0;  // of the fourth frame
        size_t held = 0;            // bytes of the four frames
        Bytes frames = {};          // delivered
    } cases[] = {
        {"constant bitrate", Frames({k128}, 10), 0, 128, 16000, 3 * 3336, 1668, Frames({k128}, 10)},
        {"leading zeros", Concat(Bytes(100, 0), five), 0, 128, 16000, 800 + 3 * 3336, 1668, five},
        {"a header not followed by a frame",
         Concat(Concat(Frame(k128), Bytes(50, 0x55)), Frames({k160}, 6)), 0, 160, 20000,
         8 * (417 + 50) + 3 * 4176, 2088, Frames({k160}, 6)},
        {"four frames", Frames({k128}, 4), 0, 128, 16000, 3 * 3336, 1668, Frames({k128}, 4)},
        {"alternating bitrates", Frames({k128, k160}, 4), 0, 144, 18000, 3336 + 4176 + 3336, 1878,
         Frames({k128, k160}, 4)},
        {"an average no record carries", Frames({k32, k32, k32, k40}, 2), 0, 34, 4000, 3 * 832, 442,
         Frames({k32, k32, k32, k40}, 2)},
        {"an odd bit offset", ShiftedByThreeBits(five), 0, 128, 16000, 3 + 3 * 3336, 1668, five},
        {"three frames", Frames({k128}, 3), kFramerEndOfInput},
        {"empty", Bytes{}, kFramerEndOfInput},
        {"a header only", Bytes{0xFF, 0xFB, 0x90}, kFramerEndOfInput},
        {"less than 16 KB of non-audio", Bytes(10000, 0), kFramerEndOfInput},
        {"more than 16 KB of non-audio", Bytes(20000, 0), kFramerNoSync},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FramerOn f(c.stream);
        ASSERT_EQ(f.framer.Open(), c.result);
        EXPECT_EQ(f.framer.IsOpen(), c.result == 0 ? 1 : 0);
        if (c.result != 0) {
            EXPECT_EQ(f.framer.GetFormat(), nullptr);
            EXPECT_LT(f.source.Position(), 16384u + 2048u);
            continue;
        }
        EXPECT_EQ(f.framer.AverageBitrate(), c.kbps);
        EXPECT_EQ(f.framer.CurrentFrame().bit_position, c.bit_position);
        const WaveFormatHolder* format = f.framer.GetFormat();
        ASSERT_NE(format, nullptr);
        EXPECT_EQ(format->Header().format_tag, kWaveFormatMpegLayer3);
        EXPECT_EQ(format->Header().avg_bytes_per_sec, c.bytes_per_sec);
        // The frames that opened it are held: reading them needs no further input.
        const size_t consumed = f.source.Position();
        Bytes start(c.held);
        ASSERT_EQ(f.framer.Read(start.data(), int32_t(c.held), nullptr), int(c.held));
        EXPECT_EQ(f.source.Position(), consumed);
        const Delivery rest = ReadAll(f.framer, 700, true);
        EXPECT_EQ(Concat(start, rest.bytes), c.frames);
        EXPECT_EQ(rest.changes, 0);
    }
}

// 8 frames at 128 kbit/s, then 8 at 160: the average is known again with the fourth
// 160 frame (the twelfth frame), which carries the change and is dropped; the bytes
// copied before it come first. Without a change flag every frame is delivered.
TEST(Framer, AFormatChangeIsReportedOnceAndItsFrameDropped) {
    const Bytes stream = Concat(Frames({k128}, 8), Frames({k160}, 8));
    FramerOn f(stream);
    ASSERT_EQ(f.framer.Open(), 0);
    Bytes buffer(100000);
    int changed = 0;
    EXPECT_EQ(f.framer.Read(buffer.data(), 100000, &changed), 8 * 417 + 3 * 522);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(f.framer.CurrentFrame().format_changed, 1); // reported with the next call
    EXPECT_EQ(f.framer.Read(buffer.data(), 100000, &changed), 0);
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(f.framer.GetFormat()->Header().avg_bytes_per_sec, 20000u);
    changed = 0;
    EXPECT_EQ(f.framer.Read(buffer.data(), 100000, &changed), 4 * 522);
    EXPECT_EQ(changed, 0);
    EXPECT_EQ(f.framer.Read(buffer.data(), 100000, &changed), -1);

    FramerOn unflagged(stream);
    ASSERT_EQ(unflagged.framer.Open(), 0);
    EXPECT_EQ(ReadAll(unflagged.framer, 4096, false).bytes, stream);
}

TEST(Framer, FailuresOfItsSourceAndBuffer) {
    Mp3Framer alone;
    EXPECT_EQ(alone.Open(), kFramerNoSource);

    // A source its owner opened stays open when a filter on it closes; one the framer
    // opened is closed with it, and a failure to open is passed on.
    struct Pass : FilterStream {
        int Read(uint8_t*, int32_t, int*) override { return 0; }
    };
    MemorySource opened(Frames({k128}, 5));
    opened.Open();
    Pass borrowing;
    borrowing.Attach(&opened, false);
    ASSERT_EQ(borrowing.Open(), 0);
    EXPECT_EQ(borrowing.IsOpen(), 1);
    borrowing.Close();
    EXPECT_EQ(opened.IsOpen(), 1);
    FramerOn opening(Frames({k128}, 5));
    ASSERT_EQ(opening.framer.Open(), 0);
    opening.framer.Close();
    EXPECT_EQ(opening.source.IsOpen(), 0);
    FramerOn refusing(Frames({k128}, 5));
    refusing.source.SetOpenResult(7);
    EXPECT_EQ(refusing.framer.Open(), 7);

    // Each reopen adds one frame to the buffer (the history is kept); nothing is read.
    FramerOn undrained(Frames({k128}, 200));
    ASSERT_EQ(undrained.framer.Open(), 0);
    int result = 0;
    int reopens = 0;
    while (result == 0 && reopens < 100) {
        undrained.framer.Close();
        result = undrained.framer.Open();
        ++reopens;
    }
    EXPECT_EQ(result, kFramerFrameTooLarge);
    EXPECT_EQ(4 + reopens - 1, Mp3Framer::kFrameBufferBytes / 417);

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
    EXPECT_TRUE(deleted) << "an owned source is deleted with the framer";
}

// The committed encoder fixtures through the real file readers: every byte after the
// start of the first frame is frame data, so the reader ends up at its end.
TEST(Framer, ProbesEveryFixture) {
    struct Fixture {
        std::string name;
        uint16_t rate;
        uint16_t channels;
        uint16_t kbps;            // 0: not checked
        uint16_t record_kbps = 0; // in the format record, when other than kbps
    };
    std::vector<Fixture> fixtures = {
        {"crc_44100_stereo.mp3", 44100, 2, 128},  {"crc_22050_mono.mp3", 22050, 1, 48},
        {"vbr_16000_mono.mp3", 16000, 1, 58, 56}, // frames of 64, 64, 80 and 24 kbit/s
        {"vbr_44100_stereo.mp3", 44100, 2, 0},    {"id3v2_300k.mp3", 44100, 2, 128},
        {"id3v2_footer.mp3", 44100, 2, 128},      {"riff_mp3_22050_stereo.wav", 22050, 2, 64}};
    for (auto [rate, kbps] : {std::pair{8000, 24},
                              {11025, 32},
                              {12000, 32},
                              {16000, 48},
                              {22050, 64},
                              {24000, 64},
                              {32000, 96},
                              {44100, 128},
                              {48000, 128}}) {
        for (uint16_t channels : {1, 2}) {
            fixtures.push_back(
                {"cbr_" + std::to_string(rate) + (channels == 1 ? "_mono.mp3" : "_stereo.mp3"),
                 uint16_t(rate), channels, uint16_t(kbps)});
        }
    }
    for (const Fixture& fx : fixtures) {
        SCOPED_TRACE(fx.name);
        const std::string path = (test::FixturesDir() / "mp3" / fx.name).string();
        RawFileReader raw(path);
        RiffWaveReader riff(path);
        FileSource& reader = fx.name.ends_with(".wav") ? static_cast<FileSource&>(riff) : raw;
        Mp3Framer framer;
        framer.Attach(&reader, false);
        ASSERT_EQ(framer.Open(), 0);
        EXPECT_EQ(framer.CurrentFrame().layer, 3);
        ASSERT_NE(framer.GetFormat(), nullptr);
        EXPECT_EQ(framer.GetFormat()->Header().samples_per_sec, fx.rate);
        EXPECT_EQ(framer.GetFormat()->Header().channels, fx.channels);
        if (fx.kbps != 0) {
            EXPECT_EQ(framer.AverageBitrate(), fx.kbps);
            EXPECT_EQ(framer.GetFormat()->Header().avg_bytes_per_sec,
                      125u * (fx.record_kbps != 0 ? fx.record_kbps : fx.kbps));
        }
        EXPECT_GT(ReadAll(framer, 4608, false).bytes.size(), 0u);
        EXPECT_EQ(reader.GetPosition(), reader.GetSize());
    }
}

} // namespace
} // namespace sonarel
