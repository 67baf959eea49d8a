// Scale factor band boundaries of Layer III for the nine sampling rates.
#pragma once

#include "mp3/layer3_types.h"

#include <cstdint>

namespace sonarel::mp3 {

struct SfBandTable {
    int16_t long_bounds[23];  // line numbers 0..576
    int16_t short_bounds[14]; // line numbers within one window, 0..192
};

// Set table_group * 3 + sample_rate_index (group 0 MPEG-2, 1 MPEG-1, 2 MPEG-2.5).
const SfBandTable& SfBandTableFor(int table_group, int sample_rate_index);

inline const SfBandTable& SfBandTableFor(const FrameParams& params) {
    return SfBandTableFor(params.table_group, params.sample_rate_index);
}

} // namespace sonarel::mp3
