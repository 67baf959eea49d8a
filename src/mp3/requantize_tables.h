// Gain and magnitude tables of the requantiser, on the scale of 16-bit PCM.
#pragma once

#include <array>

namespace sonarel::mp3 {

inline constexpr int kGainSteps = 128;
inline constexpr int kPowTableSize = 128;

// 32768 * 2^(-k/4) for k = 0..127.
extern const std::array<float, kGainSteps> kGainTable;

// m^(4/3) for m = 0..127.
extern const std::array<float, kPowTableSize> kPowTable;

// sign(q) * |q|^(4/3) for |q| < kPowTableSize, at index q + kPowTableSize - 1: the
// entries of kPowTable, negated below the middle.
inline constexpr int kSignedPowTableSize = 2 * kPowTableSize - 1;
extern const std::array<float, kSignedPowTableSize> kSignedPowTable;

// Pre-emphasis of long bands 0..21.
extern const int kPretab[22];

} // namespace sonarel::mp3
