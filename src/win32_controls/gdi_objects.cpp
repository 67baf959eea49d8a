#include "win32_controls/gdi_objects.h"

namespace sonarel {

OffscreenBitmap::OffscreenBitmap(HDC compatibleWith, int width, int height)
    : dc_(CreateCompatibleDC(compatibleWith)),
      bitmap_(
          CreateCompatibleBitmap(compatibleWith, width > 0 ? width : 1, height > 0 ? height : 1)),
      previous_(SelectObject(dc_, bitmap_)), width_(width), height_(height) {
}

OffscreenBitmap::~OffscreenBitmap() {
    SelectObject(dc_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void Draw3dRect(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight) {
    const LONG w = rect.right - rect.left;
    const LONG h = rect.bottom - rect.top;
    FillSolid(dc, {rect.left, rect.top, rect.left + w - 1, rect.top + 1}, topLeft);
    FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.top + h - 1}, topLeft);
    FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
    FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
}

// The classic dialog font is a bitmap font whose smallest face is 8 points; the size is asked
// for in points so that a scalable substitute shows at the same size.
HFONT CreateControlFont(HWND window, bool underline) {
    HDC dc = GetDC(window);
    const int height = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
    ReleaseDC(window, dc);
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, underline ? TRUE : FALSE, FALSE,
                       DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"MS Sans Serif");
}

} // namespace sonarel
