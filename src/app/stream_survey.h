// A walk over every frame of an input before it is converted: how much audio each format
// carries, so that the output takes the format of the main stream (not of a short lead-in
// at another sampling rate), and the exact size of what will be written.
#pragma once

#include "io/byte_source.h"
#include "mp3/encoder_info.h"

#include <cstdint>
#include <vector>

namespace sonarel {

struct FormatTally {
    int sample_rate = 0;
    int channels = 0;
    uint64_t frames = 0;
    uint64_t samples = 0; // per channel
    uint64_t bytes = 0;   // of the frames, headers included
};

struct StreamSurvey {
    std::vector<FormatTally> formats; // in the order they first appear
    mp3::EncoderInfo encoder_info;
    bool whole = true; // the count reached the end of the input

    uint64_t Frames() const;
    // The sampling rate that carries the most seconds of audio (the first one on a tie),
    // and among its frames the channel count that carries the most. 0 without frames.
    int MainRate() const;
    int MainChannels() const;
    // Samples per channel at the main rate: what the output will hold.
    uint64_t MainSamples() const;
    // Average bit rate of the main rate's frames in kbit/s.
    uint32_t MainKbps() const;
};

inline constexpr uint64_t kWholeStream = UINT64_MAX;

// Reads `source` from its current position to its end, or `max_bytes` of it, counting frames
// by the decoder's own rules (the same frames the decoder will decode).
StreamSurvey SurveyStream(ByteSource& source, uint64_t max_bytes = kWholeStream);

} // namespace sonarel
