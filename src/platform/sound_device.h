// A PCM output device that plays submitted buffers in order and reports each one back
// when it is finished with it, the way a wave output device returns its headers. The
// caller owns every buffer; the device reads it until it reports the buffer done.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace sonarel {

struct SoundFormat {
    uint32_t samples_per_second = 0;
    uint16_t channels = 0;
    uint16_t bits_per_sample = 0; // 8 (unsigned) or 16 (signed, little-endian)

    uint32_t FrameBytes() const { return channels * (bits_per_sample / 8u); }
};

// Receives the device's completion notices. They arrive on a thread of the device (or,
// for buffers given back by Reset and Close, on the thread that called them) and must
// not call back into the device.
class SoundDeviceClient {
public:
    virtual ~SoundDeviceClient() = default;

    // The buffer submitted with tag is done: played to its end (played = true), or
    // given back unplayed by Reset or Close (played = false). Once per submitted buffer.
    virtual void OnBufferDone(uint32_t tag, bool played) = 0;
    // The device has been closed; no further notices follow.
    virtual void OnDeviceClosed() = 0;
};

class SoundDevice {
public:
    virtual ~SoundDevice() = default;

    // Opens the device for the format; notices go to client. 0 on success, otherwise a
    // negative code and LastError() says why.
    virtual int Open(const SoundFormat& format, SoundDeviceClient* client) = 0;
    // Queues length bytes (whole sample frames; a trailing partial frame is ignored)
    // to play after everything queued before. 0, or negative when not open or failed.
    virtual int Submit(const uint8_t* data, int32_t length, uint32_t tag) = 0;
    // Stops at once and gives back every queued buffer unplayed before it returns.
    virtual void Reset() = 0;
    // Holds playback where it is; Restart continues from there.
    virtual void Pause() = 0;
    virtual void Restart() = 0;
    // Resets, releases the device and reports OnDeviceClosed. Nothing when not open.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // Why the last Open or Submit failed, for the user.
    virtual std::string LastError() const = 0;
};

// The device name the program plays on: the environment variable
// SONAREL_AUDIO_DEVICE when set and not empty, otherwise "default".
std::string DefaultSoundDeviceName();

// A device of the host by name: an ALSA PCM ("default", "null", "hw:0"...) on Linux, a
// waveOut device on Windows ("default" is the wave mapper, a number picks a device).
std::unique_ptr<SoundDevice> CreateSoundDevice(const std::string& name);

// A device on DefaultSoundDeviceName().
std::unique_ptr<SoundDevice> CreateDefaultSoundDevice();

} // namespace sonarel
