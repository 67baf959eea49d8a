// The sound device on a waveOut device. The device signals an event whenever it finishes
// a buffer; a watcher thread then reports every finished buffer, in order. The notices are
// delivered under the device's lock, so none arrives after Reset or Close has returned.
#include "platform/sound_device.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mmsystem.h>
#include <mutex>
#include <thread>

namespace sonarel {
namespace {

constexpr DWORD kWatchTickMs = 100;

UINT DeviceIdFor(const std::string& name) {
    char* end = nullptr;
    unsigned long number = std::strtoul(name.c_str(), &end, 10);
    return !name.empty() && *end == '\0' ? static_cast<UINT>(number) : WAVE_MAPPER;
}

std::string ErrorText(MMRESULT code) {
    wchar_t text[MAXERRORLENGTH] = {};
    if (waveOutGetErrorTextW(code, text, MAXERRORLENGTH) != MMSYSERR_NOERROR) {
        return "waveOut error " + std::to_string(code);
    }
    std::string narrow;
    for (const wchar_t* c = text; *c != 0; ++c) {
        narrow += *c < 0x80 ? static_cast<char>(*c) : '?';
    }
    return narrow;
}

class WaveOutSoundDevice : public SoundDevice {
public:
    explicit WaveOutSoundDevice(std::string name) : name_(std::move(name)) {}
    ~WaveOutSoundDevice() override { Close(); }
    WaveOutSoundDevice(const WaveOutSoundDevice&) = delete;
    WaveOutSoundDevice& operator=(const WaveOutSoundDevice&) = delete;

    int Open(const SoundFormat& format, SoundDeviceClient* client) override;
    int Submit(const uint8_t* data, int32_t length, uint32_t tag) override;
    void Reset() override;
    void Pause() override;
    void Restart() override;
    void Close() override;
    bool IsOpen() const override { return wave_ != nullptr; }
    std::string LastError() const override;

private:
    struct Queued {
        WAVEHDR header = {};
        uint32_t tag = 0;
    };

    void Watch();
    // Reports the finished buffers at the front of the queue; all of them when all is set.
    void GiveBack(bool all, bool played);

    const std::string name_;
    mutable std::mutex mutex_;
    HWAVEOUT wave_ = nullptr;
    HANDLE done_event_ = nullptr;
    SoundDeviceClient* client_ = nullptr;
    SoundFormat format_;
    std::deque<std::unique_ptr<Queued>> queued_;
    std::thread watcher_;
    std::atomic<bool> stopping_{false};
    std::string last_error_;
};

int WaveOutSoundDevice::Open(const SoundFormat& format, SoundDeviceClient* client) {
    Close();
    WAVEFORMATEX wave_format = {};
    wave_format.wFormatTag = WAVE_FORMAT_PCM;
    wave_format.nChannels = format.channels;
    wave_format.nSamplesPerSec = format.samples_per_second;
    wave_format.wBitsPerSample = format.bits_per_sample;
    wave_format.nBlockAlign = static_cast<WORD>(format.FrameBytes());
    wave_format.nAvgBytesPerSec = format.samples_per_second * format.FrameBytes();
    done_event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    MMRESULT result = waveOutOpen(&wave_, DeviceIdFor(name_), &wave_format,
                                  reinterpret_cast<DWORD_PTR>(done_event_), 0, CALLBACK_EVENT);
    if (result != MMSYSERR_NOERROR) {
        last_error_ = "\"" + name_ + "\": " + ErrorText(result);
        wave_ = nullptr;
        CloseHandle(done_event_);
        done_event_ = nullptr;
        return -1;
    }
    client_ = client;
    format_ = format;
    stopping_ = false;
    watcher_ = std::thread([this] { Watch(); });
    return 0;
}

int WaveOutSoundDevice::Submit(const uint8_t* data, int32_t length, uint32_t tag) {
    std::lock_guard<std::mutex> lock(mutex_);
    const int32_t frame = static_cast<int32_t>(format_.FrameBytes());
    if (wave_ == nullptr || frame == 0 || length < 0) {
        return -1;
    }
    auto queued = std::make_unique<Queued>();
    queued->tag = tag;
    queued->header.lpData = reinterpret_cast<LPSTR>(const_cast<uint8_t*>(data));
    queued->header.dwBufferLength = static_cast<DWORD>(length - length % frame);
    MMRESULT result = waveOutPrepareHeader(wave_, &queued->header, sizeof(WAVEHDR));
    if (result == MMSYSERR_NOERROR) {
        result = waveOutWrite(wave_, &queued->header, sizeof(WAVEHDR));
        if (result != MMSYSERR_NOERROR) {
            waveOutUnprepareHeader(wave_, &queued->header, sizeof(WAVEHDR));
        }
    }
    if (result != MMSYSERR_NOERROR) {
        last_error_ = "\"" + name_ + "\": " + ErrorText(result);
        return -1;
    }
    queued_.push_back(std::move(queued));
    return 0;
}

void WaveOutSoundDevice::Watch() {
    while (!stopping_) {
        WaitForSingleObject(done_event_, kWatchTickMs);
        GiveBack(false, true);
    }
}

void WaveOutSoundDevice::GiveBack(bool all, bool played) {
    std::lock_guard<std::mutex> lock(mutex_);
    while (!queued_.empty() && (all || (queued_.front()->header.dwFlags & WHDR_DONE) != 0)) {
        std::unique_ptr<Queued> front = std::move(queued_.front());
        queued_.pop_front();
        waveOutUnprepareHeader(wave_, &front->header, sizeof(WAVEHDR));
        client_->OnBufferDone(front->tag, played);
    }
}

void WaveOutSoundDevice::Reset() {
    if (wave_ == nullptr) {
        return;
    }
    waveOutReset(wave_); // marks every queued buffer done
    GiveBack(true, false);
}

void WaveOutSoundDevice::Pause() {
    if (wave_ != nullptr) {
        waveOutPause(wave_);
    }
}

void WaveOutSoundDevice::Restart() {
    if (wave_ != nullptr) {
        waveOutRestart(wave_);
    }
}

void WaveOutSoundDevice::Close() {
    if (wave_ == nullptr) {
        return;
    }
    Reset();
    stopping_ = true;
    SetEvent(done_event_);
    watcher_.join();
    waveOutClose(wave_);
    wave_ = nullptr;
    CloseHandle(done_event_);
    done_event_ = nullptr;
    SoundDeviceClient* client = client_;
    client_ = nullptr;
    client->OnDeviceClosed();
}

std::string WaveOutSoundDevice::LastError() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return last_error_;
}

} // namespace

std::unique_ptr<SoundDevice> CreateSoundDevice(const std::string& name) {
    return std::make_unique<WaveOutSoundDevice>(name);
}

} // namespace sonarel
