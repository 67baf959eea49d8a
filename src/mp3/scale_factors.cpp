#include "mp3/scale_factors.h"

#include "mp3/scale_factor_tables.h"

namespace sonarel::mp3 {

namespace {

constexpr int kMpeg1IntensityLimit = 7;

int32_t Read(BitRingBuffer& reservoir, int bits) {
    return bits == 0 ? 0 : static_cast<int32_t>(reservoir.GetBits(bits));
}

// Reads count short bands from first_band on, each band's three windows in order.
int ReadShortBands(BitRingBuffer& reservoir, ScaleFactors& sf, int first_band, int count,
                   int slen) {
    for (int band = first_band; band < first_band + count; ++band) {
        for (int window = 0; window < 3; ++window) {
            sf.Short(window, band) = Read(reservoir, slen);
        }
        sf.ShortLimit(band) = kSlenMax[slen];
    }
    return first_band + count;
}

void ClearShortBand12(ScaleFactors& sf) {
    for (int window = 0; window < 3; ++window) {
        sf.Short(window, 12) = 0;
    }
}

void SetAllLimits(ScaleFactors& sf, bool long_limits, bool short_limits, int value) {
    for (int band = 0; long_limits && band < 23; ++band) {
        sf.LongLimit(band) = value;
    }
    for (int band = 0; short_limits && band < 13; ++band) {
        sf.ShortLimit(band) = value;
    }
}

void ReadMpeg1Long(BitRingBuffer& reservoir, ScaleFactors& sf, const GranuleInfo& gi,
                   const int32_t* scfsi, int gr) {
    for (int group = 0; group < 4; ++group) {
        if (gr != 0 && scfsi[group] != 0) {
            continue;
        }
        const int slen = group < 2 ? kSlen1[gi.scalefac_compress] : kSlen2[gi.scalefac_compress];
        for (int band = kScfsiGroupStart[group]; band < kScfsiGroupStart[group + 1]; ++band) {
            sf.Long(band) = Read(reservoir, slen);
        }
    }
    sf.Long(21) = sf.Long(22) = 0;
    SetAllLimits(sf, true, false, kMpeg1IntensityLimit);
}

void ReadMpeg1(BitRingBuffer& reservoir, ScaleFactors& sf, const GranuleInfo& gi,
               const int32_t* scfsi, int gr) {
    if (!IsShortBlock(gi)) {
        ReadMpeg1Long(reservoir, sf, gi, scfsi, gr);
        return;
    }
    const int slen1 = kSlen1[gi.scalefac_compress];
    const int slen2 = kSlen2[gi.scalefac_compress];
    int band = 0;
    if (gi.mixed_block_flag) {
        for (int long_band = 0; long_band < 8; ++long_band) {
            sf.Long(long_band) = Read(reservoir, slen1);
        }
        band = 3;
    }
    band = ReadShortBands(reservoir, sf, band, 6 - band, slen1);
    ReadShortBands(reservoir, sf, band, 6, slen2);
    ClearShortBand12(sf);
    SetAllLimits(sf, gi.mixed_block_flag != 0, true, kMpeg1IntensityLimit);
}

struct Mpeg2Lengths {
    int slen[4];
    int row;
};

Mpeg2Lengths IntensityLengths(GranuleInfo& gi) {
    const int c = gi.scalefac_compress;
    gi.intensity_scale = c & 1;
    const int f = c >> 1;
    if (f < 180) {
        return {{f / 36, (f % 36) / 6, (f % 36) % 6, 0}, 3};
    }
    if (f < 244) {
        const int x = f - 180;
        return {{(x >> 4) & 3, (x >> 2) & 3, x & 3, 0}, 4};
    }
    const int x = f - 244;
    return {{x / 3, x % 3, 0, 0}, 5};
}

Mpeg2Lengths PlainLengths(GranuleInfo& gi) {
    const int c = gi.scalefac_compress;
    gi.intensity_scale = 0;
    if (c < 400) {
        return {{(c >> 4) / 5, (c >> 4) % 5, (c >> 2) & 3, c & 3}, 0};
    }
    if (c < 500) {
        const int x = c - 400;
        return {{(x >> 2) / 5, (x >> 2) % 5, x & 3, 0}, 1};
    }
    const int x = c - 500;
    gi.preflag = 1;
    return {{x / 3, x % 3, 0, 0}, 2};
}

void ReadMpeg2Long(BitRingBuffer& reservoir, ScaleFactors& sf, const Mpeg2Lengths& lengths,
                   const uint8_t* counts) {
    int band = 0;
    for (int part = 0; part < 4; ++part) {
        const int slen = lengths.slen[part];
        for (int i = 0; i < counts[part]; ++i, ++band) {
            sf.Long(band) = Read(reservoir, slen);
            sf.LongLimit(band) = kSlenMax[slen];
        }
    }
    for (int unused = 21; unused < 23; ++unused) {
        sf.Long(unused) = 0;
        sf.LongLimit(unused) = 1;
    }
}

void ReadMpeg2Short(BitRingBuffer& reservoir, ScaleFactors& sf, const Mpeg2Lengths& lengths,
                    const uint8_t* counts, bool mixed) {
    int band = 0;
    int first_part = 0;
    if (mixed) {
        const int slen = lengths.slen[0];
        for (int long_band = 0; long_band < 6; ++long_band) {
            sf.Long(long_band) = Read(reservoir, slen);
            sf.LongLimit(long_band) = kSlenMax[slen];
        }
        band = ReadShortBands(reservoir, sf, 3, (counts[0] - 6) / 3, slen);
        first_part = 1;
    }
    for (int part = first_part; part < 4; ++part) {
        band = ReadShortBands(reservoir, sf, band, counts[part] / 3, lengths.slen[part]);
    }
    ClearShortBand12(sf);
    sf.ShortLimit(12) = 1;
}

void ReadMpeg2(BitRingBuffer& reservoir, ScaleFactors& sf, GranuleInfo& gi,
               const FrameParams& params, int ch) {
    gi.preflag = 0;
    const bool intensity_channel = (params.mode_extension & 1) != 0 && ch == 1;
    const Mpeg2Lengths lengths = intensity_channel ? IntensityLengths(gi) : PlainLengths(gi);
    const int kind = !IsShortBlock(gi) ? 0 : (gi.mixed_block_flag ? 2 : 1);
    const uint8_t* counts = kNrOfSfb[lengths.row][kind];
    if (kind == 0) {
        ReadMpeg2Long(reservoir, sf, lengths, counts);
    } else {
        ReadMpeg2Short(reservoir, sf, lengths, counts, kind == 2);
    }
}

} // namespace

void ReadScaleFactors(BitRingBuffer& reservoir, GranuleInfo& gi, ScaleFactors& scalefac,
                      const FrameParams& params, const int32_t* scfsi, int gr, int ch) {
    reservoir.SetConsumedBits(0);
    if (params.is_mpeg1) {
        ReadMpeg1(reservoir, scalefac, gi, scfsi, gr);
    } else {
        ReadMpeg2(reservoir, scalefac, gi, params, ch);
    }
}

} // namespace sonarel::mp3
