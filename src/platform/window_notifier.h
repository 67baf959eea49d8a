// Base of the objects that report to a window: the framer, the pump and the
// player. Without a window every notification does nothing.
#pragma once

#include "platform/message_target.h"

#include <cstdint>

namespace sonarel {

class WindowNotifier {
public:
    WindowNotifier() = default;
    virtual ~WindowNotifier() = default;

    // Stores all three; window may be null (no messages).
    void SetNotifier(MessageTarget* window, uint32_t cookie, uint32_t interval_ms);

    MessageTarget* NotifyWindow() const { return window_; }
    uint32_t Cookie() const { return cookie_; }
    uint32_t Interval() const { return interval_ms_; }

    // Posts (id, wparam, lparam). False without a window or when the post fails.
    bool Post(MessageId id, WParam wparam, LParam lparam) const;
    // Posts (id, wparam, cookie): the pump's form.
    bool PostWithCookieAsLParam(MessageId id, WParam wparam) const;

private:
    MessageTarget* window_ = nullptr;
    uint32_t cookie_ = 0;
    uint32_t interval_ms_ = 0;
};

} // namespace sonarel
