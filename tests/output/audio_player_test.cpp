// The audio player on a fake device: what it opens, pre-roll, pacing, short pieces, the
// played time and level it reports (and the level of any PCM), flushing and refusals.
#include "output/audio_player.h"
#include "output/pcm_level.h"
#include "support/byte_strings.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <future>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace sonarel {
namespace {

using test::Bytes;
using test::Samples16;
using namespace std::chrono_literals;

constexpr int32_t kFrameBytes = 4608; // one MPEG-1 frame of 16-bit stereo
constexpr uint32_t kMsPerFrame = 26;  // 4608 * 1000 / (4 * 44100), rounded down

// Buffers wait until the test completes them, or, when `instant`, play as they come.
struct FakeDevice : SoundDevice {
    int Open(const SoundFormat& format, SoundDeviceClient* client) override {
        opened.push_back(format);
        this->client = fail_open ? nullptr : client;
        return fail_open ? -1 : 0;
    }
    int Submit(const uint8_t* data, int32_t length, uint32_t tag) override {
        if (!IsOpen() || (refuse_after >= 0 && submitted.size() >= size_t(refuse_after))) {
            return -1;
        }
        submitted.push_back({tag, Bytes(data, data + length), data});
        queue.push_back(tag);
        if (instant) {
            CompleteNext();
        }
        return 0;
    }
    void Reset() override {
        for (; !queue.empty(); queue.pop_front()) {
            client->OnBufferDone(queue.front(), false);
        }
    }
    void Pause() override {}
    void Restart() override {}
    void Close() override {
        if (IsOpen()) {
            Reset();
            std::exchange(client, nullptr)->OnDeviceClosed();
        }
    }
    bool IsOpen() const override { return client != nullptr; }
    std::string LastError() const override { return "\"fake\": refused"; }
    bool CompleteNext() {
        const bool any = !queue.empty();
        if (any) {
            const uint32_t tag = queue.front();
            queue.pop_front();
            client->OnBufferDone(tag, true);
        }
        return any;
    }

    struct Submission {
        uint32_t tag;
        Bytes bytes;
        const uint8_t* block; // the player's, valid while it is open
    };
    std::vector<SoundFormat> opened;
    std::vector<Submission> submitted;
    std::deque<uint32_t> queue;
    SoundDeviceClient* client = nullptr;
    int refuse_after = -1; // refuse Submit once this many were taken
    bool fail_open = false, instant = false;
};

// `length` bytes of 16-bit samples alternating between the two extremes: 0 dB.
Bytes FullScaleSquare(int32_t length) {
    std::vector<int16_t> samples(static_cast<size_t>(length / 2), 32767);
    for (size_t i = 1; i < samples.size(); i += 2) {
        samples[i] = -32768;
    }
    return Samples16(samples);
}

Bytes Sine16(double amplitude) {
    std::vector<int16_t> samples;
    for (int i = 0; i < 1024; ++i) {
        samples.push_back(
            static_cast<int16_t>(std::lround(amplitude * std::sin(std::numbers::pi * i / 32))));
    }
    return Samples16(samples);
}

// The level the player reports per buffer: RMS against full scale in hundredths of a dB.
TEST(PcmLevelTest, LevelsFollowTheRmsWithSilenceLowest) {
    std::vector<int16_t> one(2304, 0); // the quietest sound there is
    one[0] = 1;
    const struct {
        Bytes bytes;
        uint16_t bits;
        int level;
        int tolerance = 0;
    } cases[] = {
        {Samples16({0, 0, 0, 0}), 16, kSilenceLevel},
        {{0x7F}, 16, kSilenceLevel}, // no whole sample
        {{}, 16, kSilenceLevel},
        {Bytes(100, 128), 8, kSilenceLevel},
        {FullScaleSquare(8), 16, 0},
        {Samples16(std::vector<int16_t>(2304, -32768)), 16, 0}, // a whole frame: no overflow
        {{0xFF, 0x7F, 0x00}, 16, 0},                            // a stray byte is left out
        {{0, 255, 0, 255}, 8, 0, 5},
        {Sine16(32767), 16, -301, 1},
        {Sine16(328), 16, -4301, 2},
        {Samples16(one), 16,
         static_cast<int>(std::lround(1000 * std::log10(1.0 / 2304 / 1073741824.0))), 1},
    };
    for (const auto& c : cases) {
        EXPECT_NEAR(PcmLevel(c.bytes.data(), static_cast<int32_t>(c.bytes.size()), c.bits), c.level,
                    c.tolerance)
            << c.bytes.size() << " bytes of " << c.bits << " bits";
    }
}

// The fixture is the player's owner window: it keeps each time message with the count of
// buffers the player still held when it was posted.
class AudioPlayerTest : public ::testing::Test, public MessageTarget {
protected:
    struct Time {
        int16_t level;
        uint32_t ms;
        int queued;
        bool operator==(const Time&) const = default;
    };
    AudioPlayerTest() { player.SetNotifier(this, 0, 0); }
    bool Post(MessageId id, WParam wparam, LParam lparam) override {
        EXPECT_EQ(id, RegisterMessage(kMsgAudioPlayerTime));
        times.push_back({int16_t(wparam & 0xFFFF), uint32_t(lparam), player.QueuedCount()});
        return true;
    }
    intptr_t Send(MessageId, WParam, LParam) override { return 0; }
    int Write(const Bytes& bytes) { return player.Write(bytes.data(), int32_t(bytes.size())); }
    void OpenAndPreRoll() {
        ASSERT_EQ(player.Open(&cd, kFrameBytes), 0);
        for (uint8_t i = 0; i < AudioPlayer::kBufferCount; ++i) {
            ASSERT_EQ(Write(Bytes(kFrameBytes, i)), kFrameBytes);
        }
    }

