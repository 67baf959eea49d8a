// The filled look of the progress bar, rendered once into a bitmap: a horizontal colour ramp
// that changes slowly near the left end and faster towards the right, shaded vertically.
#pragma once

#include <windows.h>

#include <functional>

namespace sonarel {

struct BarShading {
    COLORREF left;
    COLORREF right;
    int mode;       // kLinearShading, kQuarticShading, anything else flat
    bool lowColour; // a display of fewer than 9 bits per pixel: two flat blocks instead

    using Fill = std::function<void(const RECT&, COLORREF)>;
    // Calls fill for every rectangle of a width x height bar, in drawing order.
    void Render(int width, int height, const Fill& fill) const;

private:
    void Column(int x, int s, int height, COLORREF colour, const Fill& fill) const;
};

} // namespace sonarel
