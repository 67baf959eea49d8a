// Error concealment. A damaged granule is replaced by noise whose energy in every long
// scale factor band matches the mean magnitude spectrum of the last three stored
// long-block granules of its channel; the lowest band keeps those mean magnitudes with
// random signs. Both generators restart from fixed seeds at every reset, so a stream
// always conceals with the same noise.
#include "mp3/concealment.h"

#include "mp3/sf_band_table.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace sonarel::mp3 {

namespace {

constexpr int kSlots = 4;
constexpr int kBands = 22;

// Subtractive generator (Knuth; the ran3 form).
constexpr int32_t kModulus = 1000000000;
constexpr int32_t kSeedBase = 161803398;
constexpr float kScale = 1.0e-9f;

constexpr int kInitialSeed = 42;
constexpr uint32_t kInitialSignState = 1044180;

} // namespace

ConcealmentHistory::ConcealmentHistory() {
    Reset();
}

void ConcealmentHistory::Reset() {
    for (Channel& channel : channels_) {
        channel = Channel{};
    }
    std::fill(ma_, ma_ + 56, 0);
    inext_ = 0;
    inextp_ = 0;
    initialised_ = 0;
    seed_ = kInitialSeed;
    sign_state_ = kInitialSignState;
}

void ConcealmentHistory::Step(bool conceal, const FrameParams& params, SideInfo& side_info,
                              float* xr, int gr, int ch) {
    GranuleInfo& gi = side_info.Granule(gr, ch);
    if (conceal) {
        Conceal(channels_[ch], params, gi, xr);
    } else {
        Store(channels_[ch], gi, xr);
    }
}

void ConcealmentHistory::Store(Channel& channel, const GranuleInfo& gi, const float* xr) {
    // Short blocks carry a different spectrum layout; the history keeps long blocks only.
    if (gi.block_type == 2) {
        return;
    }
    Slot& slot = channel.slots[channel.next];
    std::copy(xr, xr + kGranuleLines, slot.lines);
    slot.lines[0] = 0.0f; // the line next to DC would come back as a low thump
    slot.info = gi;
    channel.mean_valid = 0;
    channel.next = (channel.next + 1) % kSlots;
}

void ConcealmentHistory::RebuildMean(Channel& channel, const FrameParams& params) {
    // The three newest slots; the one at `next` is the oldest and is left out.
    const float* s1 = channel.slots[(channel.next + 1) % kSlots].lines;
    const float* s2 = channel.slots[(channel.next + 2) % kSlots].lines;
    const float* s3 = channel.slots[(channel.next + 3) % kSlots].lines;
    for (int j = 0; j < kGranuleLines; ++j) {
        float sum = std::fabs(s1[j]);
        sum += std::fabs(s2[j]);
        sum += std::fabs(s3[j]);
        channel.mean_lines[j] = sum * 0.33333334f;
    }
    const int16_t* bounds = SfBandTableFor(params).long_bounds;
    for (int b = 0; b < kBands; ++b) {
        double energy = 0.0;
        for (int j = bounds[b]; j < bounds[b + 1]; ++j) {
            const double line = channel.mean_lines[j];
            energy += line * line;
        }
        channel.band_energy[b] = static_cast<float>(energy);
    }
    channel.mean_valid = 1;
}

void ConcealmentHistory::Conceal(Channel& channel, const FrameParams& params, GranuleInfo& gi,
                                 float* xr) {
    if (channel.mean_valid == 0) {
        RebuildMean(channel, params);
    }
    gi = channel.slots[(channel.next + kSlots - 1) % kSlots].info;

    const int16_t* bounds = SfBandTableFor(params).long_bounds;
    for (int b = 0; b < kBands; ++b) {
        const int begin = bounds[b];
        const int end = bounds[b + 1];
        const float target = channel.band_energy[b];
        if (target <= 0.0f) {
            std::fill(xr + begin, xr + end, 0.0f);
            continue;
        }
        double drawn = 0.0;
        for (int j = begin; j < end; ++j) {
            if (b == 0) {
                xr[j] = NextSign() != 0 ? channel.mean_lines[j] : -channel.mean_lines[j];
            } else {
                xr[j] = NextUniform() - 0.5f;
            }
            drawn += static_cast<double>(xr[j]) * xr[j];
        }
        if (drawn != 0.0) {
            const float factor = static_cast<float>(std::sqrt(target / drawn));
            for (int j = begin; j < end; ++j) {
                xr[j] *= factor;
            }
        }
    }
    gi.nonzero_count = bounds[kBands];
    gi.subband_count = kBands;
}

float ConcealmentHistory::NextUniform() {
    if (seed_ < 0 || initialised_ == 0) {
        initialised_ = 1;
        int32_t mj = (kSeedBase - std::abs(seed_)) % kModulus;
        ma_[55] = mj;
        int32_t mk = 1;
        for (int i = 1; i <= 54; ++i) {
            const int ii = (21 * i) % 55;
            ma_[ii] = mk;
            mk = mj - mk;
            if (mk < 0) {
                mk += kModulus;
            }
            mj = ma_[ii];
        }
        for (int round = 0; round < 4; ++round) {
            for (int i = 1; i <= 55; ++i) {
                ma_[i] -= ma_[1 + (i + 30) % 55];
                if (ma_[i] < 0) {
                    ma_[i] += kModulus;
                }
            }
        }
        inext_ = 0;
        inextp_ = 31;
        seed_ = 1;
    }
    if (++inext_ == 56) {
        inext_ = 1;
    }
    if (++inextp_ == 56) {
        inextp_ = 1;
    }
    int32_t mj = ma_[inext_] - ma_[inextp_];
    if (mj < 0) {
        mj += kModulus;
    }
    ma_[inext_] = mj;
    return static_cast<float>(mj) * kScale;
}

int ConcealmentHistory::NextSign() {
    const uint32_t state = sign_state_;
    if ((state & 0x80000000u) != 0) {
        sign_state_ = ((state ^ 9u) << 1) | 1u;
        return 1;
    }
    sign_state_ = state << 1;
    return 0;
}

} // namespace sonarel::mp3
