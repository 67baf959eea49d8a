// Short-block reordering and the alias-reduction butterflies between subbands.
#include "mp3/reorder_antialias.h"

#include "mp3/sf_band_table.h"

#include <algorithm>

namespace sonarel::mp3 {

namespace {

// cs[k] = 1 / sqrt(1 + c[k]^2) and ca[k] = c[k] / sqrt(1 + c[k]^2) for the butterfly
// coefficients c = -0.6, -0.535, -0.33, -0.185, -0.095, -0.041, -0.0142, -0.0037.
constexpr float kCs[8] = {0.857492924f, 0.881742001f, 0.949628651f, 0.983314574f,
                          0.99551779f,  0.999160588f, 0.999899209f, 0.999993145f};
constexpr float kCa[8] = {-0.51449573f,   -0.471731961f,  -0.31337744f,   -0.181913197f,
                          -0.0945741907f, -0.0409655832f, -0.0141985686f, -0.00369997462f};

// The 8 kHz set of MPEG-2.5 has wider low bands: its long part spans four subbands.
bool HasWideMixedPart(const FrameParams& params) {
    return params.table_group == 2 && params.sample_rate_index == 2;
}

int CountSubbands(const GranuleInfo& gi, const SfBandTable& bands) {
    if (IsShortBlock(gi) && gi.long_bands_apply == 0) {
        return (3 * bands.short_bounds[gi.short_band_count] + kSubbandLines - 1) / kSubbandLines;
    }
    return (gi.nonzero_count + kSubbandLines - 1) / kSubbandLines;
}

void Butterflies(float* xr, int seam) {
    float* below = xr + kSubbandLines * seam + kSubbandLines - 1; // walks down
    float* above = xr + kSubbandLines * (seam + 1);               // walks up
    for (int k = 0; k < 8; ++k) {
        const float u = below[-k];
        const float v = above[k];
        below[-k] = u * kCs[k] - v * kCa[k];
        above[k] = v * kCs[k] + u * kCa[k];
    }
}

} // namespace

void ReorderShortBlocks(float* xr, const GranuleInfo& gi, const FrameParams& params) {
    if (!IsShortBlock(gi)) {
        return;
    }
    const int16_t* bounds = SfBandTableFor(params).short_bounds;
    float band[3 * 192];
    for (int b = gi.mixed_block_flag != 0 ? 3 : 0; b < 13; ++b) {
        const int first = 3 * bounds[b];
        const int width = bounds[b + 1] - bounds[b];
        std::copy(xr + first, xr + first + 3 * width, band);
        for (int n = 0; n < width; ++n) {
            for (int j = 0; j < 3; ++j) {
                xr[first + 3 * n + j] = band[j * width + n];
            }
        }
    }
}

void Antialias(float* xr, GranuleInfo& gi, const FrameParams& params, int downsample_shift) {
    gi.subband_count = CountSubbands(gi, SfBandTableFor(params));
    int seams;
    if (!IsShortBlock(gi)) {
        seams = std::min((kSubbands >> downsample_shift) - 1, gi.subband_count);
    } else if (gi.mixed_block_flag != 0) {
        seams = HasWideMixedPart(params) ? 3 : 1;
    } else {
        return;
    }
    for (int i = 0; i < seams; ++i) {
        Butterflies(xr, i);
    }
}

} // namespace sonarel::mp3
