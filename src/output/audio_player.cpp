#include "output/audio_player.h"

#include "io/wave_format.h"
#include "output/pcm_level.h"

#include <chrono>
#include <cstring>

namespace sonarel {
namespace {

bool IsPlayablePcm(const WaveFormatEx& header) {
    return header.format_tag == kWaveFormatPcm &&
           (header.bits_per_sample == 8 || header.bits_per_sample == 16) && header.channels > 0 &&
           header.samples_per_sec > 0;
}

} // namespace

AudioPlayer::AudioPlayer() : AudioPlayer(CreateDefaultSoundDevice()) {
}

AudioPlayer::AudioPlayer(std::unique_ptr<SoundDevice> device)
    : device_(std::move(device)), time_message_(RegisterMessage(kMsgAudioPlayerTime)) {
}

AudioPlayer::~AudioPlayer() {
    Close();
}

int AudioPlayer::Open(const WaveFormatHolder* format, int32_t buffer_size) {
    Close();
    const WaveFormatEx header = format != nullptr ? format->Header() : WaveFormatEx{};
    if (!IsPlayablePcm(header)) {
        std::lock_guard<std::mutex> lock(mutex_);
        last_error_ = "not a PCM format the device can play";
        return -1;
    }
    const SoundFormat sound{header.samples_per_sec, header.channels, header.bits_per_sample};
    const auto frame_bytes = static_cast<int32_t>(sound.FrameBytes());
    const int32_t size = buffer_size / frame_bytes * frame_bytes;
    if (size <= 0 || device_->Open(sound, this) != 0) {
        // The device's own lock is never taken under the player's (see OnBufferDone).
        std::string error = size <= 0 ? "no room for a sample in a buffer" : device_->LastError();
        std::lock_guard<std::mutex> lock(mutex_);
        last_error_ = std::move(error);
        return -1;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    for (Block& block : blocks_) {
        block.data = std::make_unique<uint8_t[]>(static_cast<size_t>(size)); // zeroed
        block.recorded = 0;
        block.level = kSilenceLevel;
        block.done = true;
    }
    buffer_size_ = size;
    bytes_per_second_ = sound.samples_per_second * sound.FrameBytes();
    bits_per_sample_ = sound.bits_per_sample;
    ms_per_buffer_ =
        static_cast<uint32_t>(uint64_t{static_cast<uint32_t>(size)} * 1000 / bytes_per_second_);
    pre_roll_ = 0;
    queued_ = 0;
    paused_ = false;
    open_ = true;
    last_error_.clear();
    return 0;
}

// Buffers still at the device are dropped, not played out: Flush first to hear them.
void AudioPlayer::Close() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) {
            return;
        }
        open_ = false; // a Write waiting for a buffer gives up
    }
    buffer_done_.notify_all();
    device_->Reset();
    device_->Close();
    std::lock_guard<std::mutex> lock(mutex_);
    for (Block& block : blocks_) {
        block.data.reset();
        block.done = true;
    }
    queued_ = 0;
    paused_ = false;
    pre_roll_ = 0;
}

int AudioPlayer::Write(const uint8_t* data, int32_t length) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!open_) {
        return kErrorNotOpen;
    }
    if (data == nullptr || length <= 0) {
        return 0;
    }
    buffer_done_.wait(lock, [this] { return queued_ < kBufferCount || !open_; });
    if (!open_) {
        return kErrorNotOpen;
    }
    if (pre_roll_ < kBufferCount) {
        const int32_t taken = Fill(blocks_[pre_roll_], data, length);
        if (++pre_roll_ < kBufferCount) {
            return taken;
        }
        lock.unlock();
        return SendPreRoll(kBufferCount) ? taken : kErrorDeviceRefused;
    }
    const int index = FirstFreeBlock();
    if (index < 0) {
        return 0;
    }
    const int32_t taken = Fill(blocks_[index], data, length);
    lock.unlock();
    return Submit(index) ? taken : kErrorDeviceRefused;
}

