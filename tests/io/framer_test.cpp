// The MPEG audio framer and what it is made of: frame header parsing, locking onto a stream,
// the Layer-3 format record from the average bitrate (and what a record holder keeps of any
// record), delivery of whole frames and its failure results, on synthetic frame streams. (The
// program runs only its Open, as the probe's fallback; Read's format changes meet the fuzz
// target.)
#include "io/mp3_framer.h"
#include "io/mpeg_header.h"
#include "support/byte_strings.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <initializer_list>
#include <span>
#include <vector>

namespace sonarel {
namespace {

using test::Bytes;
using test::operator+;

// MPEG-1 Layer III, 44.1 kHz, joint stereo, no CRC; the bitrate index is or-ed in.
constexpr uint32_t kMpeg1Layer3 = 0xFFFB0044;
constexpr uint32_t k128 = kMpeg1Layer3 | 9u << 12;  // 417-byte frames
constexpr uint32_t k160 = kMpeg1Layer3 | 10u << 12; // 522-byte frames

// The headers' frames in order, each with a silent payload, the whole sequence `repeat` times.
Bytes Frames(std::initializer_list<uint32_t> headers, int repeat = 1) {
    Bytes out;
    for (int r = 0; r < repeat; ++r) {
        for (const uint32_t word : headers) {
            MpegHeader parsed;
            EXPECT_EQ(ParseMpegHeader(word, parsed), 0);
            Bytes frame(static_cast<size_t>(parsed.frame_bits / 8), 0);
            for (size_t i = 0; i < 4; ++i) {
                frame[i] = static_cast<uint8_t>(word >> (24 - 8 * i));
            }
            out = std::move(out) + frame;
        }
    }
    return out;
}

// Everything the framer delivers until it reports the end; a format change sets *changed.
Bytes ReadAll(Mp3Framer& framer, int32_t chunk, int* changed = nullptr) {
    Bytes all, buffer(static_cast<size_t>(chunk));
    for (int got = 0; got >= 0;) {
        got = framer.Read(buffer.data(), chunk, changed);
        all.insert(all.end(), buffer.begin(), buffer.begin() + std::max(got, 0));
    }
    return all;
}

// Bytes in memory, read like a raw file: in order, 0 at the end.
class MemorySource : public ByteSource {
public:
    explicit MemorySource(Bytes bytes) : bytes_(std::move(bytes)) {}
    void Close() override { open_ = false; }
    int Open() override {
        open_ = true;
        return 0;
    }
    int IsOpen() const override { return open_ ? 1 : 0; }
    int Read(uint8_t* buffer, int32_t length, int*) override {
        const size_t n = std::min(bytes_.size() - position_, size_t(std::max(length, 0)));
        std::copy_n(bytes_.begin() + long(position_), n, buffer);
        position_ += n;
        return static_cast<int>(n);
    }
    size_t Position() const { return position_; }

private:
    Bytes bytes_;
    size_t position_ = 0;
    bool open_ = false;
};

struct FramerOn {
    explicit FramerOn(Bytes bytes, uint32_t ring = Mp3Framer::kDefaultRingBytes)
        : source(std::move(bytes)), framer(ring) {
        framer.Attach(&source, false);
    }
    MemorySource source;
    Mp3Framer framer;
};

// Also with the smallest ring the bit reader may have (a frame, the next header and the
// refill slack), which it wraps and moves back in at every frame.
TEST(Framer, OpensOnFourConfirmedFramesAndDeliversTheFramesOnly) {
    constexpr uint32_t k32 = kMpeg1Layer3 | 1u << 12;
    constexpr uint32_t k40 = kMpeg1Layer3 | 2u << 12;
    const Bytes five = Frames({k128}, 5);
    Bytes shifted(five.size() + 1, 0); // three bits late
    for (size_t i = 0; i < five.size(); ++i) {
        shifted[i] |= static_cast<uint8_t>(five[i] >> 3);
        shifted[i + 1] |= static_cast<uint8_t>(five[i] << 5);
    }
    const struct Case {
        const char* what;
        Bytes stream;
        int result;
        uint32_t bytes_per_sec = 0; // in the format record: a bitrate a record can carry
        size_t held = 0;            // bytes of the four frames that opened it
        Bytes frames = {};          // delivered
    } cases[] = {
        {"leading zeros", Bytes(100, 0) + five, 0, 16000, 1668, five},
        {"a header not followed by a frame", Frames({k128}) + Bytes(50, 0x55) + Frames({k160}, 6),
         0, 20000, 2088, Frames({k160}, 6)},
        {"four frames", Frames({k128}, 4), 0, 16000, 1668, Frames({k128}, 4)},
        {"alternating bitrates", Frames({k128, k160}, 4), 0, 18000, 1878, Frames({k128, k160}, 4)},
        {"an average no record carries", Frames({k32, k32, k32, k40}, 2), 0, 4000, 442,
         Frames({k32, k32, k32, k40}, 2)},
        {"an odd bit offset", shifted, 0, 16000, 1668, five},
        {"three frames", Frames({k128}, 3), kFramerEndOfInput},
        {"empty", Bytes{}, kFramerEndOfInput},
        {"a header only", Bytes{0xFF, 0xFB, 0x90}, kFramerEndOfInput},
        {"less than 16 KB of non-audio", Bytes(10000, 0), kFramerEndOfInput},
        {"more than 16 KB of non-audio", Bytes(20000, 0), kFramerNoSync},
    };
    for (uint32_t ring : {Mp3Framer::kDefaultRingBytes, 522u + 69u}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(testing::Message() << c.what << " ring " << ring);
            FramerOn f(c.stream, ring);
            ASSERT_EQ(f.framer.Open(), c.result);
            EXPECT_EQ(f.framer.IsOpen(), c.result == 0 ? 1 : 0);
            if (c.result != 0) {
                EXPECT_EQ(f.framer.GetFormat(), nullptr);
                EXPECT_LT(f.source.Position(), 16384u + 2048u);
                continue;
            }
            ASSERT_NE(f.framer.GetFormat(), nullptr);
            EXPECT_EQ(f.framer.GetFormat()->Header().format_tag, kWaveFormatMpegLayer3);
            EXPECT_EQ(f.framer.GetFormat()->Header().avg_bytes_per_sec, c.bytes_per_sec);
            // The frames that opened it are held: reading them needs no further input.
            const size_t consumed = f.source.Position();
            Bytes start(c.held);
            ASSERT_EQ(f.framer.Read(start.data(), int32_t(c.held), nullptr), int(c.held));
            EXPECT_EQ(f.source.Position(), consumed);
            int changes = 0;
            EXPECT_EQ(start + ReadAll(f.framer, 700, &changes), c.frames);
            EXPECT_EQ(changes, 0);
        }
    }
}

// No source, no framer; a source its owner opened (as every program does before it attaches
// one) stays open when a filter on it closes.
TEST(Framer, WithoutASourceAndOnABorrowedOne) {
    EXPECT_EQ(Mp3Framer().Open(), kFramerNoSource);
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
}

// Frame header parsing: frame lengths, rates and channels of every version and layer, and
// the headers that are no frames.
TEST(MpegHeader, FrameLengthsRatesAndChannelsOfEveryVersionAndLayer) {
    const struct Case {
        uint32_t word;
        int bytes;
        int kbps;
        int rate;
        int channels;
    } cases[] = {
        {0xFFFB9244, 418, 128, 44100, 2},  // 417.96 slots and the padding slot
        {0xFFFBE4C0, 960, 320, 48000, 1},  //
        {0xFFFB1044, 104, 32, 44100, 2},   // the lowest Layer III rate: 104.49 bytes
        {0xFFFFEA00, 676, 448, 32000, 2},  // Layer I slots are four bytes
        {0xFFFF2000, 68, 64, 44100, 2},    // 17.4 slots
        {0xFFFDA400, 576, 192, 48000, 2},  //
        {0xFFFDEA00, 1729, 384, 32000, 2}, // the longest accepted frame
        {0xFFF7E800, 768, 256, 16000, 2},  // MPEG-2 Layer I
        {0xFFF52000, 104, 16, 22050, 2},   // Layer II keeps 1152 samples
        {0xFFF3E0C0, 522, 160, 22050, 1},  // MPEG-2 Layer III's highest rate
        {0xFFE314C0, 48, 8, 12000, 1},     // MPEG-2.5: 576 samples
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.word);
        MpegHeader h;
        ASSERT_EQ(ParseMpegHeader(c.word, h), 0);
        EXPECT_EQ(h.frame_bits, 8 * c.bytes);
        EXPECT_EQ(BitrateKbps(h), c.kbps);
        EXPECT_EQ(DescribeFrame(h).sample_rate, c.rate);
        EXPECT_EQ(DescribeFrame(h).channels, c.channels);
    }
    for (uint32_t word : {0xFFEB9044u,    // MPEG-2.5 bit with ID 1
                          0xFFF99044u,    // reserved layer code
                          0xFFFB9C44u,    // sampling index 3
                          0xFFFB0044u,    // free format
                          0xFFFBF044u,    // bitrate index 15
                          0xFFE718C0u,    // MPEG-2.5 Layer I
                          0xFFE518C0u}) { // MPEG-2.5 Layer II
        MpegHeader h;
        EXPECT_EQ(ParseMpegHeader(word, h), -1) << std::hex << word;
        EXPECT_EQ(h.frame_bits, 0);
    }
}

