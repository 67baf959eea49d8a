// The pump's source during a decode: reads the MPEG audio bytes of its inner source in
// 2048-byte chunks, feeds them to the embedded decoder and hands out the PCM of one frame per
// Read.
#pragma once

#include "io/filter_stream.h"
#include "mp3/mp3_decoder.h"

#include <cstdint>
#include <memory>

namespace sonarel {

class DecodingStage : public FilterStream {
public:
    static constexpr int kChunkBytes = 2048;

    DecodingStage() = default;

    // Opens the inner source unless it is open already, then starts with an empty chunk.
    int Open() override;
    // Frees the chunk, resets the decoder (so the next decode starts clean) and closes the
    // inner source if this stage opened it.
    void Close() override;
    // The PCM bytes of one frame, 0 while the decoder needs more input, or -1 at the end.
    // buffer must hold a whole frame (GetBufferSize bytes): a smaller one ends the read with
    // -1 and HasFailed set, rather than looking like "no frame yet" for ever. format_changed
    // is not used.
    int Read(uint8_t* buffer, int32_t length, int* format_changed) override;
    bool HasFailed() const override { return buffer_too_small_ || FilterStream::HasFailed(); }

    // The PCM format the output was opened with. Frames of another channel count are brought
    // to it (mono spread to both channels, stereo folded); frames of another sampling rate
    // are decoded but not handed out, so the output never holds samples its header does not
    // describe. 0, 0: every frame goes out as decoded.
    void SetOutputFormat(uint32_t sampleRate, uint32_t channels) {
        output_rate_ = sampleRate;
        output_channels_ = channels;
    }

    // Gapless output: of the samples (per channel) that would be handed out, the first `skip`
    // are dropped and only `keep` after them go out. Set after Open.
    void SetTrim(uint64_t skip, uint64_t keep) {
        skip_ = skip;
        keep_ = keep;
        handed_out_ = 0;
    }

    // Seconds of audio that were decoded but not handed out because of their sampling rate,
    // since the last Open.
    double SkippedSeconds() const { return skipped_seconds_; }

    int IsSeekable() const override { return 0; }
    int Seek(int32_t /*position*/) override { return 0; }
    int IsPcm() const override { return 0; }
    // The largest PCM frame: 1152 samples, two channels, two bytes.
    int GetBufferSize() const override { return mp3::Mp3Decoder::kMaxFrameBytes; }

private:
    // The frame's byte count after fitting it to the output format (0: not handed out).
    int FitToOutput(uint8_t* pcm, int bytes, int capacity);
    // The frame's byte count after the gapless trim (0: all of it trimmed).
    int Trim(uint8_t* pcm, int bytes);

    mp3::Mp3Decoder decoder_;
    std::unique_ptr<uint8_t[]> chunk_;
    int pending_ = 0; // bytes of the chunk the decoder has not taken; <= 0: read a new one
    int offset_ = 0;  // first byte of the chunk not yet taken
    uint32_t output_rate_ = 0;
    uint32_t output_channels_ = 0;
    double skipped_seconds_ = 0;
    uint64_t skip_ = 0;
    uint64_t keep_ = UINT64_MAX;
    uint64_t handed_out_ = 0; // samples per channel before the trim
    bool buffer_too_small_ = false;
};

} // namespace sonarel