    const PcmFormat cd{44100, 2, 16};
    std::vector<Time> times;
    FakeDevice& device = *new FakeDevice;
    AudioPlayer player{std::unique_ptr<SoundDevice>(&device)};
};

TEST_F(AudioPlayerTest, OpenRefusesWhatTheDeviceCannotPlay) {
    const PcmFormat wide(44100, 2, 24);
    const struct {
        const WaveFormatHolder* format;
        int32_t size;
    } cases[] = {{nullptr, kFrameBytes},
                 {&wide, kFrameBytes},
                 {&cd, 3},            // not a sample frame
                 {&cd, kFrameBytes}}; // the device fails
    device.fail_open = true;
    for (const auto& c : cases) {
        EXPECT_EQ(player.Open(c.format, c.size), -1);
        EXPECT_FALSE(player.IsOpen());
        EXPECT_EQ(Write(Bytes(kFrameBytes, 0)), AudioPlayer::kErrorNotOpen);
        EXPECT_NE(player.LastError(), "");
    }
    EXPECT_EQ(device.opened.size(), 1u);
    EXPECT_EQ(player.LastError(), "\"fake\": refused");
    const PcmFormat mono8(8000, 1, 8);
    device.fail_open = false;
    ASSERT_EQ(player.Open(&mono8, 4000), 0);
    EXPECT_EQ(device.opened.back().bits_per_sample, 8);
    ASSERT_EQ(player.Open(&cd, kFrameBytes + 3), 0); // whole sample frames only
    EXPECT_EQ(player.GetBufferSize(), kFrameBytes);
    EXPECT_EQ(device.opened.back().channels, 2);
}

// Three buffers go out together after the pre-roll; a fourth write waits for one to come
// back; a short piece plays only its own bytes; each played buffer reports its time and
// level before it counts as free.
TEST_F(AudioPlayerTest, PreRollPacingShortPiecesAndTheReportedTimes) {
    ASSERT_EQ(player.Open(&cd, kFrameBytes), 0);
    const Bytes square = FullScaleSquare(kFrameBytes), quiet(kFrameBytes, 0);
    const Bytes half = FullScaleSquare(kFrameBytes / 2);
    EXPECT_EQ(player.Write(square.data(), 0), 0); // takes no buffer
    for (const Bytes* bytes : {&square, &quiet, &square}) {
        EXPECT_TRUE(device.submitted.empty());
        EXPECT_EQ(Write(*bytes), kFrameBytes);
    }
    ASSERT_EQ(device.submitted.size(), 3u);
    EXPECT_EQ(device.submitted[2].tag, 2u);
    EXPECT_EQ(device.submitted[1].bytes, quiet);
    auto writing = std::async(std::launch::async, [&] { return Write(half); });
    EXPECT_EQ(writing.wait_for(50ms), std::future_status::timeout);
    ASSERT_TRUE(device.CompleteNext());
    EXPECT_EQ(writing.get(), kFrameBytes / 2);
    const auto& piece = device.submitted.back();
    EXPECT_EQ(piece.tag, 0u);
    EXPECT_EQ(piece.bytes, half);
    EXPECT_EQ(std::count(piece.block + kFrameBytes / 2, piece.block + kFrameBytes, 0),
              kFrameBytes / 2); // nothing stale after the piece
    while (device.CompleteNext()) {
    }
    const std::vector<Time> expected = {{0, kMsPerFrame, 3},
                                        {kSilenceLevel, 2 * kMsPerFrame, 3},
                                        {0, 3 * kMsPerFrame, 2},
                                        {0, 3 * kMsPerFrame + 13, 1}};
    EXPECT_EQ(times, expected);
}

// Flush sends an unfinished pre-roll and waits for it to be played; it waits a bounded time
// for a device that holds on. Reopening drops what the device holds; the played time goes on.
TEST_F(AudioPlayerTest, FlushPlaysWhatIsHeldAndReopeningDropsButKeepsThePlayedTime) {
    device.instant = true;
    ASSERT_EQ(player.Open(&cd, kFrameBytes), 0);
    EXPECT_EQ(Write(Bytes(1000, 2)), 1000);
    player.Flush();
    EXPECT_EQ(device.submitted.back().bytes, Bytes(1000, 2));
    EXPECT_EQ(times.back().ms, 1000 * 1000 / 176400u);
    device.instant = false;
    OpenAndPreRoll();
    player.Flush(); // the device holds on to them: returns after a second
    ASSERT_EQ(player.Open(&cd, kFrameBytes), 0);
    OpenAndPreRoll();
    ASSERT_TRUE(device.CompleteNext());
    EXPECT_EQ(times.size(), 2u);
    EXPECT_EQ(times.back().ms, 5 + kMsPerFrame);
}

// A refused pre-roll fails the write that sends it; the refused buffer is free again.
TEST_F(AudioPlayerTest, RefusedBufferFailsItsWriteAndStaysFree) {
    ASSERT_EQ(player.Open(&cd, kFrameBytes), 0);
    device.refuse_after = 1;
    EXPECT_EQ(Write(Bytes(kFrameBytes, 1)), kFrameBytes);
    EXPECT_EQ(Write(Bytes(kFrameBytes, 2)), kFrameBytes);
    EXPECT_EQ(Write(Bytes(kFrameBytes, 3)), AudioPlayer::kErrorDeviceRefused);
    EXPECT_EQ(device.queue.size(), 1u);
    device.refuse_after = -1;
    EXPECT_EQ(Write(Bytes(kFrameBytes, 4)), kFrameBytes);
    EXPECT_EQ(device.submitted.back().tag, 1u);
}

} // namespace
} // namespace sonarel