Bytes RecordBytes(const WaveFormatHolder& holder) {
    return Bytes(holder.Get(), holder.Get() + holder.Size());
}

// Layer-3 records: 30 bytes; at low bitrates a block holds several frames of
// alternating lengths.
TEST(WaveFormat, Mp3RecordsForEveryRateAndBitrate) {
    Mp3WaveFormat format;
    ASSERT_TRUE(format.Build(128, 44100, 2));
    EXPECT_EQ(RecordBytes(format),
              EncodeWaveFormat({0x55, 2, 44100, 16000, 1, 0, 12}, {1, 2, 417, 1, 0}));
    const struct Case {
        uint32_t kbps, rate, channels;
        int block_size, frames_per_block;
    } cases[] = {
        {320, 48000, 2, 960, 1},        {64, 32000, 1, 288, 1},
        {8, 11025, 1, 52, 1},           {12, 22050, 1, 26 + 52, 2},
        {14, 8000, 1, 72 + 3 * 144, 4}, {18, 8000, 2, 3 * 144 + 216, 4},
        {20, 8000, 2, 144 + 216, 2},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(format.Build(c.kbps, c.rate, c.channels)) << c.kbps;
        EXPECT_EQ(format.Header().avg_bytes_per_sec, c.kbps * 125);
        EXPECT_EQ(format.Mp3Extension().block_size, c.block_size) << c.kbps;
        EXPECT_EQ(format.Mp3Extension().frames_per_block, c.frames_per_block) << c.kbps;
    }
    // A bitrate no record carries leaves the record as it was (the framer's headers give only
    // valid rates and channels).
    const std::vector<uint8_t> before = RecordBytes(format);
    EXPECT_FALSE(format.Build(0, 44100, 2) || format.Build(100, 44100, 2));
    EXPECT_EQ(RecordBytes(format), before);
}