void AudioPlayer::Flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!open_) {
        return;
    }
    if (pre_roll_ > 0 && pre_roll_ < kBufferCount) {
        const int filled = pre_roll_;
        pre_roll_ = kBufferCount;
        lock.unlock();
        SendPreRoll(filled);
        lock.lock();
    }
    buffer_done_.wait_for(lock, std::chrono::milliseconds(kFlushTimeoutMs),
                          [this] { return queued_ == 0 || !open_; });
}

bool AudioPlayer::IsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

bool AudioPlayer::IsPaused() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return paused_;
}

void AudioPlayer::TogglePause() {
    bool pause = false;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) {
            return;
        }
        pause = !paused_;
        paused_ = pause;
    }
    if (pause) {
        device_->Pause();
    } else {
        device_->Restart();
    }
}

int32_t AudioPlayer::GetBufferSize() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return buffer_size_;
}

int AudioPlayer::QueuedCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queued_;
}

std::string AudioPlayer::LastError() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_error_;
}

// Runs on the device's thread. The time of a buffer is that of the bytes it carried, so
// a whole buffer adds its playing time rounded down; buffers given back unplayed add nothing.
// The time is posted before the buffer counts as free, so that everything a Flush waited
// for has been reported by the time it returns.
void AudioPlayer::OnBufferDone(uint32_t tag, bool played) {
    if (tag >= kBufferCount) {
        return;
    }
    if (played) {
        int16_t level = kSilenceLevel;
        uint32_t played_ms = 0;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            const Block& block = blocks_[tag];
            played_ms_ += static_cast<uint32_t>(uint64_t{static_cast<uint32_t>(block.recorded)} *
                                                1000 / bytes_per_second_);
            level = block.level;
            played_ms = played_ms_;
        }
        Post(time_message_, static_cast<uint16_t>(level), static_cast<LParam>(played_ms));
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        blocks_[tag].done = true;
        queued_ = queued_ > 0 ? queued_ - 1 : 0;
    }
    buffer_done_.notify_all();
}

void AudioPlayer::OnDeviceClosed() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        queued_ = 0;
    }
    buffer_done_.notify_all();
}

// Copies what fits into the block and clears the rest of it. Called under the lock.
int32_t AudioPlayer::Fill(Block& block, const uint8_t* data, int32_t length) {
    const int32_t taken = length < buffer_size_ ? length : buffer_size_;
    std::memcpy(block.data.get(), data, static_cast<size_t>(taken));
    std::memset(block.data.get() + taken, 0, static_cast<size_t>(buffer_size_ - taken));
    block.recorded = taken;
    block.level = PcmLevel(data, taken, bits_per_sample_);
    return taken;
}

// Sends the first count pre-roll buffers in order; false when the device refused one
// (the buffers after it stay free).
bool AudioPlayer::SendPreRoll(int count) {
    for (int index = 0; index < count; ++index) {
        if (!Submit(index)) {
            return false;
        }
    }
    return true;
}

// Hands a filled block to the device. It counts as queued before the device sees it,
// since the device may report it done at once. Its pointer and length are taken under the
// lock while the player is open; a Close from another thread closes the device before it
// frees the blocks, and a closed device refuses the block without reading it.
bool AudioPlayer::Submit(int index) {
    Block& block = blocks_[index];
    const uint8_t* data = nullptr;
    int32_t length = 0;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!open_) {
            return false;
        }
        block.done = false;
        ++queued_;
        data = block.data.get();
        length = block.recorded;
    }
    if (device_->Submit(data, length, static_cast<uint32_t>(index)) == 0) {
        return true;
    }
    std::string error = device_->LastError();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        block.done = true;
        queued_ = queued_ > 0 ? queued_ - 1 : 0;
        last_error_ = std::move(error);
    }
    buffer_done_.notify_all();
    return false;
}

int AudioPlayer::FirstFreeBlock() const {
    for (int index = 0; index < kBufferCount; ++index) {
        if (blocks_[index].done) {
            return index;
        }
    }
    return -1;
}

} // namespace sonarel
