// The pump's lock around the hand-over of a chunk to its sinks. Like a
// platform critical section it may be entered again by the thread holding it.
#pragma once

#include "platform/tick_count.h"

#include <cstdint>
#include <mutex>

namespace sonarel {

class CriticalSectionLock {
public:
    CriticalSectionLock() = default;
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

    // Enters the critical section; a critical section has no timeout, so the
    // value is ignored. Returns 1.
    int Lock(uint32_t timeout_ms = kWaitForever);
    // Leaves the critical section. Returns 1.
    int Unlock();
    // The counted form belongs to semaphores; here it does nothing. Returns 1.
    int Unlock(int32_t count, int32_t* previous_count);

private:
    std::recursive_mutex mutex_;
};

// Holds a CriticalSectionLock for the lifetime of the guard.
class CriticalSectionGuard {
public:
    explicit CriticalSectionGuard(CriticalSectionLock& lock) : lock_(lock) { lock_.Lock(); }
    ~CriticalSectionGuard() { lock_.Unlock(); }
    CriticalSectionGuard(const CriticalSectionGuard&) = delete;
    CriticalSectionGuard& operator=(const CriticalSectionGuard&) = delete;

private:
    CriticalSectionLock& lock_;
};

} // namespace sonarel
