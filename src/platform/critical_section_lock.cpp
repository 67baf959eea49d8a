#include "platform/critical_section_lock.h"

namespace sonarel {

int CriticalSectionLock::Lock(uint32_t /*timeout_ms*/) {
    mutex_.lock();
    return 1;
}

int CriticalSectionLock::Unlock() {
    mutex_.unlock();
    return 1;
}

int CriticalSectionLock::Unlock(int32_t /*count*/, int32_t* /*previous_count*/) {
    return 1;
}

} // namespace sonarel
