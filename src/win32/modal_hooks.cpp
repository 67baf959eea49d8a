#include "win32/modal_hooks.h"

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
    hooks.boxShown = [](HWND) {};
    return hooks;
}

} // namespace sonarel
