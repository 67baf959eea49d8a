// The audio player on a fake device: opening, pre-roll, flushing, the played time and
// level it reports, pacing, pausing and refusals, alone and behind the PCM pump.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>
#include <vector>

#include "output/audio_player.h"
#include "output/fake_sound_device.h"
#include "output/pcm_level.h"
#include "output/pcm_pump.h"
#include "platform/message_queue.h"

namespace sonarel {
namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr int32_t kFrameBytes = 4608; // one MPEG-1 frame of 16-bit stereo
constexpr uint32_t kMsPerFrame = 26;  // 4608 * 1000 / (4 * 44100), rounded down

Bytes Constant(int32_t length, uint8_t value) {
    return Bytes(static_cast<size_t>(length), value);
}

// 16-bit samples alternating between the two extremes: 0 dB.
Bytes FullScaleSquare(int32_t length) {
    Bytes bytes(static_cast<size_t>(length));
    for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const bool high = (i / 2) % 2 == 0;
        bytes[i] = high ? 0xFF : 0x00;
        bytes[i + 1] = high ? 0x7F : 0x80;
    }
    return bytes;
}

struct TimeMessage {
    int16_t level;
    uint32_t ms;
};

// The owner window: keeps the msgAudioPlayerTime messages it is sent.
class TimeWindow {
public:
    TimeWindow()
        : queue_([this](MessageId id, WParam w, LParam l) {
              if (id == RegisterMessage(kMsgAudioPlayerTime)) {
                  times.push_back({static_cast<int16_t>(w & 0xFFFF), static_cast<uint32_t>(l)});
              } else if (id == RegisterMessage(kMsgPcmPumpThreadStop)) {
                  stopped = true;
                  times_at_stop = times.size();
              }
              return intptr_t{0};
          }) {}

    MessageTarget* Target() { return &queue_; }
    void Dispatch() { queue_.DispatchPending(); }
    bool WaitForPumpStop() {
        const auto deadline = Clock::now() + std::chrono::seconds(20);
        while (!stopped && Clock::now() < deadline) {
            queue_.WaitAndDispatch(50);
        }
        return stopped;
    }

    std::vector<TimeMessage> times;
    bool stopped = false;
    size_t times_at_stop = 0;

private:
    MessageQueue queue_;
};

class AudioPlayerTest : public ::testing::Test {
protected:
    // A player on a fake device; manual devices play only what the test completes.
    void MakePlayer(bool real_time) {
        auto device = std::make_unique<test::FakeSoundDevice>(log, real_time);
        device_ = device.get();
        player = std::make_unique<AudioPlayer>(std::move(device));
        player->SetNotifier(window.Target(), 0, 0);
    }
    void OpenPlayer(bool real_time) {
        MakePlayer(real_time);
        ASSERT_EQ(player->Open(&cd_, kFrameBytes), 0);
    }
    int Write(const Bytes& bytes) {
        return player->Write(bytes.data(), static_cast<int32_t>(bytes.size()));
    }
    void PreRoll() {
        for (int i = 0; i < AudioPlayer::kBufferCount; ++i) {
            ASSERT_EQ(Write(Constant(kFrameBytes, static_cast<uint8_t>(i + 1))), kFrameBytes);
        }
    }
    test::FakeSoundDevice& Device() { return *device_; }

    const PcmFormat cd_{44100, 2, 16};
    test::FakeDeviceLog log;
    TimeWindow window;
    std::unique_ptr<AudioPlayer> player;

private:
    test::FakeSoundDevice* device_ = nullptr;
};

// --- Opening ------------------------------------------------------------------------

TEST_F(AudioPlayerTest, OpenRefusesFormatsTheDeviceCannotPlay) {
    MakePlayer(false);
    Mp3WaveFormat mp3;
    ASSERT_TRUE(mp3.Build(128, 44100, 2));
    const PcmFormat wide(44100, 2, 24);
    EXPECT_EQ(player->Open(nullptr, kFrameBytes), -1);
    EXPECT_EQ(player->Open(&mp3, kFrameBytes), -1);
    EXPECT_EQ(player->Open(&wide, kFrameBytes), -1);
    EXPECT_EQ(player->Open(&cd_, 3), -1); // less than one sample frame
    EXPECT_FALSE(player->IsOpen());
    EXPECT_TRUE(log.opened.empty());
    EXPECT_FALSE(player->LastError().empty());
}

