// The decoder's input ring: finds frames, and keeps the parsed header of the frame at the
// read position. A search accepts a header only when the next header confirms it (or its
// frame ends exactly at the end of the input); once locked, every whole frame of the
// locked stream is taken.
#pragma once

#include "mp3/bit_ring_buffer.h"
#include "mp3/frame_header.h"
#include "mp3/mp3_status.h"

#include <cstdint>

namespace sonarel::mp3 {

class FrameSyncBuffer : public BitRingBuffer {
public:
    explicit FrameSyncBuffer(int requested_size);

    // Empties the ring and forgets the stream it was locked to.
    void Reset() override;

    // MP3_OK when a whole frame of the stream starts at the read position; consumed bits
    // are then 0 and Header() describes the frame. Otherwise one of the MP3_W_ codes.
    Mp3Status Sync();

    // Copies the next `count` bytes (from the read position, at any bit offset) without
    // consuming them.
    void PeekBytes(uint8_t* out, int count);

    const FrameHeader& Header() const { return header_; }
    Mp3Status Status() const { return status_; }
    uint32_t LockedPattern() const { return locked_pattern_; }

private:
    Mp3Status Search();
    Mp3Status Verify();
    uint32_t PeekAt(int offset);
    bool CrcMatches();
    Mp3Status StreamStartsInside(int frame_bits);

    FrameHeader header_;
    uint32_t locked_pattern_ = 0;
    Mp3Status status_ = MP3_W_SEARCHING;
};

} // namespace sonarel::mp3
