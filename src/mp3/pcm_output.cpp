#include "mp3/pcm_output.h"

#include "mp3/simd.h"

#include <bit>
#include <cstring>

namespace sonarel::mp3 {

namespace {

void StoreLittleEndian16(uint8_t* out, uint16_t value) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &value, sizeof(value));
    } else {
        out[0] = static_cast<uint8_t>(value & 0xff);
        out[1] = static_cast<uint8_t>(value >> 8);
    }
}

void StoreLittleEndian32(uint8_t* out, uint32_t value) {
    StoreLittleEndian16(out, static_cast<uint16_t>(value & 0xffff));
    StoreLittleEndian16(out + 2, static_cast<uint16_t>(value >> 16));
}

} // namespace

// Four at a time. Adding 1.5 * 2^52 leaves no fraction bits, so the addition itself
// rounds, in the default mode (to nearest, ties to even), without a library call.
void RoundToPcm(const double* sums, int count, int32_t* pcm) {
    const Double4 low = {-32768.0, -32768.0, -32768.0, -32768.0};
    const Double4 high = {32767.0, 32767.0, 32767.0, 32767.0};
    const Double4 shift = {6755399441055744.0, 6755399441055744.0, 6755399441055744.0,
                           6755399441055744.0};
    for (int i = 0; i < count; i += 4) {
        Double4 x;
        std::memcpy(&x, sums + i, sizeof(x));
        x = x >= low ? x : low; // also catches a NaN
        x = x <= high ? x : high;
        const Int4 rounded = __builtin_convertvector((x + shift) - shift, Int4);
        std::memcpy(pcm + i, &rounded, sizeof(rounded));
    }
}

uint8_t* WritePcm(const int32_t (*pcm)[kGranuleLines], int channels, int count, bool eight_bit,
                  uint8_t* out) {
    if (eight_bit) {
        for (int i = 0; i < count; ++i) {
            for (int c = 0; c < channels; ++c) {
                *out++ = static_cast<uint8_t>((pcm[c][i] + 32768) >> 8);
            }
        }
    } else if (channels == 2) {
        for (int i = 0; i < count; ++i) {
            const uint32_t left = static_cast<uint16_t>(pcm[0][i]);
            const uint32_t right = static_cast<uint16_t>(pcm[1][i]);
            StoreLittleEndian32(out + 4 * i, left | (right << 16));
        }
        out += 4 * count;
    } else {
        for (int i = 0; i < count; ++i) {
            StoreLittleEndian16(out + 2 * i, static_cast<uint16_t>(pcm[0][i]));
        }
        out += 2 * count;
    }
    return out;
}

} // namespace sonarel::mp3
