// Joint-stereo decoding (mid/side, intensity) of one granule, band by band, and the
// mono downmix that folds both channels into the left one in the same pass.
#include "mp3/stereo.h"

#include "mp3/sf_band_table.h"
#include "mp3/simd.h"
#include "mp3/stereo_tables.h"

#include <algorithm>

namespace sonarel::mp3 {

namespace {

constexpr double kInvSqrt2 = 0.70710678118654752440;

// What every band operation needs besides its line range.
struct StereoPass {
    float* left;
    float* right;
    const GranuleInfo& right_info;
    const ScaleFactors& right_scalefac;
    const SfBandTable& bands;
    bool is_mpeg1;
    bool intensity_on;
    bool mid_side_on;
    bool mono;
    MidSideLines mid_side;
};

// Four lines at a time, with the same roundings as the lines after them.
SONAREL_INLINE_INTO_CLONES void MidSideLinesOf(float* left, float* right, int begin, int end) {
    int i = begin;
    for (; i + 4 <= end; i += 4) {
        const Float4 mid = LoadFloat4(left + i);
        const Float4 side = LoadFloat4(right + i);
        const Double4 sum = __builtin_convertvector(mid + side, Double4);
        const Double4 difference = __builtin_convertvector(mid - side, Double4);
        StoreFloat4(left + i, __builtin_convertvector(sum * kInvSqrt2, Float4));
        StoreFloat4(right + i, __builtin_convertvector(difference * kInvSqrt2, Float4));
    }
    for (; i < end; ++i) {
        const float mid = left[i];
        const float side = right[i];
        left[i] = static_cast<float>((mid + side) * kInvSqrt2);
        right[i] = static_cast<float>((mid - side) * kInvSqrt2);
    }
}

void MidSideLinesPortable(float* left, float* right, int begin, int end) {
    MidSideLinesOf(left, right, begin, end);
}

#ifdef SONAREL_X86_64
// The same code, each four-double vector in one register.
SONAREL_TARGET_AVX2
void MidSideLinesAvx2(float* left, float* right, int begin, int end) {
    MidSideLinesOf(left, right, begin, end);
}
#endif

void AverageChannels(const StereoPass& pass, int begin, int end) {
    if (!pass.mono) {
        return;
    }
    for (int i = begin; i < end; ++i) {
        pass.left[i] = (pass.left[i] + pass.right[i]) * 0.5f;
    }
}

void MidSide(const StereoPass& pass, int begin, int end) {
    float* left = pass.left;
    float* right = pass.right;
    if (pass.mono) {
        // The mean of (M+S)/sqrt2 and (M-S)/sqrt2 is M/sqrt2.
        for (int i = begin; i < end; ++i) {
            left[i] = static_cast<float>(left[i] * kInvSqrt2);
        }
        return;
    }
    pass.mid_side(left, right, begin, end);
}

void Scale(float* lines, int begin, int end, float factor) {
    for (int i = begin; i < end; ++i) {
        lines[i] *= factor;
    }
}

void IntensityMpeg1(const StereoPass& pass, int begin, int end, int position) {
    if (pass.mono) {
        Scale(pass.left, begin, end, 0.5f); // the two factors add up to 1
        return;
    }
    const float left_factor = kIntensityMpeg1Left[position];
    const float right_factor = kIntensityMpeg1Right[position];
    for (int i = begin; i < end; ++i) {
        pass.right[i] = pass.left[i] * right_factor;
        pass.left[i] *= left_factor;
    }
}

void IntensityMpeg2(const StereoPass& pass, int begin, int end, int position) {
    const float* k = kIntensityMpeg2[pass.right_info.intensity_scale & 1];
    const bool odd = (position & 1) != 0;
    // A five-bit position reaches index 16 only as its own illegal value; stay inside
    // the table whatever the limits say.
    const float factor = k[std::min(odd ? (position + 1) / 2 : position / 2, 15)];
    if (pass.mono) {
        // One channel keeps the signal, the other is attenuated: store their mean.
        Scale(pass.left, begin, end, (1.0f + factor) * 0.5f);
        return;
    }
    if (odd) {
        std::copy(pass.left + begin, pass.left + end, pass.right + begin);
        Scale(pass.left, begin, end, factor);
    } else {
        for (int i = begin; i < end; ++i) {
            pass.right[i] = pass.left[i] * factor;
        }
    }
}

// Lines [begin, end) of the left channel carry the intensity-coded signal.
void IntensityStereo(const StereoPass& pass, int begin, int end, int position) {
    if (pass.is_mpeg1) {
        IntensityMpeg1(pass, begin, end, position);
    } else {
        IntensityMpeg2(pass, begin, end, position);
    }
}

// A position is usable unless it is the band's illegal value. MPEG-1 fields of four
// bits can carry 8..15, which no encoder writes and no ratio exists for; such bands are
// decoded like the illegal position.
bool IsIntensityPosition(const StereoPass& pass, int position, int limit) {
    if (position == limit) {
        return false;
    }
    return !pass.is_mpeg1 || position < kMpeg1IntensityPositions;
}

void ProcessBand(const StereoPass& pass, int begin, int end, bool in_intensity_region, int position,
                 int limit) {
    if (in_intensity_region && pass.intensity_on && IsIntensityPosition(pass, position, limit)) {
        IntensityStereo(pass, begin, end, position);
    } else if (pass.mid_side_on) {
        MidSide(pass, begin, end);
    } else {
        AverageChannels(pass, begin, end);
    }
}

// The top band (long 21, short 12) has no scale factor of its own: it continues the
// intensity position of the band below when that band is intensity-coded as well.
int PositionSource(int band, int top_band, int first_intensity) {
    return band == top_band && first_intensity < top_band ? top_band - 1 : band;
}

void ProcessLongBands(const StereoPass& pass, int first_band, int end_band, int first_intensity) {
    constexpr int kTopBand = 21;
    const int16_t* bounds = pass.bands.long_bounds;
    for (int b = first_band; b < end_band; ++b) {
        const int source = PositionSource(b, kTopBand, first_intensity);
        ProcessBand(pass, bounds[b], bounds[b + 1], b >= first_intensity,
                    pass.right_scalefac.Long(source), pass.right_scalefac.LongLimit(source));
    }
}

// Short bands of one window, still in transmission order (band by band, window by window).
void ProcessShortBands(const StereoPass& pass, int window, int first_band, int end_band,
                       int first_intensity) {
    constexpr int kTopBand = 12;
    const int16_t* bounds = pass.bands.short_bounds;
    for (int b = first_band; b < end_band; ++b) {
        const int width = bounds[b + 1] - bounds[b];
        const int begin = 3 * bounds[b] + window * width;
        const int source = PositionSource(b, kTopBand, first_intensity);
        ProcessBand(pass, begin, begin + width, b >= first_intensity,
                    pass.right_scalefac.Short(window, source),
                    pass.right_scalefac.ShortLimit(source));
    }
}

void ProcessLongBlock(const StereoPass& pass, const GranuleInfo& left) {
    const GranuleInfo& right = pass.right_info;
    const int end_band = std::max(left.long_band_count, right.long_band_count);
    if (!pass.intensity_on) {
        // Every band is treated alike: one pass over all their lines.
        ProcessBand(pass, 0, pass.bands.long_bounds[end_band], false, 0, 0);
        return;
    }
    ProcessLongBands(pass, 0, end_band, right.long_band_count);
}

void ProcessShortBlock(const StereoPass& pass, const GranuleInfo& left) {
    const GranuleInfo& right = pass.right_info;
    const int end_band = std::max(left.short_band_count, right.short_band_count);
    for (int w = 0; w < 3; ++w) {
        const int first_intensity = pass.intensity_on ? right.window_band_count[w] : 13;
        ProcessShortBands(pass, w, 0, end_band, first_intensity);
    }
}

void ProcessMixedBlock(const StereoPass& pass, const GranuleInfo& left) {
    const GranuleInfo& right = pass.right_info;
    const bool long_part_only = right.long_bands_apply != 0;
    const int long_end = pass.is_mpeg1 ? 8 : 6;
    const int long_first_intensity =
        (pass.intensity_on && long_part_only) ? right.long_band_count : 22;
    ProcessLongBands(pass, 0, long_end, long_first_intensity);

    const int end_band = std::max(left.short_band_count, right.short_band_count);
    for (int w = 0; w < 3; ++w) {
        int first_intensity = right.window_band_count[w];
        if (!pass.intensity_on) {
            first_intensity = 13;
        } else if (long_part_only) {
            first_intensity = 0;
        }
        ProcessShortBands(pass, w, 3, end_band, first_intensity);
    }
}

void RaiseCounts(GranuleInfo& target, const GranuleInfo& other) {
    target.nonzero_count = std::max(target.nonzero_count, other.nonzero_count);
    target.long_band_count = std::max(target.long_band_count, other.long_band_count);
    target.short_band_count = std::max(target.short_band_count, other.short_band_count);
    for (int w = 0; w < 3; ++w) {
        target.window_band_count[w] =
            std::max(target.window_band_count[w], other.window_band_count[w]);
    }
}

} // namespace

MidSideLines MidSideLinesFor(VectorPath path) {
#ifdef SONAREL_X86_64
    if (path == VectorPath::kAvx2) {
        return MidSideLinesAvx2;
    }
#endif
    (void)path;
    return MidSideLinesPortable;
}

void StereoProcess(float* xr_left, float* xr_right, GranuleInfo& left, GranuleInfo& right,
                   const ScaleFactors& right_scalefac, const FrameParams& params, bool mono,
                   MidSideLines mid_side) {
    if (params.channels != 2) {
        return;
    }
    const StereoPass pass{xr_left,
                          xr_right,
                          right,
                          right_scalefac,
                          SfBandTableFor(params),
                          params.is_mpeg1 != 0,
                          (params.mode_extension & 1) != 0,
                          (params.mode_extension & 2) != 0,
                          mono,
                          mid_side};
    if (params.mode != 1) {
        AverageChannels(pass, 0, std::max(left.nonzero_count, right.nonzero_count));
    } else if (!IsShortBlock(left)) {
        ProcessLongBlock(pass, left);
    } else if (left.mixed_block_flag == 0) {
        ProcessShortBlock(pass, left);
    } else {
        ProcessMixedBlock(pass, left);
    }
    // Mid/side spreads the lines of either channel into both, intensity stereo the left
    // channel's into the right one, and the downmix the right channel's into the left:
    // the later stages must see every line that now carries signal, in both channels.
    if (params.mode == 1) {
        RaiseCounts(right, left);
    }
    if (params.mode == 1 || mono) {
        RaiseCounts(left, right);
    }
}

} // namespace sonarel::mp3
