// Small owners of GDI objects for the controls' painting: each deletes or releases what it
// holds when it goes out of scope, so an early return leaks nothing.
#pragma once

#include <windows.h>

namespace sonarel {

// A memory device context with a bitmap of the given size selected into it.
class OffscreenBitmap {
public:
    OffscreenBitmap(HDC compatibleWith, int width, int height);
    ~OffscreenBitmap();
    OffscreenBitmap(const OffscreenBitmap&) = delete;
    OffscreenBitmap& operator=(const OffscreenBitmap&) = delete;

    HDC Dc() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
    int width_;
    int height_;
};

// Fills rect with a solid colour.
void FillSolid(HDC dc, const RECT& rect, COLORREF colour);

// A 3-D frame: top and left edges in topLeft, bottom and right edges in bottomRight.
void Draw3dRect(HDC dc, const RECT& rect, COLORREF topLeft, COLORREF bottomRight);

// The font of the control's dialog ("MS Sans Serif", 8 points), optionally underlined.
HFONT CreateControlFont(HWND window, bool underline);

} // namespace sonarel
