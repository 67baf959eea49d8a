#include "platform/worker_thread.h"

#include <chrono>
#include <utility>

namespace sonarel {

WorkerThread::WorkerThread(Procedure procedure) : procedure_(std::move(procedure)) {
}

WorkerThread::~WorkerThread() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

int WorkerThread::Start() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (started_) {
        return 0;
    }
    started_ = true;
    thread_ = std::thread(&WorkerThread::Run, this);
    return 1;
}

void WorkerThread::Run() {
    if (procedure_) {
        procedure_();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
    finished_cv_.notify_all();
}

WaitResult WorkerThread::Wait(uint32_t timeout_ms) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!started_) {
        return WaitResult::kTimeout;
    }
    auto done = [this] { return finished_; };
    if (timeout_ms == kWaitForever) {
        finished_cv_.wait(lock, done);
        return WaitResult::kSignalled;
    }
    bool ended = finished_cv_.wait_for(lock, std::chrono::milliseconds(timeout_ms), done);
    return ended ? WaitResult::kSignalled : WaitResult::kTimeout;
}

} // namespace sonarel