TEST_F(AudioPlayerTest, DeviceThatCannotOpenLeavesThePlayerClosed) {
    MakePlayer(false);
    log.fail_open = true;
    EXPECT_EQ(player->Open(&cd_, kFrameBytes), -1);
    EXPECT_FALSE(player->IsOpen());
    EXPECT_EQ(player->LastError(), "\"fake\": refused");
    const Bytes data = Constant(kFrameBytes, 0);
    EXPECT_EQ(Write(data), AudioPlayer::kErrorNotOpen);
}

TEST_F(AudioPlayerTest, OpenPassesTheFormatAndKeepsWholeSampleFrames) {
    MakePlayer(false);
    const PcmFormat mono8(8000, 1, 8);
    ASSERT_EQ(player->Open(&cd_, kFrameBytes + 3), 0);
    EXPECT_EQ(player->GetBufferSize(), kFrameBytes);
    EXPECT_EQ(player->MillisecondsPerBuffer(), kMsPerFrame);
    ASSERT_EQ(player->Open(&mono8, 4000), 0);
    EXPECT_EQ(player->MillisecondsPerBuffer(), 500u);
    ASSERT_EQ(log.opened.size(), 2u);
    EXPECT_EQ(log.opened[0].samples_per_second, 44100u);
    EXPECT_EQ(log.opened[0].channels, 2);
    EXPECT_EQ(log.opened[1].bits_per_sample, 8);
}

// --- Pre-roll and flushing ---------------------------------------------------------------

TEST_F(AudioPlayerTest, PreRollSendsNothingUntilTheThirdBufferThenAllThreeInOrder) {
    OpenPlayer(false);
    EXPECT_EQ(Write(Constant(kFrameBytes, 1)), kFrameBytes);
    EXPECT_EQ(Write(Constant(kFrameBytes, 2)), kFrameBytes);
    EXPECT_EQ(log.SubmittedCount(), 0u);
    EXPECT_EQ(Write(Constant(kFrameBytes, 3)), kFrameBytes);
    ASSERT_EQ(log.submitted.size(), 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(log.submitted[i].tag, i);
        EXPECT_EQ(log.submitted[i].bytes, Constant(kFrameBytes, static_cast<uint8_t>(i + 1)));
    }
    EXPECT_EQ(player->QueuedCount(), 3);
}

TEST_F(AudioPlayerTest, ConversionShorterThanThreeBuffersPlaysOnlyThroughFlush) {
    OpenPlayer(true);
    EXPECT_EQ(Write(Constant(kFrameBytes, 1)), kFrameBytes);
    EXPECT_EQ(Write(Constant(1000, 2)), 1000);
    std::this_thread::sleep_for(std::chrono::milliseconds(80));
    EXPECT_EQ(log.SubmittedCount(), 0u);
    player->Flush(); // returns once both have been played
    EXPECT_EQ(player->QueuedCount(), 0);
    ASSERT_EQ(log.submitted.size(), 2u);
    EXPECT_EQ(log.submitted[1].length, 1000); // the short one plays only its own bytes
    EXPECT_EQ(player->PlayedMilliseconds(), kMsPerFrame + 1000 * 1000 / 176400);
    window.Dispatch();
    EXPECT_EQ(window.times.size(), 2u);
}

TEST_F(AudioPlayerTest, FlushGivesUpAfterASecondWhenTheDeviceHoldsOn) {
    OpenPlayer(false); // a manual device never finishes on its own
    PreRoll();
    const auto start = Clock::now();
    player->Flush();
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(900));
    EXPECT_LT(waited, std::chrono::seconds(5));
    EXPECT_EQ(player->QueuedCount(), 3);
    player->Close(); // drops them without playing
    EXPECT_EQ(player->PlayedMilliseconds(), 0u);
}

// --- Played time and level --------------------------------------------------------

