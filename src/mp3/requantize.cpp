#include "mp3/requantize.h"

#include "mp3/simd.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#ifdef SONAREL_X86_64
#include <immintrin.h>
#endif

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

// A float product of two floats is rounded once, exactly as the double product rounded
// to float would be, and negating a factor negates the product exactly, so a signed table
// gives the same values as a sign applied after.
inline float RequantizeLine(int32_t q, float gain) {
    const uint32_t index = static_cast<uint32_t>(q + kPowTableSize - 1);
    if (index < static_cast<uint32_t>(kSignedPowTableSize)) [[likely]] {
        return kSignedPowTable[index] * gain;
    }
    return LargeLine(q, gain);
}

void RequantizeLinesPortable(const int32_t* ix, const float* gains, int count, float* xr) {
    for (int i = 0; i < count; ++i) {
        xr[i] = RequantizeLine(ix[i], gains[i]);
    }
}

#ifdef SONAREL_X86_64
// Eight lines at a time through one table gather; a group with a line outside the
// table goes line by line.
SONAREL_TARGET_AVX2
void RequantizeLinesAvx2(const int32_t* ix, const float* gains, int count, float* xr) {
    const __m256i middle = _mm256_set1_epi32(kPowTableSize - 1);
    const __m256i last = _mm256_set1_epi32(kSignedPowTableSize - 1);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i index =
            _mm256_add_epi32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(ix + i)), middle);
        // Unsigned: a negative index is out of the table as well.
        const __m256i inside = _mm256_cmpeq_epi32(_mm256_max_epu32(index, last), last);
        if (_mm256_movemask_ps(_mm256_castsi256_ps(inside)) != 0xFF) {
            RequantizeLinesPortable(ix + i, gains + i, 8, xr + i);
            continue;
        }
        const __m256 powers = _mm256_i32gather_ps(kSignedPowTable.data(), index, 4);
        _mm256_storeu_ps(xr + i, _mm256_mul_ps(powers, _mm256_loadu_ps(gains + i)));
    }
    RequantizeLinesPortable(ix + i, gains + i, count - i, xr + i);
}
#endif

int LongGainIndex(const GranuleInfo& gi, const ScaleFactors& sf, int band) {
    const int s = sf.Long(band) + gi.preflag * kPretab[band];
    return 210 - gi.global_gain + 2 * (1 + gi.scalefac_scale) * s;
}

int ShortGainIndex(const GranuleInfo& gi, const ScaleFactors& sf, int window, int band) {
    return 210 - gi.global_gain + 8 * gi.subblock_gain[window] +
           2 * (1 + gi.scalefac_scale) * sf.Short(window, band);
}

// Band widths are even and bands are filled in line order, so four at a time may run
// two lines into the next band (or the array's spare lines), which is filled after.
constexpr int kGainSpare = 2;

void FillGain(float* gains, int first, int end, float gain) {
    const Float4 lanes = {gain, gain, gain, gain};
    for (int i = first; i < end; i += 4) {
        StoreFloat4(gains + i, lanes);
    }
}

// Fills gains for the lines of the long bands below band_count; returns their end.
int LongGains(const GranuleInfo& gi, const ScaleFactors& sf, const int16_t* l, int band_count,
              float* gains) {
    for (int band = 0; band < band_count; ++band) {
        FillGain(gains, l[band], l[band + 1], GainForIndex(LongGainIndex(gi, sf, band)));
    }
    return l[band_count];
}

// The same for short bands first_band .. band_count - 1, whose lines are still in
// transmission order (band by band, window by window).
int ShortGains(const GranuleInfo& gi, const ScaleFactors& sf, const int16_t* s, int first_band,
               int band_count, float* gains) {
    for (int band = first_band; band < band_count; ++band) {
        const int width = s[band + 1] - s[band];
        for (int window = 0; window < 3; ++window) {
            const int first = 3 * s[band] + window * width;
            FillGain(gains, first, first + width,
                     GainForIndex(ShortGainIndex(gi, sf, window, band)));
        }
    }
    return 3 * s[band_count];
}

} // namespace

LineRequantizer LineRequantizerFor(VectorPath path) {
#ifdef SONAREL_X86_64
    if (path == VectorPath::kAvx2) {
        return RequantizeLinesAvx2;
    }
#endif
    (void)path;
    return RequantizeLinesPortable;
}

// The bands of every block kind tile the lines from 0 on without gaps: their gains are
// laid out line by line first, then all lines go through the table in one pass.
void Requantize(const int32_t* ix, float* xr, const GranuleInfo& gi, const ScaleFactors& scalefac,
                const FrameParams& params, LineRequantizer lines) {
    const SfBandTable& bands = SfBandTableFor(params);
    alignas(32) float gains[kGranuleLines + kGainSpare];
    int end = 0;
    if (!IsShortBlock(gi)) {
        end = LongGains(gi, scalefac, bands.long_bounds, gi.long_band_count, gains);
    } else if (!gi.mixed_block_flag) {
        end = ShortGains(gi, scalefac, bands.short_bounds, 0, gi.short_band_count, gains);
    } else {
        end = LongGains(gi, scalefac, bands.long_bounds, params.is_mpeg1 ? 8 : 6, gains);
        if (!gi.long_bands_apply) {
            end = std::max(
                end, ShortGains(gi, scalefac, bands.short_bounds, 3, gi.short_band_count, gains));
        }
    }
    lines(ix, gains, end, xr);
    const int tail = gi.nonzero_count;
    std::memset(xr + tail, 0, sizeof(float) * static_cast<size_t>(kGranuleLines - tail));
}

} // namespace sonarel::mp3
