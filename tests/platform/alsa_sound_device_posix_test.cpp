// The ALSA sound device on ALSA's "null" PCM, which needs no sound card (Debian's ALSA
// configuration always defines it): devices and formats that cannot be opened say why, and
// the device's name. The console's play tests run the buffers through it end to end (every
// fixture played to its whole time, Ctrl-C closing a device that holds buffers).
#include "platform/sound_device.h"

#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>

namespace sonarel {
namespace {

constexpr SoundFormat kCd{44100, 2, 16};

// Counts the closes the device reports from its thread.
struct Client : SoundDeviceClient {
    void OnBufferDone(uint32_t, bool) override {}
    void OnDeviceClosed() override { ++closed; }
    std::atomic<int> closed{0};
};

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
        EXPECT_EQ(client.closed, opens ? 1 : 0);
    }
}

// Without a name in SONAREL_AUDIO_DEVICE the device is "default" (a name there: the console's
// plays, which say "Playing on \"null\"").
TEST(AlsaSoundDeviceTest, DeviceNameComesFromTheEnvironmentOrIsDefault) {
    const char* saved = std::getenv("SONAREL_AUDIO_DEVICE");
    const std::string previous = saved != nullptr ? saved : "";
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
