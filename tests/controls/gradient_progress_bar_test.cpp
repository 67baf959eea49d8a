// The progress bar's position rules, its percentage and status text, and what it paints.
#include <QApplication>
#include <QImage>
#include <QPalette>
#include <gtest/gtest.h>

#include "controls/gradient_progress_bar.h"

namespace sonarel {
namespace {

const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

// The main window's set-up: yellow to red, 0..105, direct positioning, linear shading.
void SetUpLikeTheMainWindow(GradientProgressBar& bar) {
    bar.SetColours(kYellow, kRed);
    ASSERT_TRUE(bar.SetRange(0, 105));
    ASSERT_TRUE(bar.SetStep(-1));
    bar.SetMode(kLinearShading);
    ASSERT_TRUE(bar.SetPos(0));
    bar.SetBordered(true);
    bar.ShowText(true);
}

QImage Grab(GradientProgressBar& bar) {
    return bar.grab().toImage();
}

TEST(GradientProgressBar, SetPosRejectsValuesOutsideTheRange) {
    GradientProgressBar bar;
    ASSERT_TRUE(bar.SetRange(10, 50));
    ASSERT_TRUE(bar.SetPos(30));
    EXPECT_FALSE(bar.SetPos(9));
    EXPECT_FALSE(bar.SetPos(51));
    EXPECT_EQ(bar.Pos(), 30);
    EXPECT_TRUE(bar.SetPos(10));
    EXPECT_TRUE(bar.SetPos(50));
    EXPECT_EQ(bar.Pos(), 50);
}

TEST(GradientProgressBar, DirectStepJumpsBothWays) {
    GradientProgressBar bar;
    ASSERT_TRUE(bar.SetStep(-1));
    ASSERT_TRUE(bar.SetPos(50));
    ASSERT_TRUE(bar.SetPos(0));
    EXPECT_EQ(bar.Pos(), 0);
    EXPECT_EQ(bar.FilledWidth(200), 0);
}

TEST(GradientProgressBar, PositiveStepMovesDownOneStepPerCall) {
    GradientProgressBar bar;
    ASSERT_TRUE(bar.SetPos(0)); // from the initial 100 even this would count as falling
    ASSERT_TRUE(bar.SetStep(10));
    ASSERT_TRUE(bar.SetPos(50));
    EXPECT_EQ(bar.Pos(), 50);
    ASSERT_TRUE(bar.SetPos(0));
    EXPECT_EQ(bar.Pos(), 40);
    ASSERT_TRUE(bar.SetPos(45)); // rising values still jump
    EXPECT_EQ(bar.Pos(), 45);
    ASSERT_TRUE(bar.SetPos(45)); // an equal value counts as falling
    EXPECT_EQ(bar.Pos(), 35);
}

TEST(GradientProgressBar, PositionBelowZeroIsRaisedToZero) {
    GradientProgressBar bar;
    ASSERT_TRUE(bar.SetStep(30));
    ASSERT_TRUE(bar.SetPos(5)); // 100 - 30
    ASSERT_TRUE(bar.SetPos(5)); // 70 - 30
    ASSERT_TRUE(bar.SetPos(5)); // 40 - 30
    EXPECT_EQ(bar.Pos(), 10);
    ASSERT_TRUE(bar.SetPos(5)); // 10 - 30
    EXPECT_EQ(bar.Pos(), 0);
}

TEST(GradientProgressBar, SetRangeAndSetStepRejectNonsense) {
    GradientProgressBar bar;
    EXPECT_FALSE(bar.SetRange(5, 5));
    EXPECT_FALSE(bar.SetRange(6, 5));
    EXPECT_EQ(bar.Lower(), 0);
    EXPECT_EQ(bar.Upper(), 100);
    EXPECT_FALSE(bar.SetStep(101));
    EXPECT_EQ(bar.Step(), -1);
    EXPECT_TRUE(bar.SetStep(100));
    EXPECT_EQ(bar.Step(), 100);
}

TEST(GradientProgressBar, PercentageFollowsTheRange) {
    GradientProgressBar bar;
    bar.ShowText(true);
    ASSERT_TRUE(bar.SetRange(0, 105));
    ASSERT_TRUE(bar.SetPos(105));
    EXPECT_EQ(bar.OverlayText(), "100%");
    ASSERT_TRUE(bar.SetPos(55));
    EXPECT_EQ(bar.OverlayText(), "52%"); // 55 * 100 / 105, truncated
    ASSERT_TRUE(bar.SetPos(1));
    EXPECT_EQ(bar.OverlayText(), ""); // 0 % is left out, not shown as "0%"
    ASSERT_TRUE(bar.SetPos(0));
    EXPECT_EQ(bar.OverlayText(), "");
}

TEST(GradientProgressBar, StatusTextWinsAtAnyPosition) {
    GradientProgressBar bar;
    bar.ShowText(true);
    bar.SetText("Select MP3 file to decode");
    for (int pos : {0, 37, 100}) {
        ASSERT_TRUE(bar.SetPos(pos));
        EXPECT_EQ(bar.OverlayText(), "Select MP3 file to decode");
    }
    bar.SetText("");
    EXPECT_EQ(bar.OverlayText(), "100%");
    bar.ShowText(false);
    EXPECT_EQ(bar.OverlayText(), "");
}

TEST(GradientProgressBar, FilledWidthStaysInsideTheBar) {
    GradientProgressBar bar;
    EXPECT_EQ(bar.FilledWidth(210), 210); // never positioned: full
    ASSERT_TRUE(bar.SetRange(0, 105));
    ASSERT_TRUE(bar.SetPos(50));
    EXPECT_EQ(bar.FilledWidth(210), 100); // the position counts against the upper end only
    ASSERT_TRUE(bar.SetRange(0, 25));     // the old position 50 is now past the end
    EXPECT_EQ(bar.FilledWidth(210), 210);
    ASSERT_TRUE(bar.SetRange(-20, 0));
    EXPECT_EQ(bar.FilledWidth(210), 0);
}

TEST(GradientProgressBar, PaintsTheRampTheBackgroundAndTheBorder) {
    GradientProgressBar bar;
    bar.resize(202, 22);
    SetUpLikeTheMainWindow(bar);
    ASSERT_TRUE(bar.SetPos(105));
    QImage full = Grab(bar);
    ASSERT_EQ(full.size(), QSize(202, 22));
    // The client area is inside a one-pixel frame; row 11 is the middle row of the 20 rows.
    EXPECT_EQ(full.pixelColor(1, 11), kYellow);
    const QColor right_end = full.pixelColor(200, 11);
    EXPECT_EQ(right_end.red(), 255);
    EXPECT_LT(right_end.green(), 12);
    EXPECT_NE(full.pixelColor(0, 11), kYellow);                 // frame
    EXPECT_NE(full.pixelColor(0, 0), full.pixelColor(201, 21)); // sunken: dark vs light

    ASSERT_TRUE(bar.SetPos(0));
    const QImage empty = Grab(bar);
    const QRgb face = bar.palette().color(QPalette::Button).rgb();
    EXPECT_EQ(empty.pixel(1, 11), face);
    EXPECT_EQ(empty.pixel(200, 1), face);
}

TEST(GradientProgressBar, PartialBarFillsOnlyItsShare) {
    GradientProgressBar bar;
    bar.resize(100, 20);
    bar.SetColours(kYellow, kRed);
    bar.SetMode(0);
    ASSERT_TRUE(bar.SetPos(40));
    const QImage image = Grab(bar);
    const QRgb face = bar.palette().color(QPalette::Button).rgb();
    EXPECT_NE(image.pixel(39, 10), face);
    EXPECT_EQ(image.pixel(40, 10), face);
}

TEST(GradientProgressBar, LinearShadingIsDarkAtTopWhenSetAfterTheColours) {
    // The main window sets the colours first and the mode afterwards; the mode still shows.
    GradientProgressBar bar;
    bar.resize(200, 20);
    bar.SetColours(QColor(0, 160, 0), QColor(0, 160, 0));
    bar.SetMode(kLinearShading);
    const QImage image = Grab(bar);
    EXPECT_LT(image.pixelColor(50, 0).green(), image.pixelColor(50, 10).green());
    EXPECT_GT(image.pixelColor(50, 19).red(), image.pixelColor(50, 10).red());
}

TEST(GradientProgressBar, ResizingRendersTheBarAgain) {
    GradientProgressBar bar;
    bar.resize(50, 20);
    bar.SetColours(kYellow, kRed);
    bar.resize(300, 20);
    const QImage image = Grab(bar);
    EXPECT_EQ(image.pixelColor(0, 10), kYellow);
    EXPECT_LT(image.pixelColor(299, 10).green(), 12); // reaches the right colour at 300 px
}

TEST(GradientProgressBar, TextIsDrawnInBlackOverTheBar) {
    GradientProgressBar bar;
    bar.resize(200, 24);
    bar.SetColours(kYellow, kYellow);
    bar.SetMode(0);
    bar.ShowText(true);
    bar.SetText("WWWW");
    const QImage image = Grab(bar);
    int dark_pixels = 0;
    int top = 24;
    int bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y).value() < 80) {
                ++dark_pixels;
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    ASSERT_GT(dark_pixels, 20);
    // Centred vertically, give or take the font's ascent and descent.
    EXPECT_LE(std::abs((top + bottom) - 23), 5);
}

TEST(GradientProgressBar, TinyClientAreasPaintWithoutTrouble) {
    for (const QSize size : {QSize(1, 1), QSize(1, 20), QSize(20, 1), QSize(2, 2), QSize(3, 3)}) {
        GradientProgressBar bar;
        bar.resize(size);
        bar.SetColours(kYellow, kRed);
        bar.SetMode(kLinearShading);
        const QImage image = Grab(bar);
        ASSERT_EQ(image.size(), size);
        if (size.width() < 2 || size.height() < 2) {
            EXPECT_EQ(image.pixelColor(0, 0), kYellow) << size.width() << "x" << size.height();
        }
        bar.ShowText(true);
        EXPECT_FALSE(Grab(bar).isNull());
        bar.SetBordered(true); // nothing is left inside the frame for the smallest sizes
        EXPECT_FALSE(Grab(bar).isNull());
    }
}

} // namespace
} // namespace sonarel
