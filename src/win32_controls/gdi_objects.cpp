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

// The dialog's own font ("MS Sans Serif" 8 point, scaled by the dialog manager for the monitor's
// resolution); without one, that face at 8 points for the system's resolution. The classic face
// is a bitmap font whose smallest size is 8 points, so the size is asked for in points.
HFONT CreateControlFont(HWND window, bool underline) {
    LOGFONTW font{};
    auto dialogFont = reinterpret_cast<HFONT>(SendMessageW(GetParent(window), WM_GETFONT, 0, 0));
    if (dialogFont == nullptr || GetObjectW(dialogFont, sizeof font, &font) == 0) {
        HDC dc = GetDC(window);
        font.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(window, dc);
        font.lfWeight = FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        lstrcpynW(font.lfFaceName, L"MS Sans Serif", LF_FACESIZE);
    }
    font.lfUnderline = underline ? TRUE : FALSE;
    return CreateFontIndirectW(&font);
}

} // namespace sonarel
