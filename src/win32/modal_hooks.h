// How the dialog window runs what waits for the user or leaves the program: message boxes, the
// file dialogs, the sound, the links and the About box. Each defaults to the system's own;
// tests replace them to answer the way a user would and to see what was asked.
#pragma once

#include <windows.h>

#include <commdlg.h>
#include <functional>
#include <string>

namespace sonarel {

struct ModalHooks {
    // MessageBoxW's answer (IDOK, IDYES, IDNO) for the text and MB_ flags.
    std::function<int(HWND owner, const std::wstring& text, UINT flags)> messageBox;
    // GetOpenFileNameW or GetSaveFileNameW: true with the chosen name in the request's buffer.
    std::function<bool(OPENFILENAMEW& request, bool save)> fileDialog;
    std::function<void()> beep;
    // Opens a link target; empty: the link button's own way (ShellExecuteW).
    std::function<void(HWND owner, const std::wstring& target)> openLink;
    // Called when a dialog (the main window, the About box) has been set up, with its window;
    // nothing by default.
    std::function<void(HWND box)> boxShown;

    // The system's own for every hook (openLink left to the link buttons).
    static ModalHooks System();
};

} // namespace sonarel
