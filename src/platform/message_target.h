// A receiver of messages (a "window"): the notifier posts to it from worker
// threads and sends to it synchronously.
#pragma once

#include "platform/registered_message.h"

namespace sonarel {

class MessageTarget {
public:
    virtual ~MessageTarget() = default;

    // Queues the message for the target's thread and returns at once; never
    // blocks the poster. False when the target can no longer take messages.
    virtual bool Post(MessageId id, WParam wparam, LParam lparam) = 0;

    // Has the target's handler process the message and returns its result.
    // From the target's own thread this calls the handler directly; from any
    // other thread it waits until the target's thread has handled it.
    virtual intptr_t Send(MessageId id, WParam wparam, LParam lparam) = 0;
};

} // namespace sonarel
