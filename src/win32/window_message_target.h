// The dialog window as the pump's message target. The program's message names are registered
// with the window system too (RegisterWindowMessageW), and each number the portable layer hands
// out is posted as the window system's number for the same name; the dialog procedure turns it
// back. The close request and commands the logic posts to itself go out as WM_CLOSE and
// WM_COMMAND, whose numbers they already carry.
#pragma once

#include "platform/message_target.h"

#include <windows.h>

#include <utility>
#include <vector>

namespace sonarel {

class WindowMessageTarget : public MessageTarget {
public:
    WindowMessageTarget();

    void SetWindow(HWND window) { window_ = window; }

    bool Post(MessageId id, WParam wparam, LParam lparam) override;
    intptr_t Send(MessageId id, WParam wparam, LParam lparam) override;

    // The portable number of a registered window message; 0 when it is none of the program's.
    MessageId FromWindowMessage(UINT message) const;

private:
    UINT ToWindowMessage(MessageId id) const;

    HWND window_ = nullptr;
    std::vector<std::pair<MessageId, UINT>> numbers_; // portable, window system
};

} // namespace sonarel
