#include "faulty_parts.h"

#include <algorithm>
#include <chrono>

namespace sonarel::test {

void Gate::Arrive() {
    std::unique_lock lock(mutex_);
    arrived_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return released_; });
}

bool Gate::WaitArrived(int timeout_ms) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms),
                             [this] { return arrived_; });
}

void Gate::Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
}

FaultyReader::FaultyReader(std::unique_ptr<FileSource> inner, ReaderFault fault)
    : FileSource(inner->Str()), inner_(std::move(inner)), fault_(fault) {
}

int FaultyReader::Read(uint8_t* buffer, int32_t length, int* format_changed) {
    if (length <= 0) {
        return inner_->Read(buffer, length, format_changed);
    }
    uint64_t end = delivered_ + static_cast<uint64_t>(length);
    if (fault_.kind == ReaderFault::kPause && !paused_ && end > fault_.at) {
        paused_ = true;
        fault_.gate->Arrive();
    }
    if (fault_.kind == ReaderFault::kFail) {
        uint64_t left = fault_.at > delivered_ ? fault_.at - delivered_ : 0;
        if (left == 0) {
            failed_ = true;
            return -1;
        }
        length = static_cast<int32_t>(std::min<uint64_t>(left, static_cast<uint64_t>(length)));
    }
    int got = inner_->Read(buffer, length, format_changed);
    if (got > 0) {
        delivered_ += static_cast<uint64_t>(got);
    }
    return got;
}

} // namespace sonarel::test
