// What a conversion will write, worked out from the probe before it starts: the samples per
// channel, whether that count is certain, and, for gapless output, the samples to trim.
#pragma once

#include "app/stream_probe.h"

#include <cstdint>
#include <limits>

namespace sonarel {

struct OutputPlan {
    static constexpr uint64_t kAll = std::numeric_limits<uint64_t>::max();
    // The decoder's own delay: its first samples come out this late.
    static constexpr uint64_t kDecoderDelay = 529;

    uint64_t samples = 0; // per channel, what the output will hold (0 when not known)
    bool exact = false;   // samples is certain: counted, or given by the information frame
    uint64_t skip = 0;    // samples dropped at the start
    uint64_t keep = kAll; // samples kept after those

    // The data bytes of the output, for `channels` 16-bit channels.
    uint64_t DataBytes(uint32_t channels) const { return samples * channels * 2; }
};

// The stream's samples at its main rate come from the probe's count when it read the whole
// input, else from the frame count of its information frame, unless the probed part alone
// holds more frames; a pipe without such a count has no known length. With `gapless` and a LAME
// tag, the encoder delay plus the decoder's delay is dropped at the start and the padding at the
// end, so the output holds exactly the original's samples.
OutputPlan PlanOutput(const StreamProbe& probe, bool gapless);

} // namespace sonarel
