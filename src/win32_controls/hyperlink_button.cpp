#include "win32_controls/hyperlink_button.h"

#include "win32_controls/gdi_objects.h"
#include "win32_controls/image_button.h"
#include "win32_controls/window_text.h"

#include <commctrl.h>
#include <shellapi.h>

namespace sonarel {
namespace {

constexpr UINT_PTR kSubclassId = 0x484C; // "HL"
constexpr COLORREF kLinkColour = RGB(0, 0, 192);

void ShellOpen(HWND owner, const std::wstring& target) {
    ShellExecuteW(owner, L"open", target.c_str(), nullptr, L"", SW_SHOW);
}

} // namespace

HyperlinkButton::HyperlinkButton(HWND window, Opener opener)
    : window_(window), font_(CreateControlFont(window, true)),
      opener_(opener ? std::move(opener) : Opener(ShellOpen)) {
    SetWindowSubclass(window_, Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

HyperlinkButton::~HyperlinkButton() {
    RemoveWindowSubclass(window_, Procedure, kSubclassId);
    DeleteObject(font_);
}

std::wstring HyperlinkButton::Target() const {
    if (!url_.empty()) {
        return url_;
    }
    return WindowText(window_);
}

void HyperlinkButton::Open() const {
    opener_(window_, Target());
}

LRESULT CALLBACK HyperlinkButton::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                            UINT_PTR /*id*/, DWORD_PTR /*self*/) {
    if (message == WM_SETCURSOR) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
    }
    return DefSubclassProc(window, message, wparam, lparam);
}

void HyperlinkButton::DrawItem(const DRAWITEMSTRUCT& item) {
    // The font is set on the first draw; only that one asks for a redraw.
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_),
                 font_pending_ ? TRUE : FALSE);
    font_pending_ = false;
    HDC dc = item.hDC;
    SelectObject(dc, font_);
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    const bool pressed = !disabled && (item.itemState & ODS_SELECTED) != 0;
    const bool focused = !disabled && !pressed && (item.itemState & ODS_FOCUS) != 0;
    FillSolid(dc, item.rcItem, GetSysColor(COLOR_BTNFACE));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    if (focused) {
        HBRUSH hatch = CreateHatchBrush(HS_DIAGCROSS, GetSysColor(COLOR_BTNSHADOW));
        FrameRect(dc, &item.rcItem, hatch);
        DeleteObject(hatch);
    }
    RECT text = item.rcItem;
    if (!pressed) {
        OffsetRect(&text, -1, -1);
    }
    const std::wstring caption = WindowText(window_);
    const UINT format = DT_SINGLELINE | DT_CENTER | DT_VCENTER;
    SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        DrawEngravedText(dc, caption.c_str(), text, format);
    } else {
        SetTextColor(dc, kLinkColour);
        DrawTextW(dc, caption.c_str(), -1, &text, format);
    }
}

} // namespace sonarel
