// Synthetic MPEG audio streams for the framer tests: real headers, silent payloads.
#pragma once

#include "io/mpeg_header.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace sonarel::test {

using Bytes = std::vector<uint8_t>;

// MPEG-1 Layer III, 44.1 kHz, joint stereo, no CRC; the bitrate index is or-ed in.
inline constexpr uint32_t kMpeg1Layer3 = 0xFFFB0044;
inline constexpr uint32_t k128 = kMpeg1Layer3 | 9u << 12;  // 417-byte frames
inline constexpr uint32_t k160 = kMpeg1Layer3 | 10u << 12; // 522-byte frames

// One frame: the header and an all-zero payload of the header's length (empty when
// the header is not usable).
inline Bytes Frame(uint32_t header) {
    MpegHeader parsed;
    if (ParseMpegHeader(header, parsed) != 0) {
        return {};
    }
    Bytes frame(static_cast<size_t>(parsed.frame_bits / 8), 0);
    for (size_t i = 0; i < 4; ++i) {
        frame[i] = static_cast<uint8_t>(header >> (24 - 8 * i));
    }
    return frame;
}

inline Bytes Concat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The headers' frames in order, the whole sequence `repeat` times.
inline Bytes Frames(std::initializer_list<uint32_t> headers, int repeat = 1) {
    Bytes out;
    for (int r = 0; r < repeat; ++r) {
        for (const uint32_t h : headers) {
            out = Concat(std::move(out), Frame(h));
        }
    }
    return out;
}

} // namespace sonarel::test
