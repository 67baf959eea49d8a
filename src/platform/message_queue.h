// A message target for programs without a window system: messages wait in a
// queue until the owner thread dispatches them, in the order they arrived.
#pragma once

#include "platform/message_target.h"
#include "platform/tick_count.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace sonarel {

class MessageQueue : public MessageTarget {
public:
    using Handler = std::function<intptr_t(MessageId, WParam, LParam)>;

    // The constructing thread becomes the owner thread.
    explicit MessageQueue(Handler handler);
    // Messages still queued are dropped; senders still waiting get 0.
    ~MessageQueue() override;

    MessageQueue(const MessageQueue&) = delete;
    MessageQueue& operator=(const MessageQueue&) = delete;

    bool Post(MessageId id, WParam wparam, LParam lparam) override;
    // A sender on another thread blocks until the owner dispatches; two
    // owners sending to each other at once would wait for ever, so worker
    // threads should post.
    intptr_t Send(MessageId id, WParam wparam, LParam lparam) override;

    // Makes the calling thread the owner (the one that dispatches).
    void BindToCurrentThread();

    // Owner thread only. Handles the messages queued when it is called, in
    // arrival order (messages queued by the handlers meanwhile wait for the
    // next call, so a handler that posts to itself cannot starve the caller);
    // returns how many were handled.
    int DispatchPending();

    // Owner thread only. Waits up to timeout_ms (kWaitForever: no limit) for at
    // least one message, then dispatches what is queued. Returns the count
    // handled, 0 after a timeout.
    int WaitAndDispatch(uint32_t timeout_ms);

    // Number of messages waiting (posted or sent).
    size_t PendingCount() const;

private:
    struct SendState;
    struct Entry {
        MessageId id;
        WParam wparam;
        LParam lparam;
        SendState* send; // null for a posted message
    };

    bool PopFront(Entry& entry);
    void Deliver(const Entry& entry);

    Handler handler_;
    std::thread::id owner_;
    // Guards queue_, closing_ and the send states: any thread posts or sends, the owner
    // dispatches.
    mutable std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable handled_;
    std::deque<Entry> queue_;
    bool closing_ = false;
    int waiting_senders_ = 0;
};

} // namespace sonarel
