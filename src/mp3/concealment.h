// Error concealment: noise shaped from the recent long-block granules of a channel.
#pragma once

#include "mp3/layer3_types.h"

#include <cstdint>

namespace sonarel::mp3 {

class ConcealmentHistory {
public:
    ConcealmentHistory();

    // Empties the history and re-seeds both generators (seed 42, sign state 1044180).
    void Reset();

    // Store mode (conceal false) records a good granule; conceal mode replaces the
    // granule's GranuleInfo and its xr lines by concealment.
    void Step(bool conceal, const FrameParams& params, SideInfo& side_info, float* xr, int gr,
              int ch);

private:
    struct Slot {
        GranuleInfo info;
        float lines[kGranuleLines];
    };
    struct Channel {
        int next;
        Slot slots[4];
        float mean_lines[kGranuleLines];
        float band_energy[22];
        int mean_valid;
    };

    void Store(Channel& channel, const GranuleInfo& gi, const float* xr);
    void Conceal(Channel& channel, const FrameParams& params, GranuleInfo& gi, float* xr);
    void RebuildMean(Channel& channel, const FrameParams& params);
    float NextUniform();
    int NextSign();

    Channel channels_[kMaxChannels];
    int32_t ma_[56];
    int inext_;
    int inextp_;
    int initialised_;
    int seed_;
    uint32_t sign_state_;
};

} // namespace sonarel::mp3
