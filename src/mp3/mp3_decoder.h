// The MPEG audio Layer III decoder: bytes are pushed in, one frame of PCM comes out per
// call. The bytes may be cut anywhere; the decoder finds and checks frame boundaries.
//
// Use:
//   1. Make one decoder per stream; DecoderOptions choose the output (half or quarter rate,
//      8-bit samples, mono).
//   2. Feed() the bytes at hand. It takes what fits into its ring and says how many; offer
//      the rest again after the next DecodeFrame().
//   3. Call DecodeFrame() with room for kMaxFrameBytes. Severity 0 (MP3_OK) and 1 (the
//      MP3_I_... notes: a damaged frame came out concealed) mean a whole frame of PCM was
//      written. MP3_W_NEED_MORE asks for more input; MP3_W_SEARCHING and MP3_W_SYNC_LOST say
//      that bytes between frames were skipped: call again. Severity 3 (MP3_E_...) is a fault
//      of the call or the stream that the caller must handle; nothing was written.
//   4. At the end of the input call SetEndOfInput(), then DecodeFrame() until it reports
//      MP3_W_END: the last frames held in the ring come out first.
//   5. Reset() starts a new stream with the same decoder.
#pragma once

#include "mp3/decoder_options.h"
#include "mp3/encoder_info.h"
#include "mp3/frame_header.h"
#include "mp3/frame_sync_buffer.h"
#include "mp3/layer3_decoder.h"
#include "mp3/mp3_status.h"

#include <cstdint>

namespace sonarel::mp3 {

class Mp3Decoder {
public:
    static constexpr int kInputRingBytes = 8192;
    // The largest frame: 1152 samples, two channels, 16 bits, full rate.
    static constexpr int kMaxFrameBytes = 4608;

    explicit Mp3Decoder(const DecoderOptions& options = {});
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    // Copies as many bytes as the input ring has room for and returns that count; the
    // caller offers the rest again later.
    int Feed(const uint8_t* bytes, int length);

    // From now on a missing or incomplete frame means the end of the stream.
    void SetEndOfInput();

    // Decodes the next frame into out. On severity 0 or 1 *produced receives the bytes
    // written (always a whole frame); otherwise it is 0 and nothing is written. An
    // encoder's information frame at the start of the stream is skipped, not decoded.
    Mp3Status DecodeFrame(uint8_t* out, int capacity, int* produced = nullptr);

    // Finds the next frame as DecodeFrame would and steps over it without decoding; on
    // MP3_OK CurrentHeader() describes it. For counting a stream's frames.
    Mp3Status SkipFrame();

    // True once DecodeFrame has reported MP3_W_END; stays so until Reset.
    bool IsFinished() const { return finished_; }

    // Forgets the stream: empty input, not synchronised, every decoder state cleared.
    void Reset();

    // The header of the frame decoded last (or found last by the synchronisation).
    const FrameHeader& CurrentHeader() const { return input_.Header(); }

    const DecoderOptions& Options() const { return options_; }

    // What the stream's information frame said (present is false without one).
    const EncoderInfo& GetEncoderInfo() const { return encoder_info_; }

private:
    Mp3Status NextFrame();
    bool SkipEncoderInfo();

    DecoderOptions options_;
    FrameSyncBuffer input_;
    Layer3Decoder layer3_;
    bool finished_ = false;
    bool at_stream_start_ = true;
    EncoderInfo encoder_info_;
};

} // namespace sonarel::mp3
