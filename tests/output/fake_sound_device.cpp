#include "output/fake_sound_device.h"

#include <chrono>

namespace sonarel::test {

int FakeSoundDevice::Open(const SoundFormat& format, SoundDeviceClient* client) {
    Close();
    {
        std::lock_guard<std::mutex> log_lock(log_.mutex);
        log_.opened.push_back(format);
        if (log_.fail_open) {
            return -1;
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    client_ = client;
    format_ = format;
    open_ = true;
    paused_ = stopping_ = false;
    if (real_time_) {
        player_ = std::thread(&FakeSoundDevice::Play, this);
    }
    return 0;
}

int FakeSoundDevice::Submit(const uint8_t* data, int32_t length, uint32_t tag) {
    {
        std::lock_guard<std::mutex> log_lock(log_.mutex);
        if (log_.refuse_after >= 0 &&
            log_.submitted.size() >= static_cast<size_t>(log_.refuse_after)) {
            return -1;
        }
        log_.submitted.push_back(Submission{tag, length, data, {data, data + length}});
    }
    std::lock_guard<std::mutex> lock(mutex_);
    if (!open_) {
        return -1;
    }
    queue_.push_back(Queued{tag, length});
    changed_.notify_all();
    return 0;
}

void FakeSoundDevice::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    {
        std::lock_guard<std::mutex> log_lock(log_.mutex);
        ++log_.resets;
    }
    while (!queue_.empty()) {
        const uint32_t tag = queue_.front().tag;
        queue_.pop_front();
        client_->OnBufferDone(tag, false);
    }
    paused_ = false;
    ++generation_;
    changed_.notify_all();
}

void FakeSoundDevice::Pause() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::lock_guard<std::mutex> log_lock(log_.mutex);
    ++log_.pauses;
    paused_ = true;
    changed_.notify_all();
}

void FakeSoundDevice::Restart() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::lock_guard<std::mutex> log_lock(log_.mutex);
    ++log_.restarts;
    paused_ = false;
    changed_.notify_all();
}

void FakeSoundDevice::Close() {
    if (!IsOpen()) {
        return;
    }
    Reset();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    if (player_.joinable()) {
        player_.join();
    }
    SoundDeviceClient* client = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        for (const Queued& late : queue_) {
            client_->OnBufferDone(late.tag, false);
        }
        queue_.clear();
        open_ = false;
        std::swap(client, client_);
    }
    {
        std::lock_guard<std::mutex> log_lock(log_.mutex);
        ++log_.closes;
    }
    client->OnDeviceClosed();
}

bool FakeSoundDevice::IsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return open_;
}

bool FakeSoundDevice::CompleteNext() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) {
        return false;
    }
    const uint32_t tag = queue_.front().tag;
    queue_.pop_front();
    client_->OnBufferDone(tag, true);
    return true;
}

size_t FakeSoundDevice::QueuedCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}

void FakeSoundDevice::Play() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stopping_) {
        changed_.wait(lock, [this] { return stopping_ || (!paused_ && !queue_.empty()); });
        if (!stopping_) {
            PlayFront(lock);
        }
    }
}

// Plays the oldest buffer for its playing time; time spent paused does not count. False
// when a Reset or Close took the buffer away meanwhile.
bool FakeSoundDevice::PlayFront(std::unique_lock<std::mutex>& lock) {
    using Clock = std::chrono::steady_clock;
    const uint64_t generation = generation_;
    const uint64_t bytes_per_second = uint64_t{format_.samples_per_second} * format_.FrameBytes();
    auto left = std::chrono::microseconds(
        static_cast<int64_t>(uint64_t(queue_.front().length) * 1000000 / bytes_per_second));
    while (left.count() > 0) {
        const auto start = Clock::now();
        changed_.wait_for(lock, left,
                          [&] { return stopping_ || paused_ || generation_ != generation; });
        if (stopping_ || generation_ != generation) {
            return false;
        }
        left -= std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start);
        if (paused_) {
            changed_.wait(lock, [&] { return stopping_ || !paused_ || generation_ != generation; });
            if (stopping_ || generation_ != generation) {
                return false;
            }
        }
    }
    const uint32_t tag = queue_.front().tag;
    queue_.pop_front();
    client_->OnBufferDone(tag, true);
    return true;
}

} // namespace sonarel::test
