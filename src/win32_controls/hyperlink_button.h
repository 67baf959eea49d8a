// An owner-drawn push button that looks like a link: its caption in dark blue, underlined, on the
// dialog's face colour, a hand cursor over it; a click opens its target (the URL, or the caption
// when no URL was set) with the system's default handler.
//
// It takes over a BS_OWNERDRAW button made elsewhere; the parent passes the button's
// WM_DRAWITEM to DrawItem and its BN_CLICKED to Open.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

namespace sonarel {

class HyperlinkButton {
public:
    // How a target is opened: by default ShellExecuteW with "open" and SW_SHOW.
    using Opener = std::function<void(HWND owner, const std::wstring& target)>;

    explicit HyperlinkButton(HWND window, Opener opener = {});
    ~HyperlinkButton();
    HyperlinkButton(const HyperlinkButton&) = delete;
    HyperlinkButton& operator=(const HyperlinkButton&) = delete;

    void SetUrl(std::wstring url) { url_ = std::move(url); }
    std::wstring Target() const;
    void Open() const;
    void DrawItem(const DRAWITEMSTRUCT& item);

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                      UINT_PTR id, DWORD_PTR self);

    HWND window_;
    HFONT font_;
    std::wstring url_;
    bool font_pending_ = true;
    Opener opener_;
};

} // namespace sonarel
