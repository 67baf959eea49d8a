// IMDCT with windowing, overlap-add and frequency inversion, per channel and granule.
#pragma once

#include "mp3/layer3_types.h"

namespace sonarel::mp3 {

class HybridFilterbank {
public:
    HybridFilterbank(const FrameParams& params, int downsample_shift);

    // Clears the overlap of both channels.
    void Reset();

    // Transforms the channel's 576 lines in place into 32 runs of 18 subband samples.
    void Run(int ch, const GranuleInfo& gi, float* xr);

private:
    void Imdct36(float* x, float* overlap, const float* window);
    void ShortBlock(float* x, float* overlap);
    void Imdct12(const float* coefficients, int base);
    static void Dct9(const float* in, float* out);

    const FrameParams& params_;
    int downsample_shift_;
    float overlap_[kMaxChannels][kSubbands][kSubbandLines];
    float frame_[36];
    float even_[9];
    float odd_[9];
};

} // namespace sonarel::mp3
