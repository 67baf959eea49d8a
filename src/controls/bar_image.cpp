#include "controls/bar_image.h"

#include <QRgb>
#include <algorithm>
#include <cstdint>

namespace sonarel {

namespace {

struct Rgb {
    int64_t r;
    int64_t g;
    int64_t b;
};

Rgb ToRgb(const QColor& colour) {
    return {colour.red(), colour.green(), colour.blue()};
}

// Applies a per-component formula; each result keeps only its low 8 bits.
template <typename Formula> Rgb Map(const Rgb& c, Formula formula) {
    return {formula(c.r) & 0xFF, formula(c.g) & 0xFF, formula(c.b) & 0xFF};
}

// c = L - x^2 (L - R) / W^2 per component: slow near the left end, fast towards the right.
// For 0 <= x < W it stays between L and R.
Rgb RampColour(const Rgb& left, const Rgb& right, int64_t x, int64_t width) {
    const int64_t x2 = x * x;
    const int64_t w2 = width * width;
    return {left.r - x2 * (left.r - right.r) / w2, left.g - x2 * (left.g - right.g) / w2,
            left.b - x2 * (left.b - right.b) / w2};
}

// One solid row segment; rows outside the image are dropped.
void FillRow(QImage& image, int x, int width, int64_t y, const Rgb& c) {
    if (y < 0 || y >= image.height()) {
        return;
    }
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(static_cast<int>(y)));
    const int end = std::min(x + width, image.width());
    std::fill(line + x, line + end, qRgb(int(c.r), int(c.g), int(c.b)));
}

// Top half from two thirds of c up to c; bottom half from half-way-to-white down to c.
void FillLinearColumn(QImage& image, int x, int width, const Rgb& c) {
    const int64_t h = image.height() / 2;
    const int64_t H = image.height();
    for (int64_t y = 0; y <= h; ++y) {
        FillRow(image, x, width, y,
                Map(c, [&](int64_t v) { return v + (y * (v / h) - h * (v / h)) / 3; }));
    }
    for (int64_t k = 0; k <= h; ++k) {
        FillRow(image, x, width, H - k, Map(c, [&](int64_t v) {
                    const int64_t d = (255 - v) / h;
                    return v + (h * d - k * d) / 2;
                }));
    }
}

// Top half from nearly black up to c; bottom half from white down to c; quartic in the row.
void FillQuarticColumn(QImage& image, int x, int width, const Rgb& c) {
    const int64_t h = image.height() / 2;
    const int64_t H = image.height();
    const int64_t h4 = h * h * h * h;
    for (int64_t y = 0; y <= h; ++y) {
        const int64_t t = y + 1 - h;
        const int64_t w = t * t * t * t;
        FillRow(image, x, width, y, Map(c, [&](int64_t v) { return v - w * v / h4; }));
    }
    for (int64_t k = 0; k <= h; ++k) {
        const int64_t t = k - h;
        const int64_t w = t * t * t * t;
        FillRow(image, x, width, H - k, Map(c, [&](int64_t v) { return v + w * (255 - v) / h4; }));
    }
}

void FillFlatColumn(QImage& image, int x, int width, const Rgb& c) {
    for (int y = 0; y < image.height(); ++y) {
        FillRow(image, x, width, y, c);
    }
}

void FillColumn(QImage& image, int x, int width, const Rgb& c, int mode) {
    if (image.height() < 2) {
        mode = 0; // the shadings divide by half the height
    }
    if (mode == kLinearShading) {
        FillLinearColumn(image, x, width, c);
    } else if (mode == kQuarticShading) {
        FillQuarticColumn(image, x, width, c);
    } else {
        FillFlatColumn(image, x, width, c);
    }
}

void RenderLowColour(QImage& image, const QColor& left, const QColor& right) {
    // Three quarters on the left; the right colour takes every remaining column.
    const int split = image.width() * 3 / 4;
    image.fill(right);
    FillFlatColumn(image, 0, split, ToRgb(left));
}

void RenderRamp(QImage& image, const QColor& left, const QColor& right, int mode) {
    const int width = image.width();
    // Two-pixel columns for every width of 4 or more (3 for a width of 3).
    const int step = width / (width / 2);
    const Rgb l = ToRgb(left);
    const Rgb r = ToRgb(right);
    for (int x = 0; x < width; x += step) {
        FillColumn(image, x, step, RampColour(l, r, x, width), mode);
    }
}

} // namespace

QImage RenderBarImage(QSize size, const QColor& left, const QColor& right, int mode,
                      bool low_colour) {
    if (size.isEmpty()) {
        return QImage();
    }
    QImage image(size, QImage::Format_RGB32);
    if (low_colour) {
        RenderLowColour(image, left, right);
    } else if (size.width() < 2) {
        image.fill(left); // the column width would divide by zero
    } else {
        RenderRamp(image, left, right, mode);
    }
    return image;
}

} // namespace sonarel
