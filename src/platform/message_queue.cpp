#include "platform/message_queue.h"

#include <chrono>
#include <utility>

namespace sonarel {

// Lives on the sender's stack while it waits for the owner thread.
struct MessageQueue::SendState {
    bool done = false;
    intptr_t result = 0;
};

MessageQueue::MessageQueue(Handler handler)
    : handler_(std::move(handler)), owner_(std::this_thread::get_id()) {
}

MessageQueue::~MessageQueue() {
    std::unique_lock<std::mutex> lock(mutex_);
    closing_ = true;
    for (const Entry& entry : queue_) {
        if (entry.send != nullptr) {
            entry.send->done = true;
        }
    }
    queue_.clear();
    handled_.notify_all();
    // The senders wait on our condition variable: let them leave it first.
    handled_.wait(lock, [this] { return waiting_senders_ == 0; });
}

void MessageQueue::BindToCurrentThread() {
    std::lock_guard<std::mutex> lock(mutex_);
    owner_ = std::this_thread::get_id();
}

bool MessageQueue::Post(MessageId id, WParam wparam, LParam lparam) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (closing_) {
            return false;
        }
        queue_.push_back(Entry{id, wparam, lparam, nullptr});
    }
    arrived_.notify_all();
    return true;
}

intptr_t MessageQueue::Send(MessageId id, WParam wparam, LParam lparam) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (owner_ == std::this_thread::get_id()) {
        lock.unlock();
        return handler_ ? handler_(id, wparam, lparam) : 0;
    }
    if (closing_) {
        return 0;
    }
    SendState state;
    queue_.push_back(Entry{id, wparam, lparam, &state});
    ++waiting_senders_;
    arrived_.notify_all();
    handled_.wait(lock, [&state] { return state.done; });
    --waiting_senders_;
    if (closing_) {
        handled_.notify_all();
    }
    return state.result;
}

bool MessageQueue::PopFront(Entry& entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (queue_.empty()) {
        return false;
    }
    entry = queue_.front();
    queue_.pop_front();
    return true;
}

void MessageQueue::Deliver(const Entry& entry) {
    intptr_t result = handler_ ? handler_(entry.id, entry.wparam, entry.lparam) : 0;
    if (entry.send == nullptr) {
        return;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    entry.send->result = result;
    entry.send->done = true;
    handled_.notify_all();
}

int MessageQueue::DispatchPending() {
    size_t budget = PendingCount();
    int handled = 0;
    Entry entry{};
    while (budget > 0 && PopFront(entry)) {
        Deliver(entry);
        ++handled;
        --budget;
    }
    return handled;
}

int MessageQueue::WaitAndDispatch(uint32_t timeout_ms) {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        auto ready = [this] { return !queue_.empty(); };
        if (timeout_ms == kWaitForever) {
            arrived_.wait(lock, ready);
        } else if (!arrived_.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready)) {
            return 0;
        }
    }
    return DispatchPending();
}

size_t MessageQueue::PendingCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queue_.size();
}

} // namespace sonarel
