// The full-rate window of the polyphase synthesis and the rounding of its sums to PCM,
// compiled once per vector path. Sums are single precision: each output adds 16 products
// in a fixed order, the same in every copy, which stays well within one step of the
// 16-bit output.
#pragma once

#include "mp3/decoder_options.h"
#include "mp3/layer3_types.h"

#include <cstdint>

namespace sonarel::mp3 {

// A window laid out for the full-rate loop, which produces outputs 1..15 and their
// mirrors 31..17 side by side: coeff[m][q][j] is row j's entry 4m + q. Column 0 serves
// outputs 0 and 16, which read different ring values: out[16] takes entry 3 of row 0,
// out[0] takes entry 0 and, from 16 values further on, entry 2 (kept in `centre`).
struct FullRateWindow {
    int taps;
    int ring_offset; // where the first tap starts, after the newest slot
    alignas(32) float coeff[8][4][16];
    float centre[8];
};

struct SynthesisKernels {
    // The 32-point DCTs of the 18 slots of one channel, whose samples come subband by
    // subband (lines[18s + t]), into the folded order of the ring: folded[t][p].
    void (*transform_slots)(const float* lines, float (*folded)[kSubbands]);
    // The 18 folded slots of one channel enter the ring one by one, each at the next
    // position down from ring_pos, and each is followed by its 32 sums. The ring holds
    // 512 values and after them a copy of the same 512, so that no tap wraps.
    void (*window_granule)(float* ring, int ring_pos, const float (*folded)[kSubbands],
                           const FullRateWindow& window, float* sums);
    // Nearest integers with ties to even, clamped to -32768..32767 (NaN gives -32768).
    // count is a multiple of 8.
    void (*round_to_pcm)(const float* sums, int count, int32_t* pcm);
    // The granule's sums of each channel rounded as above and written as interleaved
    // 16-bit little-endian samples; returns the pointer after them.
    uint8_t* (*write_pcm16)(const float (*sums)[kGranuleLines], int channels, uint8_t* out);
};

// The copy for a path that ResolveVectorPath returned.
const SynthesisKernels& SynthesisKernelsFor(VectorPath path);

} // namespace sonarel::mp3
