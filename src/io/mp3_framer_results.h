// Results of the MPEG audio framer (negative; 0 is success).
#pragma once

namespace sonarel {

// Open without an inner source: Attach one first.
inline constexpr int kFramerNoSource = -999;
// The frame does not fit what is left of the frame buffer: Open fails with it, and Read
// ends there.
inline constexpr int kFramerFrameTooLarge = -9997;
// No confirmed frame in 16384 bits: the input holds no MPEG audio there.
inline constexpr int kFramerNoSync = -9998;
// The input ended or failed (the inner source's HasFailed tells which): nothing more comes.
inline constexpr int kFramerEndOfInput = -9999;

} // namespace sonarel
