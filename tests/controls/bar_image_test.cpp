// The progress bar's ramp image: pixels of every shading against values worked out by hand from
// the ramp and shading formulas, including the sizes where the arithmetic has nothing to divide
// by and a bar tall enough to overflow 32-bit quartic terms.
#include "controls/bar_image.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>
#include <tuple>

namespace sonarel {
namespace {

// Every component differs between the ends, so that each formula is seen in all three.
const QColor kLeft(10, 200, 250);
const QColor kRight(250, 20, 10);

// Size, shading, low colour, the pixel, and its colour.
const std::tuple<QSize, int, bool, QPoint, QColor> kPixels[] = {
    // Flat: slow near the left end, quadratic in x, in two-pixel columns.
    {{200, 20}, 0, false, {0, 10}, kLeft},
    {{200, 20}, 0, false, {101, 10}, {70, 155, 190}},
    {{200, 20}, 0, false, {199, 10}, {245, 24, 15}},
    // Linear: two thirds of the colour at the top, half-way to white at the bottom.
    {{40, 20}, kLinearShading, false, {0, 0}, {7, 134, 167}},
    {{40, 20}, kLinearShading, false, {0, 10}, kLeft},
    {{40, 20}, kLinearShading, false, {21, 19}, {151, 200, 217}},
    // Quartic: nearly black at the top, nearly white at the bottom.
    {{10, 21}, kQuarticShading, false, {0, 0}, {4, 69, 86}},
    {{10, 21}, kQuarticShading, false, {0, 9}, kLeft},
    {{10, 21}, kQuarticShading, false, {0, 20}, {170, 236, 253}},
    {{10, 600}, kQuarticShading, false, {0, 0}, {1, 3, 4}},
    {{10, 600}, kQuarticShading, false, {9, 599}, {253, 252, 252}},
    // 2 wide is still shaded, 1 wide is flat, 1 high is unshaded, 3 wide is one column.
    {{2, 10}, kLinearShading, false, {1, 9}, {108, 222, 252}},
    {{1, 10}, kLinearShading, false, {0, 0}, kLeft},
    {{40, 1}, kQuarticShading, false, {38, 0}, {226, 38, 34}},
    {{3, 6}, 0, false, {2, 3}, kLeft},
    // Low-colour displays: three quarters left colour, the rest right colour.
    {{10, 4}, kLinearShading, true, {6, 0}, kLeft},
    {{10, 4}, kLinearShading, true, {7, 3}, kRight},
};

TEST(BarImage, PixelsFollowTheRampAndShadingFormulas) {
    for (const auto& [size, mode, lowColour, at, colour] : kPixels) {
        const QImage image = RenderBarImage(size, kLeft, kRight, mode, lowColour);
        ASSERT_EQ(image.size(), size);
        EXPECT_EQ(image.pixelColor(at), colour) << size.width() << "x" << size.height() << " mode "
                                                << mode << " at " << at.x() << "," << at.y();
    }
    const QImage ramp = RenderBarImage({200, 20}, kLeft, kRight, 0);
    for (int x = 0; x < 200; x += 2) {
        EXPECT_EQ(ramp.pixelColor(x, 0), ramp.pixelColor(x + 1, 19)) << "column " << x;
    }
}

} // namespace
} // namespace sonarel
