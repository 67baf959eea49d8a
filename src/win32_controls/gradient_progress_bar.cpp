#include "win32_controls/gradient_progress_bar.h"

#include "win32_controls/bar_shading.h"
#include "win32_controls/gdi_objects.h"
#include "win32_controls/window_text.h"

#include <commctrl.h>
#include <string>

namespace sonarel {
namespace {

constexpr UINT_PTR kSubclassId = 0x5047; // "PG"

} // namespace

GradientProgressBar::GradientProgressBar(HWND window)
    : window_(window), font_(CreateControlFont(window, false)),
      back_colour_(GetSysColor(COLOR_BTNFACE)) {
    SetWindowSubclass(window_, Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

GradientProgressBar::~GradientProgressBar() {
    RemoveWindowSubclass(window_, Procedure, kSubclassId);
    if (image_dc_ != nullptr) {
        SelectObject(image_dc_, previous_image_);
        DeleteObject(bar_image_);
        DeleteDC(image_dc_);
    }
    DeleteObject(font_);
}

bool GradientProgressBar::SetPos(int pos) {
    if (pos < lower_ || pos > upper_) {
        return false;
    }
    pos_ = (step_ == -1 || pos > pos_) ? pos : pos_ - step_;
    if (pos_ < 0) {
        pos_ = 0;
    }
    Invalidate(false);
    return true;
}

bool GradientProgressBar::SetRange(int lower, int upper) {
    if (lower >= upper) {
        return false;
    }
    lower_ = lower;
    upper_ = upper;
    Invalidate(true);
    return true;
}

bool GradientProgressBar::SetStep(int step) {
    if (step > upper_) {
        return false;
    }
    step_ = step;
    return true;
}

void GradientProgressBar::ShowText(bool on) {
    show_text_ = on;
    Invalidate(true);
}

void GradientProgressBar::SetBordered() {
    SetWindowLongPtrW(window_, GWL_STYLE, GetWindowLongPtrW(window_, GWL_STYLE) | WS_BORDER);
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void GradientProgressBar::SetColours(COLORREF left, COLORREF right) {
    left_colour_ = left;
    right_colour_ = right;
    RenderBarImage();
    Invalidate(true);
}

void GradientProgressBar::RenderBarImage() {
    RECT client;
    GetClientRect(window_, &client);
    HDC windowDc = GetDC(window_);
    if (image_dc_ == nullptr) {
        image_dc_ = CreateCompatibleDC(windowDc);
    } else {
        SelectObject(image_dc_, previous_image_);
        DeleteObject(bar_image_);
    }
    bar_image_ = CreateCompatibleBitmap(windowDc, client.right, client.bottom);
    previous_image_ = SelectObject(image_dc_, bar_image_);
    const bool lowColour = GetDeviceCaps(windowDc, BITSPIXEL) * GetDeviceCaps(windowDc, PLANES) < 9;
    ReleaseDC(window_, windowDc);
    const BarShading shading{left_colour_, right_colour_, mode_, lowColour};
    shading.Render(client.right, client.bottom, [this](const RECT& rect, COLORREF colour) {
        FillSolid(image_dc_, rect, colour);
    });
}

void GradientProgressBar::Paint() {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window_, &paint);
    RECT client;
    GetClientRect(window_, &client);
    OffscreenBitmap offscreen(dc, client.right, client.bottom);
    const int cx =
        upper_ == 0 ? 0 : static_cast<int>(static_cast<long long>(client.right) * pos_ / upper_);
    FillSolid(offscreen.Dc(), {cx, 0, client.right, client.bottom}, back_colour_);
    if (image_dc_ != nullptr && cx > 0) {
        BitBlt(offscreen.Dc(), 0, 0, cx, client.bottom, image_dc_, 0, 0, SRCCOPY);
    }
    if (show_text_) {
        PaintText(offscreen.Dc(), client);
    }
    BitBlt(dc, 0, 0, client.right, client.bottom, offscreen.Dc(), 0, 0, SRCCOPY);
    EndPaint(window_, &paint);
}

// The window text, or the percentage when it is empty (nothing at 0%), centred vertically.
void GradientProgressBar::PaintText(HDC dc, const RECT& client) {
    std::wstring text = WindowText(window_);
    if (text.empty()) {
        const int percent = (pos_ - lower_) * 100 / (upper_ - lower_);
        text = percent == 0 ? L"" : std::to_wstring(percent) + L"%";
    }
    HGDIOBJ oldFont = SelectObject(dc, font_);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, text_colour_);
    TEXTMETRICW metrics;
    GetTextMetricsW(dc, &metrics);
    RECT box = client;
    const LONG margin = (client.bottom - metrics.tmHeight) / 2;
    box.top += margin;
    box.bottom -= margin;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box,
              DT_CENTER | DT_BOTTOM | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
}

LRESULT CALLBACK GradientProgressBar::Procedure(HWND window, UINT message, WPARAM wparam,
                                                LPARAM lparam, UINT_PTR /*id*/, DWORD_PTR self) {
    const std::optional<LRESULT> handled =
        reinterpret_cast<GradientProgressBar*>(self)->Handle(message, wparam, lparam);
    return handled ? *handled : DefSubclassProc(window, message, wparam, lparam);
}

// Nothing: the progress control's own handling.
std::optional<LRESULT> GradientProgressBar::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_ERASEBKGND:
        return FALSE;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_NCPAINT:
        if ((GetWindowLongPtrW(window_, GWL_STYLE) & WS_BORDER) != 0) {
            return std::nullopt;
        }
        return 0;
    case WM_SETTEXT: {
        LRESULT result = DefSubclassProc(window_, message, wparam, lparam);
        Invalidate(false);
        return result;
    }
    case PBM_SETPOS: {
        const int old = pos_;
        return SetPos(static_cast<int>(wparam)) ? old : 0;
    }
    case PBM_GETPOS:
        return pos_;
    case PBM_SETRANGE32:
        return SetRange(static_cast<int>(wparam), static_cast<int>(lparam)) ? 1 : 0;
    default:
        return std::nullopt;
    }
}

} // namespace sonarel