TEST_F(AudioPlayerTest, EachFinishedBufferAddsItsTimeAndPostsItsLevel) {
    OpenPlayer(false);
    ASSERT_EQ(Write(FullScaleSquare(kFrameBytes)), kFrameBytes);
    ASSERT_EQ(Write(Constant(kFrameBytes, 0)), kFrameBytes);
    ASSERT_EQ(Write(FullScaleSquare(kFrameBytes)), kFrameBytes);
    while (Device().CompleteNext()) {
    }
    window.Dispatch();
    ASSERT_EQ(window.times.size(), 3u);
    EXPECT_EQ(window.times[0].ms, kMsPerFrame);
    EXPECT_EQ(window.times[1].ms, 2 * kMsPerFrame);
    EXPECT_EQ(window.times[2].ms, 3 * kMsPerFrame);
    EXPECT_EQ(window.times[0].level, 0);
    EXPECT_EQ(window.times[1].level, kSilenceLevel);
    EXPECT_EQ(window.times[2].level, 0);
}

TEST_F(AudioPlayerTest, ShortPiecePlaysOnlyItsBytesWithTheRestOfItsBufferCleared) {
    OpenPlayer(false);
    PreRoll();
    ASSERT_TRUE(Device().CompleteNext()); // block 0 is free again, still holding 0x01s
    const int32_t half = kFrameBytes / 2;
    ASSERT_EQ(Write(FullScaleSquare(half)), half);
    ASSERT_EQ(log.submitted.size(), 4u);
    const test::Submission& piece = log.submitted[3];
    EXPECT_EQ(piece.tag, 0u);
    EXPECT_EQ(piece.length, half);
    for (int32_t i = half; i < kFrameBytes; ++i) {
        ASSERT_EQ(piece.data[i], 0) << "stale byte at " << i;
    }
    while (Device().CompleteNext()) {
    }
    window.Dispatch();
    ASSERT_EQ(window.times.size(), 4u);
    EXPECT_EQ(window.times[3].ms, 3 * kMsPerFrame + 13); // 2304 bytes: 13 ms
    EXPECT_EQ(window.times[3].level, 0);                 // the level of the valid half, not diluted
}

TEST_F(AudioPlayerTest, PlayedTimeLastsAcrossReopeningAndSkipsDroppedBuffers) {
    OpenPlayer(false);
    PreRoll();
    ASSERT_TRUE(Device().CompleteNext());
    ASSERT_EQ(player->Open(&cd_, kFrameBytes), 0); // closes first: two buffers dropped
    PreRoll();
    ASSERT_TRUE(Device().CompleteNext());
    EXPECT_EQ(player->PlayedMilliseconds(), 2 * kMsPerFrame);
    window.Dispatch();
    EXPECT_EQ(window.times.size(), 2u);
}

// --- Pacing ------------------------------------------------------------------------

