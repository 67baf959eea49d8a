// The Windows side of the platform layer: registry settings and names outside the ANSI code
// page through every file call.
#include "platform/file_system.h"
#include "platform/output_file.h"
#include "platform/settings_store.h"
#include "platform/sound_device.h"
#include "support/test_paths.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <thread>
#include <vector>

namespace sonarel {
namespace {

TEST(WindowsHost, SettingsGoToTheUsersRegistryKeyAndComeBack) {
    auto store = OpenUserSettings("Quillon", "sonarel-test");
    ASSERT_TRUE(store->WriteInt(settings::kSection, settings::kWinPosX, -12));
    ASSERT_TRUE(store->WriteString(settings::kSection, settings::kDefaultOpenDir, "C:\\Müsik\\"));
    auto again = OpenUserSettings("Quillon", "sonarel-test");
    EXPECT_EQ(again->ReadInt(settings::kSection, settings::kWinPosX, 300), -12);
    EXPECT_EQ(again->ReadString(settings::kSection, settings::kDefaultOpenDir, ""), "C:\\Müsik\\");
    EXPECT_EQ(again->ReadInt(settings::kSection, "Missing", 300), 300);
    EXPECT_EQ(again->ReadString("Other", settings::kWinPosX, "none"), "none");
}

TEST(WindowsHost, NamesOutsideTheAnsiCodePageWorkInEveryFileCall) {
    test::ScratchDir scratch;
    const std::string folder = scratch.Path().string() + "\\";
    const std::string name = folder + "Ελληνικά 日本語.wav"; // UTF-8, as the program keeps it
    OutputFile out;
    ASSERT_EQ(out.Open(name), OutputFile::OpenResult::kOpened);
    EXPECT_TRUE(out.Created());
    EXPECT_TRUE(out.IsRegular());
    const uint8_t bytes[4] = {'R', 'I', 'F', 'F'};
    EXPECT_EQ(out.Write(bytes, 4), 4);
    OutputFile second;
    EXPECT_EQ(second.Open(name), OutputFile::OpenResult::kBusy); // held by the first
    out.Close();

    EXPECT_TRUE(EntryExists(name));
    uint64_t size = 0;
    ASSERT_TRUE(RegularFileSize(name, size));
    EXPECT_EQ(size, 4u);
    std::FILE* file = OpenRegularFile(name, size);
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    bool listed = false;
    ListFolder(folder, [&](std::string_view entry) {
        listed = listed || entry == "Ελληνικά 日本語.wav";
        return true;
    });
    EXPECT_TRUE(listed);
    EXPECT_TRUE(RemoveFile(name));
    EXPECT_FALSE(EntryExists(name));
    EXPECT_TRUE(IsFolderEntry(folder));
}

struct CountingClient : SoundDeviceClient {
    std::mutex mutex;
    std::condition_variable changed;
    int played = 0;
    int givenBack = 0;
    bool closed = false;
    void OnBufferDone(uint32_t, bool wasPlayed) override {
        std::lock_guard<std::mutex> lock(mutex);
        ++(wasPlayed ? played : givenBack);
        changed.notify_all();
    }
    void OnDeviceClosed() override {
        std::lock_guard<std::mutex> lock(mutex);
        closed = true;
    }
    bool WaitForPlayed(int count) {
        std::unique_lock<std::mutex> lock(mutex);
        return changed.wait_for(lock, std::chrono::seconds(10), [&] { return played >= count; });
    }
};

TEST(WindowsHost, WaveOutPlaysBuffersAndGivesBackTheRestOnClose) {
    auto device = CreateSoundDevice("default");
    CountingClient client;
    const SoundFormat format{44100, 2, 16};
    if (device->Open(format, &client) != 0) {
        GTEST_SKIP() << "no waveOut device here: " << device->LastError();
    }
    const std::vector<uint8_t> quiet(4410 * 4, 0); // 0.1 s of silence
    ASSERT_EQ(device->Submit(quiet.data(), static_cast<int32_t>(quiet.size()), 1), 0);
    EXPECT_TRUE(client.WaitForPlayed(1));
    ASSERT_EQ(device->Submit(quiet.data(), static_cast<int32_t>(quiet.size()), 2), 0);
    device->Close(); // at once: the second buffer comes back unplayed, or played if it was
    EXPECT_EQ(client.played + client.givenBack, 2);
    EXPECT_TRUE(client.closed);
}

} // namespace
} // namespace sonarel
