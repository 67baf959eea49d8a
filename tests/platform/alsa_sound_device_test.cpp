// The ALSA sound device on ALSA's "null" PCM, which needs no sound card: every buffer
// comes back once, in order; devices that cannot be opened say why.
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/sound_device.h"

namespace sonarel {
namespace {

constexpr SoundFormat kCd{44100, 2, 16};

// Collects the device's notices from its thread.
class Client : public SoundDeviceClient {
public:
    struct Done {
        uint32_t tag;
        bool played;
    };

    void OnBufferDone(uint32_t tag, bool played) override {
        std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back({tag, played});
        changed_.notify_all();
    }
    void OnDeviceClosed() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++closed_;
    }

    // Waits until count notices arrived (or 10 s passed); returns them.
    std::vector<Done> WaitFor(size_t count) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [&] { return done_.size() >= count; });
        return done_;
    }
    int Closed() {
        std::lock_guard<std::mutex> lock(mutex_);
        return closed_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Done> done_;
    int closed_ = 0;
};

class NullDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = CreateSoundDevice("null");
        // Debian's ALSA configuration always defines pcm.null, so this runs without a card.
        ASSERT_EQ(device->Open(kCd, &client), 0) << device->LastError();
    }

    std::vector<uint8_t> buffer = std::vector<uint8_t>(4608, 0x11);
    Client client;
    std::unique_ptr<SoundDevice> device;
};

TEST_F(NullDeviceTest, PlaysEveryBufferInOrderAndReportsTheClose) {
    EXPECT_TRUE(device->IsOpen());
    for (uint32_t tag = 0; tag < 20; ++tag) {
        ASSERT_EQ(device->Submit(buffer.data(), 4608, tag % 3), 0);
    }
    const auto done = client.WaitFor(20);
    ASSERT_EQ(done.size(), 20u);
    for (uint32_t i = 0; i < 20; ++i) {
        EXPECT_EQ(done[i].tag, i % 3);
        EXPECT_TRUE(done[i].played);
    }
    device->Close();
    EXPECT_FALSE(device->IsOpen());
    EXPECT_EQ(client.Closed(), 1);
    device->Close(); // a second close does nothing
    EXPECT_EQ(client.Closed(), 1);
}

TEST_F(NullDeviceTest, BuffersWithoutAWholeFrameStillComeBack) {
    ASSERT_EQ(device->Submit(buffer.data(), 3, 7), 0);
    ASSERT_EQ(device->Submit(buffer.data(), 0, 8), 0);
    const auto done = client.WaitFor(2);
    ASSERT_EQ(done.size(), 2u);
    EXPECT_EQ(done[0].tag, 7u);
    EXPECT_EQ(done[1].tag, 8u);
}

TEST_F(NullDeviceTest, EveryBufferComesBackExactlyOnceAcrossResetAndPause) {
    for (uint32_t tag = 0; tag < 3; ++tag) {
        ASSERT_EQ(device->Submit(buffer.data(), 4608, tag), 0);
    }
    device->Reset();
    device->Pause();
    ASSERT_EQ(device->Submit(buffer.data(), 4608, 3), 0);
    device->Restart();
    const auto done = client.WaitFor(4);
    ASSERT_EQ(done.size(), 4u);
    std::vector<int> seen(4, 0);
    for (const auto& d : done) {
        ++seen.at(d.tag);
    }
    EXPECT_EQ(seen, std::vector<int>(4, 1));
    EXPECT_TRUE(done.back().played); // the one sent after the reset was played
}

TEST(AlsaSoundDeviceTest, UnknownDeviceFailsToOpenAndNamesItself) {
    auto device = CreateSoundDevice("sonarel_no_such_device");
    Client client;
    EXPECT_NE(device->Open(kCd, &client), 0);
    EXPECT_FALSE(device->IsOpen());
    EXPECT_NE(device->LastError().find("\"sonarel_no_such_device\""), std::string::npos)
        << device->LastError();
    const uint8_t byte = 0;
    EXPECT_NE(device->Submit(&byte, 1, 0), 0);
    device->Close(); // harmless when never opened
    EXPECT_EQ(client.Closed(), 0);
}

TEST(AlsaSoundDeviceTest, FormatsWithoutASampleTypeAreRefused) {
    auto device = CreateSoundDevice("null");
    Client client;
    EXPECT_NE(device->Open(SoundFormat{44100, 2, 24}, &client), 0);
    EXPECT_NE(device->Open(SoundFormat{0, 2, 16}, &client), 0);
    EXPECT_NE(device->LastError().find("unsupported"), std::string::npos) << device->LastError();
}

TEST(AlsaSoundDeviceTest, DeviceNameComesFromTheEnvironmentOrIsDefault) {
    const char* saved = std::getenv("SONAREL_AUDIO_DEVICE");
    const std::string previous = saved != nullptr ? saved : "";
    ::setenv("SONAREL_AUDIO_DEVICE", "null", 1);
    EXPECT_EQ(DefaultSoundDeviceName(), "null");
    ::setenv("SONAREL_AUDIO_DEVICE", "", 1);
    EXPECT_EQ(DefaultSoundDeviceName(), "default");
    ::unsetenv("SONAREL_AUDIO_DEVICE");
    EXPECT_EQ(DefaultSoundDeviceName(), "default");
    if (saved != nullptr) {
        ::setenv("SONAREL_AUDIO_DEVICE", previous.c_str(), 1);
    }
}

} // namespace
} // namespace sonarel
