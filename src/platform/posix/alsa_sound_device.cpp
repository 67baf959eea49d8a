#ifdef SONAREL_HAVE_ALSA

#include "platform/posix/alsa_sound_device.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace sonarel {
namespace {

// The longest the device thread sleeps while buffers are in flight: short enough that a
// buffer is reported promptly even when the play position is only an estimate.
constexpr int kMaxWaitMs = 50;

} // namespace

AlsaSoundDevice::AlsaSoundDevice(std::string name) : name_(std::move(name)) {
}

AlsaSoundDevice::~AlsaSoundDevice() {
    Close();
}

int AlsaSoundDevice::Open(const SoundFormat& format, SoundDeviceClient* client) {
    Close();
    alsa::SilenceLibraryMessages();
    alsa::PcmSetup setup;
    std::string error;
    std::lock_guard<std::mutex> lock(mutex_);
    if (!alsa::OpenPlaybackPcm(name_, format, setup, error)) {
        last_error_ = "\"" + name_ + "\": " + error;
        return -1;
    }
    wake_fd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    const int count = snd_pcm_poll_descriptors_count(setup.pcm);
    if (wake_fd_ < 0 || count < 0) {
        last_error_ = "\"" + name_ + "\": cannot wait for the device";
        CloseWakeFd();
        snd_pcm_close(setup.pcm);
        return -1;
    }
    // Slot 0 wakes the thread for new work; the PCM's own descriptors follow.
    pcm_fds_.assign(static_cast<size_t>(count) + 1, pollfd{});
    pcm_fds_[0] = pollfd{wake_fd_, POLLIN, 0};
    snd_pcm_poll_descriptors(setup.pcm, pcm_fds_.data() + 1, static_cast<unsigned>(count));
    pcm_ = setup.pcm;
    can_pause_ = setup.can_pause;
    format_ = format;
    client_ = client;
    frames_written_ = frames_played_ = 0;
    paused_ = held_by_pcm_ = stopping_ = failed_ = false;
    last_error_.clear();
    thread_ = std::thread(&AlsaSoundDevice::Run, this);
    return 0;
}

int AlsaSoundDevice::Submit(const uint8_t* data, int32_t length, uint32_t tag) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pcm_ == nullptr || failed_ || data == nullptr || length < 0) {
        if (pcm_ == nullptr) {
            last_error_ = "\"" + name_ + "\": not open";
        }
        return -1;
    }
    const auto frames = static_cast<snd_pcm_uframes_t>(length) / format_.FrameBytes();
    waiting_.push_back(Waiting{data, frames, 0, tag});
    Wake();
    return 0;
}

void AlsaSoundDevice::Reset() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pcm_ == nullptr) {
        return;
    }
    snd_pcm_drop(pcm_);
    snd_pcm_prepare(pcm_);
    GiveBackAll();
    frames_written_ = frames_played_ = 0;
    paused_ = held_by_pcm_ = false;
    Wake();
}

// A PCM that cannot pause (or has not started yet) is paused by not feeding it: what
// is already in its ring plays out, and Restart recovers from the underrun.
void AlsaSoundDevice::Pause() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pcm_ == nullptr || paused_) {
        return;
    }
    paused_ = true;
    held_by_pcm_ =
        can_pause_ && snd_pcm_state(pcm_) == SND_PCM_STATE_RUNNING && snd_pcm_pause(pcm_, 1) == 0;
    Wake();
}

void AlsaSoundDevice::Restart() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (pcm_ == nullptr || !paused_) {
        return;
    }
    if (held_by_pcm_) {
        const int result = snd_pcm_pause(pcm_, 0);
        if (result < 0) {
            snd_pcm_recover(pcm_, result, 1);
        }
    }
    paused_ = held_by_pcm_ = false;
    Wake();
}

void AlsaSoundDevice::Close() {
    if (!IsOpen()) {
        return;
    }
    Reset();
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        Wake();
    }
    thread_.join();
    SoundDeviceClient* client = nullptr;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        GiveBackAll(); // anything submitted while the thread was stopping
        snd_pcm_close(pcm_);
        pcm_ = nullptr;
        CloseWakeFd();
        std::swap(client, client_);
    }
    if (client != nullptr) {
        client->OnDeviceClosed();
    }
}

bool AlsaSoundDevice::IsOpen() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return pcm_ != nullptr;
}

std::string AlsaSoundDevice::LastError() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_error_;
}

void AlsaSoundDevice::Run() {
    while (true) {
        bool want_space = false;
        int timeout_ms = -1;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopping_) {
                return;
            }
            timeout_ms = Pass(want_space);
        }
        WaitForWork(want_space, timeout_ms);
    }
}

// One round of work under the lock: feed the ring, report what has been played. Returns
// how long to sleep (-1: until woken) and whether free ring space is worth waking for.
int AlsaSoundDevice::Pass(bool& want_space) {
    if (!failed_ && !paused_) {
        Feed();
    }
    CollectPlayed();
    want_space = !failed_ && !paused_ && !waiting_.empty();
    const int wait_ms = NextWaitMs();
    return want_space && wait_ms < 0 ? kMaxWaitMs : wait_ms;
}

