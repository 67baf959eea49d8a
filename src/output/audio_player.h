// Plays PCM on a sound device through three buffers, and tells its owner window how
// long it has played: after each finished buffer it posts msgAudioPlayerTime with
//   wParam = the level of that buffer (see PcmLevel) as a signed 16-bit value in the
//            low 16 bits: hundredths of a dB relative to full scale, -32768 for silence;
//   lParam = the milliseconds played over the player's lifetime (also across reopening).
//
// The first two buffers are only filled (pre-roll); the third sends all three at once,
// so the device starts with some reserve. After that each Write fills the first free
// buffer and sends it, and a Write that finds all three at the device waits for one to
// come back, which paces the caller to real time. Flush sends what an unfinished
// pre-roll holds and waits (at most a second) until the device has played everything.
//
// Each buffer plays only the bytes written into it: a short piece (the end of a stream,
// or the half or quarter frames of the lower sampling rates) is played without padding,
// and the rest of its block is cleared so no stale audio can ever reach the device.
#pragma once

#include "output/pcm_player.h"
#include "platform/registered_message.h"
#include "platform/sound_device.h"
#include "platform/window_notifier.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

namespace sonarel {

class AudioPlayer : public PcmPlayer, public WindowNotifier, private SoundDeviceClient {
public:
    static constexpr int kBufferCount = 3;
    static constexpr int kErrorNotOpen = -9;       // Write before Open
    static constexpr int kErrorDeviceRefused = -5; // the device would not take a buffer
    static constexpr uint32_t kFlushTimeoutMs = 1000;

    // Plays on the default device (DefaultSoundDeviceName).
    AudioPlayer();
    explicit AudioPlayer(std::unique_ptr<SoundDevice> device);
    // Stops playing at once.
    ~AudioPlayer() override;

    AudioPlayer(const AudioPlayer&) = delete;
    AudioPlayer& operator=(const AudioPlayer&) = delete;

    // PCM records only (8 or 16 bits); the buffer size is rounded down to whole sample
    // frames. -1 when the format is null or not PCM, or the device cannot be opened
    // (LastError says why).
    int Open(const WaveFormatHolder* format, int32_t buffer_size) override;
    void Close() override;
    // The bytes taken (at most one buffer), 0 when length is not positive,
    // kErrorNotOpen, or kErrorDeviceRefused when the device refused a buffer.
    int Write(const uint8_t* data, int32_t length) override;
    void Flush() override;
    bool IsOpen() const override;
    bool IsPaused() const override;
    // Only while open.
    void TogglePause() override;
    int32_t GetBufferSize() const override;

    // Buffers at the device; a buffer's time is posted before it leaves this count.
    int QueuedCount() const;
    std::string LastError() const;

private:
    struct Block {
        std::unique_ptr<uint8_t[]> data;
        int32_t recorded = 0; // valid bytes
        int16_t level = 0;    // of the valid bytes
        bool done = true;     // free: not at the device
    };

    void OnBufferDone(uint32_t tag, bool played) override;
    void OnDeviceClosed() override;

    int32_t Fill(Block& block, const uint8_t* data, int32_t length);
    bool SendPreRoll(int count);
    bool Submit(int index);
    int FirstFreeBlock() const;

    std::unique_ptr<SoundDevice> device_;
    MessageId time_message_;
    // Guards everything below: the device's callbacks (buffers coming back) run on its own
    // thread while the pump's thread fills and submits blocks and the owner reads the time.
    mutable std::mutex mutex_;
    // Signalled when a buffer comes back; waiters check the queued count, which stands
    // in for both of the player's events (a buffer done, all done).
    std::condition_variable buffer_done_;
    uint32_t played_ms_ = 0;
    uint32_t ms_per_buffer_ = 0;
    uint32_t bytes_per_second_ = 0;
    uint16_t bits_per_sample_ = 16;
    int queued_ = 0;
    bool paused_ = false;
    bool open_ = false;
    int32_t buffer_size_ = 0;
    std::string last_error_;
    int pre_roll_ = 0; // buffers filled before the first send, 0..3
    Block blocks_[kBufferCount];
};

} // namespace sonarel
