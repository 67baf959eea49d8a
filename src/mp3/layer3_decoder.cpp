#include "mp3/layer3_decoder.h"

#include "mp3/huffman_decoder.h"
#include "mp3/reorder_antialias.h"
#include "mp3/requantize.h"
#include "mp3/reservoir.h"
#include "mp3/scale_factors.h"
#include "mp3/side_info.h"
#include "mp3/stereo.h"

#include <cstring>

namespace sonarel::mp3 {

Layer3Decoder::Layer3Decoder(FrameSyncBuffer& input, const DecoderOptions& options)
    : input_(input), options_(options), reservoir_(kReservoirBytes),
      requantize_lines_(LineRequantizerFor(ResolveVectorPath(options.vectors))),
      mid_side_lines_(MidSideLinesFor(ResolveVectorPath(options.vectors))),
      hybrid_(params_, options.downsample_shift), synthesis_(params_, options) {
    Reset(true);
}

void Layer3Decoder::Reset(bool full) {
    reservoir_.Reset();
    reservoir_held_ = 0;
    if (!full) {
        return;
    }
    hybrid_.Reset();
    synthesis_.Reset();
    concealment_.Reset();
    std::memset(ix_, 0, sizeof(ix_));
    std::memset(xr_, 0, sizeof(xr_));
    // Granule 1 of an MPEG-1 frame may keep scale factors from before; after a reset
    // they must not depend on the previous stream.
    std::memset(scalefac_, 0, sizeof(scalefac_));
}

int Layer3Decoder::OutputBytes(const FrameHeader& header) const {
    const int channel_shift = options_.mono ? 1 : header.channels;
    const int reduce_shift = (options_.eight_bit ? 1 : 0) + options_.downsample_shift;
    return (header.SamplesPerFrame() << channel_shift) >> reduce_shift;
}

void Layer3Decoder::LoadFrameParams(const FrameHeader& header) {
    params_.channels = header.channels;
    params_.sample_rate_index = header.sample_rate_index;
    params_.frame_bits = header.frame_bits;
    params_.mode = header.mode;
    params_.mode_extension = header.mode_extension;
    params_.header_bits = header.crc_present ? 48 : 32;
    params_.is_mpeg1 = header.version == 0 ? 1 : 0;
    params_.table_group = header.version == 0 ? 1 : (header.version == 1 ? 0 : 2);
    params_.crc_present = header.crc_present;
}

Mp3Status Layer3Decoder::DecodeFrame(uint8_t* out, int capacity, int* produced) {
    const FrameHeader& header = input_.Header();
    if (header.layer != 3) {
        return MP3_E_NOT_LAYER3;
    }
    const int bytes = OutputBytes(header);
    if (capacity < bytes) {
        return MP3_E_OUTPUT_TOO_SMALL;
    }
    const int frame_start = input_.ConsumedBits();
    LoadFrameParams(header);
    input_.Skip(params_.header_bits);
    const bool side_info_ok = ReadSideInfo(input_, side_info_, params_);
    Mp3Status status = MP3_OK;
    if (FillReservoir(input_, reservoir_, side_info_, params_, reservoir_held_)) {
        DecodeGranules(out, side_info_ok);
    } else {
        ConcealFrame(out);
        status = MP3_I_RESERVOIR_CONCEALED;
    }
    // Whatever the stages read, the next frame starts frame_bits after this one.
    const int left = params_.frame_bits - (input_.ConsumedBits() - frame_start);
    if (left >= 0) {
        input_.Skip(left);
    } else {
        input_.Rewind(-left);
    }
    if (produced != nullptr) {
        *produced = bytes;
    }
    // The reservoir stays: this frame's main data went in at the right place, and the
    // frames after it need it and what came before.
    if (!side_info_ok) {
        status = MP3_I_CRC_CONCEALED;
    }
    return status;
}

void Layer3Decoder::DecodeChannel(int gr, int ch) {
    GranuleInfo& gi = side_info_.Granule(gr, ch);
    ReadScaleFactors(reservoir_, gi, scalefac_[ch], params_, side_info_.channels[ch].scfsi, gr, ch);
    DecodeSpectrum(reservoir_, ix_[ch], gi, params_);
    Requantize(ix_[ch], xr_[ch], gi, scalefac_[ch], params_, requantize_lines_);
}

void Layer3Decoder::FinishChannel(int gr, int ch, bool side_info_ok) {
    GranuleInfo& gi = side_info_.Granule(gr, ch);
    ReorderShortBlocks(xr_[ch], gi, params_);
    Antialias(xr_[ch], gi, params_, options_.downsample_shift);
    concealment_.Step(!side_info_ok, params_, side_info_, xr_[ch], gr, ch);
    hybrid_.Run(ch, gi, xr_[ch]);
}

void Layer3Decoder::DecodeGranules(uint8_t* out, bool side_info_ok) {
    for (int gr = 0; gr < Granules(); ++gr) {
        for (int ch = 0; ch < params_.channels; ++ch) {
            DecodeChannel(gr, ch);
        }
        StereoProcess(xr_[0], xr_[1], side_info_.Granule(gr, 0), side_info_.Granule(gr, 1),
                      scalefac_[1], params_, options_.mono, mid_side_lines_);
        for (int ch = 0; ch < OutputChannels(); ++ch) {
            FinishChannel(gr, ch, side_info_ok);
        }
        out = Synthesize(out);
    }
}

void Layer3Decoder::ConcealFrame(uint8_t* out) {
    for (int gr = 0; gr < Granules(); ++gr) {
        std::memset(xr_, 0, sizeof(xr_));
        for (int ch = 0; ch < OutputChannels(); ++ch) {
            GranuleInfo& gi = side_info_.Granule(gr, ch);
            gi.window_switching_flag = 0;
            gi.block_type = 0;
            gi.mixed_block_flag = 0;
            gi.subband_count = 0;
            concealment_.Step(true, params_, side_info_, xr_[ch], gr, ch);
            hybrid_.Run(ch, gi, xr_[ch]);
        }
        out = Synthesize(out);
    }
}

uint8_t* Layer3Decoder::Synthesize(uint8_t* out) {
    return synthesis_.Run(xr_, out);
}

} // namespace sonarel::mp3
