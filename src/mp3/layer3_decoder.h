// The Layer III pipeline for one frame: side information and reservoir, scale factors,
// Huffman decoding, requantisation, stereo, reordering and alias reduction, concealment,
// hybrid filterbank and polyphase synthesis.
#pragma once

#include "mp3/bit_ring_buffer.h"
#include "mp3/concealment.h"
#include "mp3/decoder_options.h"
#include "mp3/frame_sync_buffer.h"
#include "mp3/hybrid_filterbank.h"
#include "mp3/layer3_types.h"
#include "mp3/mp3_status.h"
#include "mp3/requantize.h"
#include "mp3/stereo.h"
#include "mp3/synthesis_filterbank.h"

#include <cstdint>

namespace sonarel::mp3 {

class Layer3Decoder {
public:
    static constexpr int kReservoirBytes = 2048;

    Layer3Decoder(FrameSyncBuffer& input, const DecoderOptions& options);
    Layer3Decoder(const Layer3Decoder&) = delete;
    Layer3Decoder& operator=(const Layer3Decoder&) = delete;

    // Decodes the frame at the input ring's read position into out and moves the ring to
    // the next frame. MP3_OK, MP3_I_CRC_CONCEALED or MP3_I_RESERVOIR_CONCEALED with a
    // whole frame of PCM; MP3_E_OUTPUT_TOO_SMALL leaves the frame in the ring.
    Mp3Status DecodeFrame(uint8_t* out, int capacity, int* produced);

    // A partial reset empties the reservoir; a full one also clears every filter state,
    // the concealment history and the work buffers.
    void Reset(bool full);

    // PCM bytes of one frame of the current header with the decoder's options.
    int OutputBytes(const FrameHeader& header) const;

    const FrameParams& Params() const { return params_; }

private:
    void LoadFrameParams(const FrameHeader& header);
    int Granules() const { return params_.is_mpeg1 ? 2 : 1; }
    int OutputChannels() const { return options_.mono ? 1 : params_.channels; }
    void DecodeGranules(uint8_t* out, bool side_info_ok);
    void ConcealFrame(uint8_t* out);
    void DecodeChannel(int gr, int ch);
    void FinishChannel(int gr, int ch, bool side_info_ok);
    uint8_t* Synthesize(uint8_t* out);

    FrameSyncBuffer& input_;
    DecoderOptions options_;
    FrameParams params_;
    BitRingBuffer reservoir_;
    int reservoir_held_ = 0; // main data bytes a frame may refer back to
    SideInfo side_info_{};
    ScaleFactors scalefac_[kMaxChannels]{};
    int32_t ix_[kMaxChannels][kGranuleLines]{};
    alignas(64) float xr_[kMaxChannels][kGranuleLines]{};
    LineRequantizer requantize_lines_;
    MidSideLines mid_side_lines_;
    HybridFilterbank hybrid_;
    SynthesisFilterbank synthesis_;
    ConcealmentHistory concealment_;
};

} // namespace sonarel::mp3
