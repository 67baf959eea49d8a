// Results of the MPEG audio framer (negative; 0 is success).
#pragma once

namespace sonarel {

inline constexpr int kFramerNoSource = -999;       // Open without an inner source
inline constexpr int kFramerFrameTooLarge = -9997; // the frame does not fit the buffer
inline constexpr int kFramerNoSync = -9998;        // no confirmed frame in 16384 bits
inline constexpr int kFramerEndOfInput = -9999;    // the input ended or failed

} // namespace sonarel
