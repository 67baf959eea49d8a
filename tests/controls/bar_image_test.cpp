// The progress bar's ramp image: colours at the ends, the two shadings, and the sizes where the
// arithmetic has nothing to divide by.
#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include "controls/bar_image.h"

namespace sonarel {
namespace {

const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

QColor At(const QImage& image, int x, int y) {
    return image.pixelColor(x, y);
}

TEST(BarImage, RampRunsFromLeftToNearlyRightColourSlowlyAtFirst) {
    const QImage image = RenderBarImage(QSize(200, 20), kYellow, kRed, 0);
    EXPECT_EQ(At(image, 0, 10), kYellow);
    // Last column x = 198: 255 - 198^2 * 255 / 200^2 = 6.
    EXPECT_EQ(At(image, 199, 10), QColor(255, 6, 0));
    // Quadratic: at half the width only a quarter of the way to the right colour.
    EXPECT_EQ(At(image, 100, 10), QColor(255, 255 - 255 / 4, 0));
    // Two-pixel columns, each one colour from top to bottom when unshaded.
    for (int x = 0; x < 200; x += 2) {
        EXPECT_EQ(At(image, x, 10), At(image, x + 1, 10)) << "column " << x;
        EXPECT_EQ(At(image, x, 0), At(image, x, 19)) << "column " << x;
    }
    EXPECT_NE(At(image, 197, 10), At(image, 198, 10));
}

TEST(BarImage, LinearShadingIsDarkerAtTopAndLighterAtBottom) {
    const QImage image =
        RenderBarImage(QSize(40, 20), QColor(0, 150, 240), QColor(0, 150, 240), kLinearShading);
    const QColor top = At(image, 0, 0);
    const QColor middle = At(image, 0, 10);
    const QColor bottom = At(image, 0, 19);
    EXPECT_EQ(middle, QColor(0, 150, 240));
    // Top: c + (0 - h (c / h)) / 3, about two thirds of c.
    EXPECT_EQ(top, QColor(0, 150 - 150 / 3, 240 - 240 / 3));
    // Row H - 1: c + (h d - d) / 2 with d = (255 - c) / h.
    EXPECT_EQ(bottom, QColor((9 * 25) / 2, 150 + (9 * 10) / 2, 240 + (9 * 1) / 2));
    for (int y = 1; y <= 10; ++y) {
        EXPECT_GE(At(image, 0, y).blue(), At(image, 0, y - 1).blue()) << "row " << y;
    }
}

TEST(BarImage, QuarticShadingRunsFromNearlyBlackToWhite) {
    // H = 21, h = 10: rows 0 and 20 have w = 9^4 = 6561 of h^4 = 10000.
    const QImage image = RenderBarImage(QSize(10, 21), kRed, kRed, kQuarticShading);
    EXPECT_EQ(At(image, 0, 0), QColor(255 - 6561 * 255 / 10000, 0, 0));
    EXPECT_EQ(At(image, 0, 9), kRed);  // row h - 1: (y + 1 - h)^4 is 0
    EXPECT_EQ(At(image, 0, 10), kRed); // (1/h^4 of the colour is less than one step)
    EXPECT_EQ(At(image, 0, 11), kRed); // row H - h
    EXPECT_EQ(At(image, 0, 20), QColor(255, 6561 * 255 / 10000, 6561 * 255 / 10000));
}

TEST(BarImage, TallBarsDoNotOverflowTheQuarticTerms) {
    // h = 300: h^4 alone exceeds 32 bits.
    const QImage image = RenderBarImage(QSize(4000, 600), kYellow, kRed, kQuarticShading);
    EXPECT_EQ(At(image, 0, 300), kYellow);
    EXPECT_GT(At(image, 0, 599).blue(), 240);
    EXPECT_LT(At(image, 0, 0).red(), 10);
}

TEST(BarImage, DegenerateSizesGiveSafeFlatFills) {
    EXPECT_TRUE(RenderBarImage(QSize(0, 10), kYellow, kRed, 2).isNull());
    EXPECT_TRUE(RenderBarImage(QSize(10, 0), kYellow, kRed, 2).isNull());

    const QImage narrow = RenderBarImage(QSize(1, 10), kYellow, kRed, kLinearShading);
    for (int y = 0; y < 10; ++y) {
        EXPECT_EQ(At(narrow, 0, y), kYellow);
    }
    const QImage low = RenderBarImage(QSize(40, 1), kYellow, kRed, kQuarticShading);
    EXPECT_EQ(At(low, 0, 0), kYellow);
    EXPECT_EQ(At(low, 38, 0), RenderBarImage(QSize(40, 5), kYellow, kRed, 0).pixelColor(38, 0));

    // Width 3: one column of three pixels.
    const QImage three = RenderBarImage(QSize(3, 6), kYellow, kRed, 0);
    EXPECT_EQ(At(three, 2, 3), kYellow);
}

TEST(BarImage, LowColourDisplaysGetTwoBlocks) {
    const QImage image = RenderBarImage(QSize(10, 4), kYellow, kRed, kLinearShading, true);
    for (int x = 0; x < 10; ++x) {
        EXPECT_EQ(At(image, x, 2), x < 7 ? kYellow : kRed) << "column " << x;
    }
}

} // namespace
} // namespace sonarel
