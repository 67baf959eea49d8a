// The sound device on an ALSA PCM. A device thread feeds the submitted buffers into the
// PCM's ring as space frees up and reports each one done once the PCM's delay shows that
// its last frame has been played. All ALSA calls are made under one lock, so Reset, Pause
// and Restart from other threads never race the feeding; the completion notices are
// delivered under the same lock, so none arrives after Reset or Close has returned.
#pragma once

#ifdef SONAREL_HAVE_ALSA

#include "platform/posix/alsa_pcm_setup.h"
#include "platform/sound_device.h"

#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace sonarel {

class AlsaSoundDevice : public SoundDevice {
public:
    explicit AlsaSoundDevice(std::string name);
    ~AlsaSoundDevice() override;

    AlsaSoundDevice(const AlsaSoundDevice&) = delete;
    AlsaSoundDevice& operator=(const AlsaSoundDevice&) = delete;

    int Open(const SoundFormat& format, SoundDeviceClient* client) override;
    int Submit(const uint8_t* data, int32_t length, uint32_t tag) override;
    void Reset() override;
    void Pause() override;
    void Restart() override;
    void Close() override;
    bool IsOpen() const override;
    std::string LastError() const override;

private:
    // Submitted, not yet wholly in the ring.
    struct Waiting {
        const uint8_t* data;
        snd_pcm_uframes_t frames;
        snd_pcm_uframes_t written;
        uint32_t tag;
    };
    // Wholly in the ring; played once the play position passes end.
    struct InRing {
        uint32_t tag;
        uint64_t end;
    };

    void Run();
    int Pass(bool& want_space);
    void Feed();
    void CollectPlayed();
    int NextWaitMs() const;
    void WaitForWork(bool want_space, int timeout_ms);
    void Wake();
    void Fail(const char* what, int code);
    void GiveBackAll();
    void CloseWakeFd();

    const std::string name_;
    mutable std::mutex mutex_;
    snd_pcm_t* pcm_ = nullptr;
    SoundDeviceClient* client_ = nullptr;
    SoundFormat format_;
    bool can_pause_ = false;
    std::vector<struct pollfd> pcm_fds_;
    int wake_fd_ = -1;
    std::thread thread_;
    std::deque<Waiting> waiting_;
    std::deque<InRing> in_ring_;
    uint64_t frames_written_ = 0; // since the last prepare
    uint64_t frames_played_ = 0;
    bool paused_ = false;
    bool held_by_pcm_ = false; // paused through snd_pcm_pause rather than by not feeding
    bool stopping_ = false;
    bool failed_ = false;
    std::string last_error_;
};

} // namespace sonarel

#endif // SONAREL_HAVE_ALSA
