#include "mp3/requantize.h"

#include <bit>
#include <cmath>
#include <cstring>

#include "mp3/requantize_tables.h"
#include "mp3/sf_band_table.h"

namespace sonarel::mp3 {

// 32768 * 2^(-k/4) for any index. Outside the table the gain is a table entry scaled by
// a power of two, which is exact: an escape value near 8206 (about 2^17 after the power)
// still carries more than a sample's worth of signal at k = 128, and the largest global
// gain makes k as low as -45, which is loud but must not turn into silence.
float GainForIndex(int k) {
    if (k >= 0 && k < kGainSteps) {
        return kGainTable[k];
    }
    return std::ldexp(kGainTable[k & 3], -(k >> 2));
}

namespace {

// Escape values of 128 and more are rare: their power is computed exactly, and the sign
// of q goes onto the (non-negative) magnitude.
float LargeLine(int32_t q, float gain) {
    const double m = std::abs(static_cast<double>(q));
    const float magnitude = static_cast<float>(std::pow(m, 4.0 / 3.0) * gain);
    return std::bit_cast<float>(std::bit_cast<uint32_t>(magnitude) |
                                (static_cast<uint32_t>(q) & 0x80000000u));
}

// Lines first..end-1 with one gain; kept inline in the band loops, where nearly all the
// time of this stage goes. A float product of two floats is rounded once, exactly as
// the double product rounded to float would be, and negating a factor negates the
// product exactly, so a signed table gives the same values as a sign applied after.
inline void RequantizeLines(const int32_t* ix, float* xr, int first, int end, float gain) {
    constexpr int32_t kMiddle = kPowTableSize - 1;
    for (int i = first; i < end; ++i) {
        const int32_t q = ix[i];
        const uint32_t index = static_cast<uint32_t>(q + kMiddle);
        if (index < static_cast<uint32_t>(kSignedPowTableSize)) [[likely]] {
            xr[i] = kSignedPowTable[index] * gain;
        } else {
            xr[i] = LargeLine(q, gain);
        }
    }
}

int LongGainIndex(const GranuleInfo& gi, const ScaleFactors& sf, int band) {
    const int s = sf.Long(band) + gi.preflag * kPretab[band];
    return 210 - gi.global_gain + 2 * (1 + gi.scalefac_scale) * s;
}

int ShortGainIndex(const GranuleInfo& gi, const ScaleFactors& sf, int window, int band) {
    return 210 - gi.global_gain + 8 * gi.subblock_gain[window] +
           2 * (1 + gi.scalefac_scale) * sf.Short(window, band);
}

void RequantizeLong(const int32_t* ix, float* xr, const GranuleInfo& gi, const ScaleFactors& sf,
                    const int16_t* l, int band_count) {
    for (int band = 0; band < band_count; ++band) {
        RequantizeLines(ix, xr, l[band], l[band + 1], GainForIndex(LongGainIndex(gi, sf, band)));
    }
}

void RequantizeShort(const int32_t* ix, float* xr, const GranuleInfo& gi, const ScaleFactors& sf,
                     const int16_t* s, int first_band, int band_count) {
    for (int band = first_band; band < band_count; ++band) {
        const int width = s[band + 1] - s[band];
        for (int window = 0; window < 3; ++window) {
            const int first = 3 * s[band] + window * width;
            RequantizeLines(ix, xr, first, first + width,
                            GainForIndex(ShortGainIndex(gi, sf, window, band)));
        }
    }
}

} // namespace

void RequantizeBand(const int32_t* ix, float* xr, int first, int end, int k) {
    RequantizeLines(ix, xr, first, end, GainForIndex(k));
}

void Requantize(const int32_t* ix, float* xr, const GranuleInfo& gi, const ScaleFactors& scalefac,
                const FrameParams& params) {
    const SfBandTable& bands = SfBandTableFor(params);
    if (!IsShortBlock(gi)) {
        RequantizeLong(ix, xr, gi, scalefac, bands.long_bounds, gi.long_band_count);
    } else if (!gi.mixed_block_flag) {
        RequantizeShort(ix, xr, gi, scalefac, bands.short_bounds, 0, gi.short_band_count);
    } else {
        RequantizeLong(ix, xr, gi, scalefac, bands.long_bounds, params.is_mpeg1 ? 8 : 6);
        if (!gi.long_bands_apply) {
            RequantizeShort(ix, xr, gi, scalefac, bands.short_bounds, 3, gi.short_band_count);
        }
    }
    const int tail = gi.nonzero_count;
    std::memset(xr + tail, 0, sizeof(float) * static_cast<size_t>(kGranuleLines - tail));
}

} // namespace sonarel::mp3
