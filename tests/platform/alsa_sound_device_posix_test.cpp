// The ALSA sound device on ALSA's "null" PCM, which needs no sound card (Debian's ALSA
// configuration always defines it): every buffer comes back once, in order; devices and
// formats that cannot be opened say why.
#include "platform/sound_device.h"

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <gtest/gtest.h>
#include <mutex>
#include <vector>

namespace sonarel {
namespace {

constexpr SoundFormat kCd{44100, 2, 16};

// Collects the device's notices from its thread.
class Client : public SoundDeviceClient {
public:
    void OnBufferDone(uint32_t tag, bool played) override {
        std::lock_guard<std::mutex> lock(mutex_);
        done_.push_back({tag, played});
        changed_.notify_all();
    }
    void OnDeviceClosed() override {
        std::lock_guard<std::mutex> lock(mutex_);
        ++closed_;
    }
    // Waits until count notices arrived (or 10 s passed); returns them as (tag, played).
    std::vector<std::pair<uint32_t, bool>> WaitFor(size_t count) {
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
    std::vector<std::pair<uint32_t, bool>> done_;
    int closed_ = 0;
};

// Buffers come back played, in order, partial sample frames too; across a reset and a pause
// every buffer comes back exactly once; the close is reported once.
TEST(AlsaSoundDeviceTest, EveryBufferComesBackOnceInOrderAndTheCloseIsReported) {
    const std::vector<uint8_t> buffer(4608, 0x11);
    const int32_t lengths[] = {4608, 4608, 3, 0, 4608, 4608};
    Client client;
    auto device = CreateSoundDevice("null");
    ASSERT_EQ(device->Open(kCd, &client), 0) << device->LastError();
    std::vector<std::pair<uint32_t, bool>> expected;
    for (uint32_t tag = 0; tag < 6; ++tag) {
        ASSERT_EQ(device->Submit(buffer.data(), lengths[tag], tag), 0);
        expected.push_back({tag, true});
    }
    EXPECT_EQ(client.WaitFor(6), expected);
    for (uint32_t tag = 6; tag < 9; ++tag) {
        ASSERT_EQ(device->Submit(buffer.data(), 4608, tag), 0);
    }
    device->Reset();
    device->Pause();
    ASSERT_EQ(device->Submit(buffer.data(), 4608, 9), 0);
    device->Restart();
    const auto done = client.WaitFor(10);
    std::vector<int> seen(10, 0);
    for (const auto& [tag, played] : done) {
        ++seen.at(tag);
    }
    EXPECT_EQ(seen, std::vector<int>(10, 1));
    EXPECT_EQ(done.back(), std::pair(9u, true)); // sent after the reset: played
    EXPECT_TRUE(device->IsOpen());
    device->Close();
    device->Close();
    EXPECT_FALSE(device->IsOpen());
    EXPECT_EQ(client.Closed(), 1);
}

// Mono and 8-bit sound open; unknown devices and formats without a sample type are refused
// with the reason (no reason: the device opens).
TEST(AlsaSoundDeviceTest, DevicesAndFormatsOpenOrAreRefusedWithTheReason) {
    const struct {
        const char* name;
        SoundFormat format;
        const char* reason;
    } cases[] = {{"null", {22050, 1, 16}, nullptr},
                 {"null", {8000, 1, 8}, nullptr},
                 {"sonarel_no_such_device", kCd, "\"sonarel_no_such_device\""},
                 {"null", {44100, 2, 24}, "unsupported"},
                 {"null", {0, 2, 16}, "unsupported"}};
    for (const auto& c : cases) {
        Client client;
        auto device = CreateSoundDevice(c.name);
        const bool opens = c.reason == nullptr;
        EXPECT_EQ(device->Open(c.format, &client) == 0, opens) << device->LastError();
        EXPECT_EQ(device->IsOpen(), opens);
        EXPECT_TRUE(opens || device->LastError().find(c.reason) != std::string::npos)
            << device->LastError();
        const uint8_t byte = 0;
        EXPECT_EQ(device->Submit(&byte, 1, 0) == 0, opens);
        device->Close();
        EXPECT_EQ(client.Closed(), opens ? 1 : 0);
    }
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
