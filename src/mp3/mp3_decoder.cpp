#include "mp3/mp3_decoder.h"

#include <algorithm>

namespace sonarel::mp3 {

namespace {

DecoderOptions Sanitised(DecoderOptions options) {
    options.downsample_shift = std::clamp(options.downsample_shift, 0, 2);
    return options;
}

} // namespace

Mp3Decoder::Mp3Decoder(const DecoderOptions& options)
    : options_(Sanitised(options)), input_(kInputRingBytes), layer3_(input_, options_) {
    Reset();
}

int Mp3Decoder::Feed(const uint8_t* bytes, int length) {
    if (bytes == nullptr || length <= 0) {
        return 0;
    }
    return input_.WriteBytes(bytes, length);
}

void Mp3Decoder::SetEndOfInput() {
    input_.SetEnd();
}

Mp3Status Mp3Decoder::DecodeFrame(uint8_t* out, int capacity, int* produced) {
    if (produced != nullptr) {
        *produced = 0;
    }
    const Mp3Status status = NextFrame();
    if (status != MP3_OK) {
        return status;
    }
    return layer3_.DecodeFrame(out, capacity, produced);
}

Mp3Status Mp3Decoder::SkipFrame() {
    const Mp3Status status = NextFrame();
    if (status == MP3_OK) {
        input_.Skip(input_.Header().frame_bits);
    }
    return status;
}

// Synchronises on the next audio frame, stepping over the information frame that may
// open the stream.
Mp3Status Mp3Decoder::NextFrame() {
    Mp3Status status = input_.Sync();
    if (status == MP3_OK && at_stream_start_) {
        at_stream_start_ = false;
        if (SkipEncoderInfo()) {
            status = input_.Sync();
        }
    }
    if (status == MP3_W_END) {
        finished_ = true;
    } else if (status == MP3_W_SYNC_LOST) {
        // Nothing from before the break may reach the audio after it.
        layer3_.Reset(true);
    }
    return status;
}

// The first frame of a stream may be the encoder's information frame: not audio.
bool Mp3Decoder::SkipEncoderInfo() {
    uint8_t bytes[kEncoderInfoPeekBytes];
    const int frame_bytes = input_.Header().frame_bits / 8;
    const int count = frame_bytes < kEncoderInfoPeekBytes ? frame_bytes : kEncoderInfoPeekBytes;
    input_.PeekBytes(bytes, count);
    const EncoderInfo info = ParseEncoderInfo(bytes, count);
    if (!info.present) {
        return false;
    }
    encoder_info_ = info;
    input_.Skip(input_.Header().frame_bits);
    return true;
}

void Mp3Decoder::Reset() {
    finished_ = false;
    at_stream_start_ = true;
    encoder_info_ = EncoderInfo{};
    input_.Reset();
    layer3_.Reset(true);
}

} // namespace sonarel::mp3
