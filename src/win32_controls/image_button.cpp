#include "win32_controls/image_button.h"

#include "win32_controls/gdi_objects.h"
#include "win32_controls/window_text.h"

namespace sonarel {
namespace {

constexpr UINT_PTR kSubclassId = 0x4942; // "IB"

} // namespace

void DrawEngravedText(HDC dc, const wchar_t* text, RECT rect, UINT format) {
    SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
    DrawTextW(dc, text, -1, &rect, format);
    OffsetRect(&rect, -1, -1);
    SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
    DrawTextW(dc, text, -1, &rect, format);
}

ImageButton::ImageButton(HWND window) : window_(window) {
    SetWindowSubclass(window_, Procedure, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

ImageButton::~ImageButton() {
    RemoveWindowSubclass(window_, Procedure, kSubclassId);
}

void ImageButton::SetImages(int index, HIMAGELIST normal, HIMAGELIST hot, HIMAGELIST disabled) {
    image_index_ = index;
    normal_images_ = normal;
    hot_images_ = hot;
    disabled_images_ = disabled;
    InvalidateRect(window_, nullptr, FALSE);
}

LRESULT CALLBACK ImageButton::Procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR /*id*/, DWORD_PTR self) {
    if (message == WM_MOUSEMOVE) {
        reinterpret_cast<ImageButton*>(self)->OnMouseMove();
    }
    return DefSubclassProc(window, message, wparam, lparam);
}

// The button holds the mouse capture while the pointer is over it, to see it leave.
void ImageButton::OnMouseMove() {
    if (GetCapture() == window_) {
        POINT point;
        GetCursorPos(&point);
        RECT rect;
        GetWindowRect(window_, &rect);
        if (PtInRect(&rect, point)) {
            return;
        }
        ReleaseCapture();
        hover_ = false;
    } else {
        SetCapture(window_);
        hover_ = true;
    }
    InvalidateRect(window_, nullptr, FALSE);
}

ImageButton::Look ImageButton::LookOf(UINT state) {
    if ((state & ODS_DISABLED) != 0) {
        if (GetCapture() == window_) {
            ReleaseCapture();
        }
        hover_ = false;
        return Look::kDisabled;
    }
    if ((state & ODS_SELECTED) != 0) {
        return Look::kPressed;
    }
    if (hover_) {
        if (GetCapture() == window_) {
            return Look::kHot;
        }
        hover_ = false;
        return Look::kNormal;
    }
    return (state & ODS_FOCUS) != 0 ? Look::kFocused : Look::kNormal;
}

void ImageButton::DrawBorders(HDC dc, const RECT& rect, Look look) const {
    RECT inner = rect;
    InflateRect(&inner, -1, -1);
    auto colour = [](int index) { return GetSysColor(index); };
    switch (look) {
    case Look::kHot:
    case Look::kFocused:
        Draw3dRect(dc, rect, colour(COLOR_BTNHIGHLIGHT), colour(COLOR_3DDKSHADOW));
        Draw3dRect(dc, inner, colour(COLOR_3DLIGHT), colour(COLOR_BTNSHADOW));
        break;
    case Look::kPressed:
        Draw3dRect(dc, rect, colour(COLOR_3DDKSHADOW), colour(COLOR_BTNHIGHLIGHT));
        Draw3dRect(dc, inner, colour(COLOR_BTNSHADOW), colour(COLOR_3DLIGHT));
        break;
    default:
        Draw3dRect(dc, rect, colour(COLOR_3DLIGHT), colour(COLOR_BTNSHADOW));
        break;
    }
}

void ImageButton::DrawCaption(HDC dc, RECT rect, bool disabled) const {
    const std::wstring text = WindowText(window_);
    const UINT format = DT_SINGLELINE | DT_VCENTER | DT_LEFT;
    SetBkMode(dc, TRANSPARENT);
    if (disabled) {
        DrawEngravedText(dc, text.c_str(), rect, format);
    } else {
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        DrawTextW(dc, text.c_str(), -1, &rect, format);
    }
}

void ImageButton::DrawItem(const DRAWITEMSTRUCT& item) {
    const Look look = LookOf(item.itemState);
    HDC dc = item.hDC;
    FillSolid(dc, item.rcItem, GetSysColor(COLOR_BTNFACE));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    DrawBorders(dc, item.rcItem, look);
    const int offset = look == Look::kPressed                           ? 1
                       : (look == Look::kHot || look == Look::kFocused) ? -1
                                                                        : 0;
    HIMAGELIST images = look == Look::kNormal     ? normal_images_
                        : look == Look::kDisabled ? disabled_images_
                                                  : hot_images_;
    if (images != nullptr) {
        ImageList_Draw(images, image_index_, dc, item.rcItem.left + 4 + offset,
                       item.rcItem.top + 4 + offset, ILD_NORMAL);
    }
    RECT caption = item.rcItem;
    OffsetRect(&caption, 24 + offset, offset);
    DrawCaption(dc, caption, look == Look::kDisabled);
}

} // namespace sonarel