// A PCM record is 16 bytes; any other keeps 18 bytes and cbSize more, never more than it was
// given; one without cbSize is completed, and a shorter one is none.
TEST(WaveFormat, HoldersKeepWhatTheRecordSays) {
    EXPECT_EQ(RecordBytes(PcmFormat(44100, 2, 16)),
              (std::vector<uint8_t>{1, 0, 2, 0, 0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0, 4, 0, 16, 0}));
    std::vector<uint8_t> pcm = EncodeWaveFormat({1, 2, 48000, 192000, 4, 16, 0});
    pcm.push_back(0x77); // bytes beyond the size rule are ignored
    WaveFormatHolder holder;
    holder.Set(pcm);
    EXPECT_EQ(holder.Size(), 16u);
    holder.Set(EncodeWaveFormat({0x55, 2, 44100, 0x12345678, 1, 0, 40}, {1, 2, 417, 1, 0}));
    EXPECT_EQ(holder.Size(), 30u);
    EXPECT_EQ(holder.Header().avg_bytes_per_sec, 0x12345678u);
    EXPECT_EQ(holder.Header().cb_size, 12); // lowered to what is held
    EXPECT_EQ(holder.Mp3Extension().block_size, 417);

    const std::vector<uint8_t> record = EncodeWaveFormat({0x55, 2, 44100, 16000, 1, 0, 12});
    holder.Set(std::span<const uint8_t>(record.data(), 15));
    EXPECT_FALSE(holder.HasRecord());
    holder.Set(std::span<const uint8_t>(record.data(), 16));
    EXPECT_EQ(holder.Size(), 18u);
    EXPECT_EQ(holder.Header().cb_size, 0);
    holder.Set({});
    EXPECT_FALSE(holder.HasRecord());
}

} // namespace
} // namespace sonarel
