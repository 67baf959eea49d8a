// A worker thread that is created idle, released once and joined with a timeout.
#pragma once

#include "platform/tick_count.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace sonarel {

enum class WaitResult {
    kSignalled, // the thread has ended
    kTimeout,   // still running after the timeout, or never started
};

class WorkerThread {
public:
    using Procedure = std::function<void()>;

    // Nothing runs until Start.
    explicit WorkerThread(Procedure procedure);
    // Joins a started thread (waits for its procedure to return).
    ~WorkerThread();

    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Releases the idle thread. Returns 1 when it was idle and now runs, 0 when
    // it had been started before (the previous suspend count, as ResumeThread).
    int Start();

    // Waits until the procedure has returned or timeout_ms elapsed. A thread
    // that was never started cannot end: the result is kTimeout at once
    // instead of blocking the caller forever.
    WaitResult Wait(uint32_t timeout_ms);

private:
    void Run();

    Procedure procedure_;
    std::thread thread_;
    // Guards started_ and finished_, written by the thread and read by callers.
    mutable std::mutex mutex_;
    std::condition_variable finished_cv_;
    bool started_ = false;
    bool finished_ = false;
};

} // namespace sonarel
