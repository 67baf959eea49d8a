#include "win32/modal_hooks.h"

#include <shellapi.h>

namespace sonarel {

ModalHooks ModalHooks::System() {
    ModalHooks hooks;
    hooks.messageBox = [](HWND owner, const std::wstring& text, UINT flags) {
        return MessageBoxW(owner, text.c_str(), L"Sonarel MP3 Decoder", flags);
    };
    hooks.fileDialog = [](OPENFILENAMEW& request, bool save) {
        return (save ? GetSaveFileNameW(&request) : GetOpenFileNameW(&request)) != FALSE;
    };
    hooks.beep = [] { MessageBeep(0); };
    hooks.openLink = [](HWND owner, const std::wstring& target) {
        ShellExecuteW(owner, L"open", target.c_str(), nullptr, L"", SW_SHOW);
    };
    hooks.boxShown = [](HWND) {};
    return hooks;
}

} // namespace sonarel
