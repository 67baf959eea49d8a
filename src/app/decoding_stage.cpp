#include "app/decoding_stage.h"

#include "app/channel_fit.h"

#include <algorithm>
#include <cstring>

namespace sonarel {

int DecodingStage::FitToOutput(uint8_t* pcm, int bytes, int capacity) {
    if (output_rate_ == 0) {
        return bytes;
    }
    const mp3::FrameHeader& header = decoder_.CurrentHeader();
    if (static_cast<uint32_t>(header.sample_rate) != output_rate_) {
        // Decoded, so the decoder follows the stream, but not playable at this rate.
        skipped_seconds_ += static_cast<double>(header.SamplesPerFrame()) / header.sample_rate;
        return 0;
    }
    return FitChannels(pcm, bytes, header.channels, static_cast<int>(output_channels_), capacity);
}

int DecodingStage::Trim(uint8_t* pcm, int bytes) {
    const int channels = output_channels_ != 0 ? static_cast<int>(output_channels_)
                                               : decoder_.CurrentHeader().channels;
    const uint64_t frameBytes = static_cast<uint64_t>(channels) * 2;
    const uint64_t first = handed_out_;
    const uint64_t last = first + static_cast<uint64_t>(bytes) / frameBytes;
    handed_out_ = last;
    const uint64_t from = std::max(first, skip_);
    const uint64_t to = std::min(last, keep_ > UINT64_MAX - skip_ ? UINT64_MAX : skip_ + keep_);
    if (to <= from) {
        return 0;
    }
    std::memmove(pcm, pcm + (from - first) * frameBytes, (to - from) * frameBytes);
    return static_cast<int>((to - from) * frameBytes);
}

int DecodingStage::Open() {
    int result = FilterStream::Open();
    if (result != 0) {
        return result;
    }
    chunk_ = std::make_unique<uint8_t[]>(kChunkBytes);
    pending_ = 0;
    offset_ = 0;
    skipped_seconds_ = 0;
    buffer_too_small_ = false;
    SetTrim(0, UINT64_MAX);
    return 0;
}

void DecodingStage::Close() {
    chunk_.reset();
    decoder_.Reset();
    FilterStream::Close();
}

int DecodingStage::Read(uint8_t* buffer, int32_t length, int* /*format_changed*/) {
    if (!chunk_ || Inner() == nullptr) {
        return -1;
    }
    if (pending_ == 0) {
        // A negative result stays in pending_, so after a read error the inner source is
        // not asked again and the decoder runs out on what it holds.
        pending_ = Inner()->Read(chunk_.get(), kChunkBytes, nullptr);
        if (pending_ <= 0) {
            decoder_.SetEndOfInput();
        }
        offset_ = 0;
    }
    if (pending_ > 0) {
        int taken = decoder_.Feed(chunk_.get() + offset_, pending_);
        pending_ -= taken;
        offset_ += taken;
    }
    int produced = 0;
    if (decoder_.DecodeFrame(buffer, length, &produced) == mp3::MP3_E_OUTPUT_TOO_SMALL) {
        buffer_too_small_ = true;
        return -1;
    }
    if (produced > 0) {
        produced = FitToOutput(buffer, produced, length);
    }
    if (produced > 0) {
        produced = Trim(buffer, produced);
    }
    if (produced == 0 && decoder_.IsFinished()) {
        return -1;
    }
    return produced;
}

} // namespace sonarel
