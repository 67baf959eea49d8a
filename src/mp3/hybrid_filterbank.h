// IMDCT with windowing, overlap-add and frequency inversion, per channel and granule.
#pragma once

#include "mp3/layer3_types.h"
#include "mp3/simd.h"

namespace sonarel::mp3 {

class HybridFilterbank {
public:
    HybridFilterbank(const FrameParams& params, int downsample_shift);

    // Clears the overlap of both channels.
    void Reset();

    // Transforms the channel's 576 lines in place into 32 runs of 18 subband samples.
    void Run(int ch, const GranuleInfo& gi, float* xr);

private:
    static constexpr int kGroups = kSubbands / 4;

    void RunGroup(int group, int type, Float4* overlap, float* xr) const;
    void RunSubband(int s, int type, Float4* overlap, float* xr) const;

    const FrameParams& params_;
    int downsample_shift_;
    // The second halves of the last granule's windowed outputs, kept four subbands to a
    // vector: overlap_[ch][s / 4][k] lane s % 4 is sample k of subband s.
    Float4 overlap_[kMaxChannels][kGroups][kSubbandLines];
};

} // namespace sonarel::mp3
