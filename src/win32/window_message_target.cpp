#include "win32/window_message_target.h"

#include "platform/win32/wide_text.h"

#include <initializer_list>
#include <string_view>

namespace sonarel {

WindowMessageTarget::WindowMessageTarget() {
    for (std::string_view name :
         {kMsgPcmPumpThreadStart, kMsgPcmPumpThreadProgress, kMsgPcmPumpThreadStop,
          kMsgMp3FramerStatusChange, kMsgAudioPlayerTime}) {
        numbers_.emplace_back(RegisterMessage(name),
                              RegisterWindowMessageW(WideFromUtf8(name).c_str()));
    }
}

UINT WindowMessageTarget::ToWindowMessage(MessageId id) const {
    for (const auto& [portable, window] : numbers_) {
        if (portable == id) {
            return window;
        }
    }
    return id;
}

MessageId WindowMessageTarget::FromWindowMessage(UINT message) const {
    for (const auto& [portable, window] : numbers_) {
        if (window == message) {
            return portable;
        }
    }
    return 0;
}

bool WindowMessageTarget::Post(MessageId id, WParam wparam, LParam lparam) {
    return window_ != nullptr &&
           PostMessageW(window_, ToWindowMessage(id), wparam, lparam) != FALSE;
}

intptr_t WindowMessageTarget::Send(MessageId id, WParam wparam, LParam lparam) {
    return window_ == nullptr ? 0 : SendMessageW(window_, ToWindowMessage(id), wparam, lparam);
}

} // namespace sonarel