void AlsaSoundDevice::Feed() {
    const uint32_t frame_bytes = format_.FrameBytes();
    while (!waiting_.empty()) {
        Waiting& next = waiting_.front();
        if (next.written < next.frames) {
            const snd_pcm_sframes_t result = snd_pcm_writei(
                pcm_, next.data + next.written * frame_bytes, next.frames - next.written);
            if (result == -EAGAIN) {
                return; // the ring is full
            }
            if (result < 0) {
                // An underrun empties the ring: everything written so far has been
                // played, which the delay (0 after the recovery) reflects.
                const int recovered = snd_pcm_recover(pcm_, static_cast<int>(result), 1);
                if (recovered < 0) {
                    Fail("playback failed", recovered);
                    return;
                }
                continue;
            }
            next.written += static_cast<snd_pcm_uframes_t>(result);
            frames_written_ += static_cast<uint64_t>(result);
            continue;
        }
        in_ring_.push_back(InRing{next.tag, frames_written_});
        waiting_.pop_front();
    }
}

// The play position is what was written minus what the PCM still has to play.
void AlsaSoundDevice::CollectPlayed() {
    if (in_ring_.empty()) {
        return;
    }
    snd_pcm_sframes_t delay = 0;
    uint64_t played = frames_written_; // stopped or underrun: nothing is left to play
    if (snd_pcm_delay(pcm_, &delay) == 0 && delay > 0) {
        played -= std::min<uint64_t>(static_cast<uint64_t>(delay), frames_written_);
    }
    frames_played_ = std::max(frames_played_, played);
    while (!in_ring_.empty() && in_ring_.front().end <= frames_played_) {
        const uint32_t tag = in_ring_.front().tag;
        in_ring_.pop_front();
        client_->OnBufferDone(tag, true);
    }
}

// Until the oldest buffer in the ring should have been played, within kMaxWaitMs.
int AlsaSoundDevice::NextWaitMs() const {
    if (failed_ || in_ring_.empty() || held_by_pcm_) {
        return -1;
    }
    const uint64_t frames_left = in_ring_.front().end - frames_played_;
    const uint64_t ms = frames_left * 1000 / format_.samples_per_second + 1;
    return static_cast<int>(std::min<uint64_t>(ms, kMaxWaitMs));
}

void AlsaSoundDevice::WaitForWork(bool want_space, int timeout_ms) {
    const nfds_t count = want_space ? pcm_fds_.size() : 1;
    ::poll(pcm_fds_.data(), count, timeout_ms);
    if ((pcm_fds_[0].revents & POLLIN) != 0) {
        uint64_t value = 0;
        const ssize_t got = ::read(wake_fd_, &value, sizeof value);
        (void)got; // a wake-up that was already taken is as good as this one
    }
    if (want_space) {
        // Lets plugins that signal through their own descriptors clear them.
        std::lock_guard<std::mutex> lock(mutex_);
        unsigned short revents = 0;
        snd_pcm_poll_descriptors_revents(pcm_, pcm_fds_.data() + 1,
                                         static_cast<unsigned>(pcm_fds_.size() - 1), &revents);
    }
}

void AlsaSoundDevice::Wake() {
    const uint64_t one = 1;
    const ssize_t put = ::write(wake_fd_, &one, sizeof one);
    (void)put; // the counter only fails when it is already far from zero
}

void AlsaSoundDevice::Fail(const char* what, int code) {
    failed_ = true;
    last_error_ = "\"" + name_ + "\": " + what + ": " + snd_strerror(code);
    GiveBackAll();
}

void AlsaSoundDevice::GiveBackAll() {
    std::deque<InRing> in_ring;
    std::deque<Waiting> waiting;
    in_ring.swap(in_ring_);
    waiting.swap(waiting_);
    for (const InRing& buffer : in_ring) {
        client_->OnBufferDone(buffer.tag, false);
    }
    for (const Waiting& buffer : waiting) {
        client_->OnBufferDone(buffer.tag, false);
    }
}

void AlsaSoundDevice::CloseWakeFd() {
    if (wake_fd_ >= 0) {
        ::close(wake_fd_);
        wake_fd_ = -1;
    }
}

std::unique_ptr<SoundDevice> CreateSoundDevice(const std::string& name) {
    return std::make_unique<AlsaSoundDevice>(name);
}

} // namespace sonarel

#else // no ALSA: a device that explains why it cannot open

#include "platform/sound_device.h"

namespace sonarel {
namespace {

class UnavailableSoundDevice : public SoundDevice {
public:
    explicit UnavailableSoundDevice(std::string name) : name_(std::move(name)) {}
    int Open(const SoundFormat&, SoundDeviceClient*) override { return -1; }
    int Submit(const uint8_t*, int32_t, uint32_t) override { return -1; }
    void Reset() override {}
    void Pause() override {}
    void Restart() override {}
    void Close() override {}
    bool IsOpen() const override { return false; }
    std::string LastError() const override {
        return "\"" + name_ + "\": built without ALSA sound support";
    }

private:
    std::string name_;
};

} // namespace

std::unique_ptr<SoundDevice> CreateSoundDevice(const std::string& name) {
    return std::make_unique<UnavailableSoundDevice>(name);
}

} // namespace sonarel

#endif // SONAREL_HAVE_ALSA
