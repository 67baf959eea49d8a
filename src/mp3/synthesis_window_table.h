// Window coefficients of the polyphase synthesis, folded for a ring of 32 values per slot.
#pragma once

namespace sonarel::mp3 {

// The standard's 512-tap window in 16 rows of 8 taps x 4 entries.
extern const float SynthWindow16[16][32];

// A 6-tap window (16 rows of 6 taps x 4 entries) for the mono downmix of two-channel
// streams.
extern const float SynthWindow12[16][24];

} // namespace sonarel::mp3
