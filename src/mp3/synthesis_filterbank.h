// Polyphase synthesis filterbank and conversion to interleaved PCM.
#pragma once

#include "mp3/decoder_options.h"
#include "mp3/layer3_types.h"
#include "mp3/synthesis_kernels.h"

#include <cstdint>

namespace sonarel::mp3 {

class SynthesisFilterbank {
public:
    SynthesisFilterbank(const FrameParams& params, const DecoderOptions& options);

    // Clears the ring; the next slot is written at position 0.
    void Reset();

    // Synthesises one granule (18 time slots of 32 subbands, laid out subband by
    // subband as the hybrid filterbank leaves them: lines[c][18s + t]) and writes the
    // PCM interleaved to out. Returns the pointer after the written bytes.
    uint8_t* Run(const float (*lines)[kGranuleLines], uint8_t* out);

private:
    uint8_t* WindowFullRate(int channels, uint8_t* out);
    void WindowDownsampledSlots(int channels, int32_t (*pcm)[kGranuleLines]);

    const FrameParams& params_;
    DecoderOptions options_;
    const SynthesisKernels& kernels_;
    // The ring of each channel; at full rate its second half mirrors the first.
    alignas(32) float v_[kMaxChannels][2 * 512];
    // The DCT outputs of the granule's 18 slots, folded, before they enter the ring.
    alignas(32) float folded_[kMaxChannels][kSubbandLines][32];
    // The granule's full-rate output sums before rounding, slot after slot.
    alignas(32) float sums_[kMaxChannels][kGranuleLines];
    int ring_pos_ = 32;
};

} // namespace sonarel::mp3
