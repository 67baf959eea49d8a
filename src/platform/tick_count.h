// Millisecond clock for interval checks.
#pragma once

#include <cstdint>

namespace sonarel {

// Timeout value meaning "wait as long as it takes".
inline constexpr uint32_t kWaitForever = 0xFFFFFFFF;

// Milliseconds since an arbitrary start, from a monotonic clock, in 32 bits:
// the value wraps to 0 about every 49.7 days, so compare by subtraction.
uint32_t GetTickCount();

} // namespace sonarel
