// Brings a frame of 16-bit PCM to the output's channel count. A stream may switch between
// mono and stereo frames on the way; the WAVE file has one channel count, so mono frames
// are spread to both channels and stereo frames are folded into one.
#pragma once

#include <cstdint>

namespace sonarel {

// Converts bytes of interleaved samples with `from` channels in place to `to` channels
// (1 or 2 each). Returns the new byte count, or 0 when the result would not fit capacity.
int FitChannels(uint8_t* pcm, int bytes, int from, int to, int capacity);

} // namespace sonarel
