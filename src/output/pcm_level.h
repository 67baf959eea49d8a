// The loudness of a piece of PCM, as the player reports it with each finished buffer.
#pragma once

#include <cstdint>

namespace sonarel {

// Level of silence, or of a piece without a whole sample: -327.68 dB.
inline constexpr int16_t kSilenceLevel = INT16_MIN;

// The RMS of the signed samples relative to full scale (32768), in hundredths of a dB,
// rounded: 0 for a full-scale square wave, -301 for a full-scale sine, -602 per halving
// of the amplitude. 16-bit samples are signed little-endian, 8-bit samples unsigned
// around 128; a trailing partial sample is ignored. Never above 0, never below
// kSilenceLevel, which also stands for digital silence and empty pieces.
int16_t PcmLevel(const uint8_t* data, int32_t length, uint16_t bits_per_sample);

} // namespace sonarel
