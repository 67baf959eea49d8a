// Polyphase synthesis filterbank and conversion to interleaved PCM.
#pragma once

#include <cstdint>

#include "mp3/decoder_options.h"
#include "mp3/layer3_types.h"
#include "mp3/synthesis_kernels.h"

namespace sonarel::mp3 {

class SynthesisFilterbank {
public:
    SynthesisFilterbank(const FrameParams& params, const DecoderOptions& options);

    // Clears the ring; the next slot is written at position 0.
    void Reset();

    // Synthesises one granule (18 time slots, synth_in laid out time-major: 32t + s)
    // and writes the PCM interleaved to out. Returns the pointer after the written bytes.
    uint8_t* Run(const float (*synth_in)[kGranuleLines], uint8_t* out);

private:
    void WindowFullRate(int channels, int32_t (*pcm)[kGranuleLines]);
    void WindowDownsampledSlots(int channels, int32_t (*pcm)[kGranuleLines]);

    const FrameParams& params_;
    DecoderOptions options_;
    const SynthesisKernels& kernels_;
    alignas(32) float v_[kMaxChannels][512];
    // The DCT outputs of the granule's 18 slots, folded, before they enter the ring.
    alignas(32) float folded_[kMaxChannels][kSubbandLines][32];
    // The granule's full-rate output sums before rounding, slot after slot.
    alignas(32) float sums_[kMaxChannels][kGranuleLines];
    int ring_pos_ = 32;
};

} // namespace sonarel::mp3
