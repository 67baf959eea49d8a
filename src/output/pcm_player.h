// The optional second output of the PCM pump: a player that plays PCM on a sound
// device. The pump opens it on its source's format, hands it each chunk in pieces of
// the player's buffer size, reopens it when the source's format changes and drains it
// at the end of the source.
#pragma once

#include "io/wave_format.h"

#include <cstdint>

namespace sonarel {

class PcmPlayer {
public:
    virtual ~PcmPlayer() = default;

    // Opens the device for the format with buffers of buffer_size bytes.
    // 0 on success; -1 when the format is null or the device cannot be opened.
    virtual int Open(const WaveFormatHolder* format, int32_t buffer_size) = 0;
    // Stops playing at once and releases the device; nothing when not open.
    virtual void Close() = 0;
    // Takes up to one buffer of the data: the bytes taken, 0 when no buffer is free
    // right now, negative when not open or the device refused a buffer. May block
    // while all device buffers are queued, which paces the caller to real time.
    virtual int Write(const uint8_t* data, int32_t length) = 0;
    // Sends what is still held and waits (bounded) until the device has played it.
    virtual void Flush() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool IsPaused() const = 0;
    // Pauses a playing device, resumes a paused one.
    virtual void TogglePause() = 0;
    // Bytes per device buffer: the most one Write takes.
    virtual int32_t GetBufferSize() const = 0;
};

} // namespace sonarel
