// A sound device for tests. In real-time mode a thread plays the submitted buffers one
// after another, each for its playing time, and reports it done; in manual mode nothing
// plays until the test completes buffers itself. Either way it records what happened.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/sound_device.h"

namespace sonarel::test {

struct Submission {
    uint32_t tag;
    int32_t length;
    const uint8_t* data; // the caller's block, valid while the player is open
    std::vector<uint8_t> bytes;
};

// What the test can see and steer; shared with the device the player owns.
struct FakeDeviceLog {
    std::mutex mutex;
    std::vector<Submission> submitted;
    std::vector<SoundFormat> opened;
    int resets = 0;
    int pauses = 0;
    int restarts = 0;
    int closes = 0;
    bool fail_open = false;
    int refuse_after = -1; // refuse every Submit once this many were taken; -1: never

    size_t SubmittedCount() {
        std::lock_guard<std::mutex> lock(mutex);
        return submitted.size();
    }
};

class FakeSoundDevice : public SoundDevice {
public:
    FakeSoundDevice(FakeDeviceLog& log, bool real_time) : log_(log), real_time_(real_time) {}
    ~FakeSoundDevice() override { Close(); }

    int Open(const SoundFormat& format, SoundDeviceClient* client) override;
    int Submit(const uint8_t* data, int32_t length, uint32_t tag) override;
    void Reset() override;
    void Pause() override;
    void Restart() override;
    void Close() override;
    bool IsOpen() const override;
    std::string LastError() const override { return "\"fake\": refused"; }

    // Manual mode: reports the oldest queued buffer played; false when none is queued.
    bool CompleteNext();
    size_t QueuedCount() const;

private:
    struct Queued {
        uint32_t tag;
        int32_t length;
    };

    void Play();
    bool PlayFront(std::unique_lock<std::mutex>& lock);

    FakeDeviceLog& log_;
    const bool real_time_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    SoundDeviceClient* client_ = nullptr;
    SoundFormat format_;
    std::deque<Queued> queue_;
    bool open_ = false;
    bool paused_ = false;
    bool stopping_ = false;
    uint64_t generation_ = 0; // raised by Reset: the buffer being played is gone
    std::thread player_;
};

} // namespace sonarel::test