TEST_F(AudioPlayerTest, WriteWaitsWhileThreeBuffersAreQueued) {
    OpenPlayer(false);
    PreRoll();
    const Bytes next = Constant(kFrameBytes, 9);
    auto writing = std::async(std::launch::async, [&] { return Write(next); });
    EXPECT_EQ(writing.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    ASSERT_TRUE(Device().CompleteNext());
    ASSERT_EQ(writing.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(writing.get(), kFrameBytes);
    ASSERT_EQ(log.submitted.size(), 4u);
    EXPECT_EQ(log.submitted[3].tag, 0u);
}

TEST_F(AudioPlayerTest, CloseReleasesAWriteWaitingForABuffer) {
    OpenPlayer(false);
    PreRoll();
    const Bytes next = Constant(kFrameBytes, 9);
    auto writing = std::async(std::launch::async, [&] { return Write(next); });
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    player->Close();
    ASSERT_EQ(writing.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(writing.get(), AudioPlayer::kErrorNotOpen);
    EXPECT_FALSE(player->IsOpen());
    EXPECT_EQ(player->QueuedCount(), 0);
}

// A PCM source of a fixed length, delivered in 4608-byte reads.
class ToneSource : public ByteSource {
public:
    explicit ToneSource(int64_t bytes) : left_(bytes) {}
    void Close() override {}
    int Open() override { return 0; }
    int IsOpen() const override { return 1; }
    int Read(uint8_t* buffer, int32_t length, int* /*format_changed*/) override {
        if (left_ <= 0) {
            return -1;
        }
        const auto n = static_cast<int32_t>(std::min<int64_t>(left_, length));
        const Bytes square = FullScaleSquare(n);
        std::copy(square.begin(), square.end(), buffer);
        left_ -= n;
        return n;
    }
    int IsPcm() const override { return 1; }
    const WaveFormatHolder* GetFormat() const override { return &format_; }
    int GetBufferSize() const override { return kFrameBytes; }

private:
    int64_t left_;
    PcmFormat format_{44100, 2, 16};
};

TEST_F(AudioPlayerTest, TwoSecondsOfAudioTakeAboutTwoSecondsThroughThePump) {
    MakePlayer(true);
    ToneSource source(2 * 176400);
    PcmPump pump(&source, player.get(), nullptr);
    pump.SetNotifier(window.Target(), 0, 500);
    const auto start = Clock::now();
    ASSERT_EQ(pump.Start(), 1);
    ASSERT_TRUE(window.WaitForPumpStop());
    const auto took = Clock::now() - start;
    pump.Stop(kWaitForever);
    EXPECT_GT(took, std::chrono::milliseconds(1500));
    EXPECT_LT(took, std::chrono::seconds(4));
    // The pump opened the player, drained it at the end and closed it.
    EXPECT_FALSE(player->IsOpen());
    EXPECT_GE(log.closes, 1);
    // Every buffer's time was posted before the pump's stop: 76 whole frames and a short one.
    EXPECT_EQ(window.times_at_stop, 77u);
    window.Dispatch();
    ASSERT_EQ(window.times.size(), 77u);
    EXPECT_EQ(window.times.back().ms, player->PlayedMilliseconds());
    EXPECT_GT(player->PlayedMilliseconds(), 1950u);
    EXPECT_LE(player->PlayedMilliseconds(), 2000u);
}

// --- Pausing and refusals -------------------------------------------------------------

TEST_F(AudioPlayerTest, PauseHoldsThePlayedTimeUntilResumed) {
    OpenPlayer(true);
    EXPECT_FALSE(player->IsPaused());
    player->TogglePause();
    EXPECT_TRUE(player->IsPaused());
    PreRoll(); // three buffers at a paused device
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(player->PlayedMilliseconds(), 0u);
    player->TogglePause();
    EXPECT_FALSE(player->IsPaused());
    player->Flush();
    EXPECT_EQ(player->PlayedMilliseconds(), 3 * kMsPerFrame);
    EXPECT_EQ(log.pauses, 1);
    EXPECT_EQ(log.restarts, 1);
}

TEST_F(AudioPlayerTest, TogglePauseOnAClosedPlayerDoesNothing) {
    MakePlayer(false);
    player->TogglePause();
    EXPECT_FALSE(player->IsPaused());
    EXPECT_EQ(log.pauses, 0);
}

TEST_F(AudioPlayerTest, RefusedPreRollFailsTheThirdWrite) {
    OpenPlayer(false);
    log.refuse_after = 1;
    EXPECT_EQ(Write(Constant(kFrameBytes, 1)), kFrameBytes);
    EXPECT_EQ(Write(Constant(kFrameBytes, 2)), kFrameBytes);
    EXPECT_EQ(Write(Constant(kFrameBytes, 3)), AudioPlayer::kErrorDeviceRefused);
    EXPECT_EQ(player->QueuedCount(), 1);
}

TEST_F(AudioPlayerTest, RefusedBufferStaysFreeForTheNextWrite) {
    OpenPlayer(false);
    PreRoll();
    ASSERT_TRUE(Device().CompleteNext());
    log.refuse_after = 3;
    EXPECT_EQ(Write(Constant(kFrameBytes, 7)), AudioPlayer::kErrorDeviceRefused);
    EXPECT_EQ(player->QueuedCount(), 2);
    log.refuse_after = -1;
    EXPECT_EQ(Write(Constant(kFrameBytes, 8)), kFrameBytes);
    ASSERT_EQ(log.submitted.size(), 4u);
    EXPECT_EQ(log.submitted[3].tag, 0u);
}

} // namespace
} // namespace sonarel
