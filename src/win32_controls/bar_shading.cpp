#include "win32_controls/bar_shading.h"

#include "win32_controls/gradient_progress_bar.h"

#include <cstdint>

namespace sonarel {
namespace {

using Shade = int64_t (*)(int64_t c, int64_t row, int64_t h);

COLORREF MapComponents(COLORREF colour, int64_t row, int64_t h, Shade shade) {
    auto one = [&](int64_t c) { return static_cast<BYTE>(shade(c, row, h) & 0xFF); };
    return RGB(one(GetRValue(colour)), one(GetGValue(colour)), one(GetBValue(colour)));
}

// Linear: two thirds of the colour at the top edge up to the full colour at row h, and half
// way to white at the bottom edge down to the full colour at row height - h.
int64_t LinearTop(int64_t c, int64_t y, int64_t h) {
    return c + (y * (c / h) - h * (c / h)) / 3;
}
int64_t LinearBottom(int64_t c, int64_t k, int64_t h) {
    const int64_t d = (255 - c) / h;
    return c + (h * d - k * d) / 2;
}

// Quartic: nearly black at the top edge and white at the bottom edge.
int64_t QuarticTop(int64_t c, int64_t y, int64_t h) {
    const int64_t w = (y + 1 - h) * (y + 1 - h) * (y + 1 - h) * (y + 1 - h);
    return c - w * c / (h * h * h * h);
}
int64_t QuarticBottom(int64_t c, int64_t k, int64_t h) {
    const int64_t w = (k - h) * (k - h) * (k - h) * (k - h);
    return c + w * (255 - c) / (h * h * h * h);
}

int Ramp(int l, int r, int64_t x, int64_t w) {
    return static_cast<int>(l - x * x * (l - r) / (w * w));
}

} // namespace

void BarShading::Render(int width, int height, const Fill& fill) const {
    if (width <= 0 || height <= 0) {
        return;
    }
    if (lowColour || width < 2) {
        const int split = lowColour ? 3 * width / 4 : width;
        fill({0, 0, split, height}, left);
        fill({split, 0, split + width / 4, height}, right);
        return;
    }
    int s = width / (width / 2);
    s = s < 2 ? 1 : s;
    for (int x = 0; x < width; x += s) {
        const COLORREF colour = RGB(Ramp(GetRValue(left), GetRValue(right), x, width),
                                    Ramp(GetGValue(left), GetGValue(right), x, width),
                                    Ramp(GetBValue(left), GetBValue(right), x, width));
        Column(x, s, height, colour, fill);
    }
}

void BarShading::Column(int x, int s, int height, COLORREF colour, const Fill& fill) const {
    const int h = height / 2;
    if ((mode != kLinearShading && mode != kQuarticShading) || h == 0) {
        fill({x, 0, x + s, height}, colour);
        return;
    }
    const Shade top = mode == kLinearShading ? LinearTop : QuarticTop;
    const Shade bottom = mode == kLinearShading ? LinearBottom : QuarticBottom;
    for (int y = 0; y <= h; ++y) {
        fill({x, y, x + s, y + 1}, MapComponents(colour, y, h, top));
    }
    for (int k = 0; k <= h; ++k) {
        fill({x, height - k, x + s, height - k + 1}, MapComponents(colour, k, h, bottom));
    }
}

} // namespace sonarel
