#include "mp3/side_info.h"

#include "mp3/crc16.h"

namespace sonarel::mp3 {

namespace {

int Granules(const FrameParams& params) {
    return params.is_mpeg1 ? 2 : 1;
}

int Read(BitRingBuffer& input, int bits) {
    return static_cast<int>(input.GetBits(bits));
}

void ClearDerived(GranuleInfo& gi) {
    gi.intensity_scale = 0;
    gi.nonzero_count = 0;
    gi.long_bands_apply = 0;
    gi.long_band_count = 0;
    gi.short_band_count = 0;
    gi.window_band_count[0] = gi.window_band_count[1] = gi.window_band_count[2] = 0;
    gi.subband_count = 0;
}

// A granule that carries nothing: no scale factor bits, no spectrum.
void MakeEmpty(GranuleInfo& gi) {
    gi.part2_3_length = 0;
    gi.big_values = 0;
    gi.scalefac_compress = 0;
}

void ReadWindowSwitching(BitRingBuffer& input, GranuleInfo& gi) {
    gi.block_type = Read(input, 2);
    gi.mixed_block_flag = Read(input, 1);
    gi.table_select[0] = Read(input, 5);
    gi.table_select[1] = Read(input, 5);
    gi.table_select[2] = 0;
    for (int& gain : gi.subblock_gain) {
        gain = Read(input, 3);
    }
    if (gi.block_type == 0) {
        // Reserved combination: the granule is treated as empty.
        MakeEmpty(gi);
    } else {
        gi.region0_count = (gi.block_type == 2 && gi.mixed_block_flag == 0) ? 8 : 7;
    }
    gi.region1_count = 20 - gi.region0_count;
}

void ReadGranule(BitRingBuffer& input, GranuleInfo& gi, const FrameParams& params) {
    gi.part2_3_length = Read(input, 12);
    gi.big_values = Read(input, 9);
    gi.global_gain = Read(input, 8);
    gi.scalefac_compress = Read(input, params.is_mpeg1 ? 4 : 9);
    gi.window_switching_flag = Read(input, 1);
    if (gi.big_values > 288) {
        MakeEmpty(gi);
    }
    if (gi.window_switching_flag) {
        ReadWindowSwitching(input, gi);
    } else {
        for (int& table : gi.table_select) {
            table = Read(input, 5);
        }
        gi.region0_count = Read(input, 4);
        gi.region1_count = Read(input, 3);
        gi.block_type = 0;
    }
    if (params.is_mpeg1) {
        gi.preflag = Read(input, 1);
    }
    gi.scalefac_scale = Read(input, 1);
    gi.count1table_select = Read(input, 1);
}

} // namespace

int SideInfoBytes(const FrameParams& params) {
    if (params.channels == 1) {
        return params.is_mpeg1 ? 17 : 9;
    }
    return params.is_mpeg1 ? 32 : 17;
}

bool ReadSideInfo(BitRingBuffer& input, SideInfo& side_info, const FrameParams& params) {
    const int granules = Granules(params);
    for (int gr = 0; gr < granules; ++gr) {
        for (int ch = 0; ch < params.channels; ++ch) {
            ClearDerived(side_info.Granule(gr, ch));
        }
    }
    if (!CheckCrc(input, params)) {
        for (int gr = 0; gr < granules; ++gr) {
            for (int ch = 0; ch < params.channels; ++ch) {
                MakeEmpty(side_info.Granule(gr, ch));
            }
        }
        return false;
    }
    const bool mono = params.channels == 1;
    if (params.is_mpeg1) {
        side_info.main_data_begin = Read(input, 9);
        side_info.private_bits = Read(input, mono ? 5 : 3);
        for (int ch = 0; ch < params.channels; ++ch) {
            for (int& flag : side_info.channels[ch].scfsi) {
                flag = Read(input, 1);
            }
        }
    } else {
        side_info.main_data_begin = Read(input, 8);
        side_info.private_bits = Read(input, mono ? 1 : 2);
    }
    for (int gr = 0; gr < granules; ++gr) {
        for (int ch = 0; ch < params.channels; ++ch) {
            ReadGranule(input, side_info.Granule(gr, ch), params);
        }
    }
    return true;
}

} // namespace sonarel::mp3
