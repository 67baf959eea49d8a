#include "platform/window_notifier.h"

namespace sonarel {

void WindowNotifier::SetNotifier(MessageTarget* window, uint32_t cookie, uint32_t interval_ms) {
    window_ = window;
    cookie_ = cookie;
    interval_ms_ = interval_ms;
}

bool WindowNotifier::Post(MessageId id, WParam wparam, LParam lparam) const {
    return window_ != nullptr && window_->Post(id, wparam, lparam);
}

bool WindowNotifier::PostWithCookieAsLParam(MessageId id, WParam wparam) const {
    return Post(id, wparam, static_cast<LParam>(cookie_));
}

} // namespace sonarel
