#include "platform/tick_count.h"

#include <chrono>

namespace sonarel {

uint32_t GetTickCount() {
    auto since_start = std::chrono::steady_clock::now().time_since_epoch();
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since_start).count();
    // Keep the low 32 bits: the counter wraps like the platform's tick count.
    return static_cast<uint32_t>(static_cast<uint64_t>(ms));
}

} // namespace sonarel
