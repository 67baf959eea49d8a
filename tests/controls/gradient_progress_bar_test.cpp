// The progress bar's position rules, its percentage and status text, and what it paints.
#include "controls/gradient_progress_bar.h"

#include <QImage>
#include <QPalette>
#include <gtest/gtest.h>
#include <tuple>

namespace sonarel {
namespace {

const QColor kYellow(255, 255, 0);
const QColor kRed(255, 0, 0);

// A call ('r' SetRange(a, b), 's' SetStep(a), 'p' SetPos(a)), its result and the position after.
// A falling position glides one step per call unless the step is -1; below 0 it stops at 0.
const std::tuple<char, int, int, bool, int> kCalls[] = {
    {'r', 5, 5, false, 100}, {'r', 10, 50, true, 100}, {'p', 30, 0, true, 30},
    {'p', 9, 0, false, 30},  {'p', 51, 0, false, 30},  {'p', 50, 0, true, 50},
    {'s', 51, 0, false, 50}, {'p', 10, 0, true, 10},   {'s', 50, 0, true, 10},
    {'p', 20, 0, true, 20},  {'p', 20, 0, true, 0},    {'r', 0, 100, true, 0},
    {'s', 10, 0, true, 0},   {'p', 50, 0, true, 50},   {'p', 0, 0, true, 40},
};

TEST(GradientProgressBar, PositionRangeAndStepRules) {
    GradientProgressBar bar;
    for (const auto& [op, a, b, accepted, pos] : kCalls) {
        EXPECT_EQ(op == 'r'   ? bar.SetRange(a, b)
                  : op == 's' ? bar.SetStep(a)
                              : bar.SetPos(a),
                  accepted)
            << op << " " << a;
        EXPECT_EQ(bar.Pos(), pos) << op << " " << a;
    }
}

// The text over the bar (the status text, else the percentage but not 0 %, while text is on)
// and the filled width of a 210-pixel client area, which counts against the upper end only:
// show text, status text, lower, upper, position, text shown, filled width.
const std::tuple<bool, const char*, int, int, int, const char*, int> kShown[] = {
    {true, "", 0, 105, 105, "100%", 210},
    {true, "", 0, 105, 55, "52%", 110},
    {true, "", 0, 105, 1, "", 2},
    {true, "", 20, 60, 30, "25%", 105},
    {true, "Select", 0, 100, 37, "Select", 77},
    {false, "Select", 0, 100, 37, "", 77},
    {false, "", 0, 25, 50, "", 210},
    {true, "", -20, 0, -5, "100%", 0},
};

TEST(GradientProgressBar, OverlayTextAndFilledWidth) {
    for (const auto& [showText, text, lower, upper, pos, overlay, filled] : kShown) {
        GradientProgressBar bar;
        ASSERT_TRUE(bar.SetRange(-1000, 1000));
        ASSERT_TRUE(bar.SetPos(pos));
        ASSERT_TRUE(bar.SetRange(lower, upper));
        bar.ShowText(showText);
        bar.SetText(text);
        EXPECT_EQ(bar.OverlayText(), overlay) << pos << " of " << lower << ".." << upper;
        EXPECT_EQ(bar.FilledWidth(210), filled) << pos << " of " << lower << ".." << upper;
    }
}

TEST(GradientProgressBar, PaintsRampBackgroundBorderAndText) {
    GradientProgressBar bar;
    bar.resize(202, 22);
    // The main window's set-up: a sunken frame around a linear yellow to red ramp.
    bar.SetColours(kYellow, kRed);
    bar.SetMode(kLinearShading);
    ASSERT_TRUE(bar.SetRange(0, 105));
    ASSERT_TRUE(bar.SetPos(105));
    bar.SetBordered(true);
    const QImage full = bar.grab().toImage();
    EXPECT_EQ(full.pixelColor(1, 11), kYellow); // the middle row of the client area
    EXPECT_EQ(full.pixelColor(200, 11).red(), 255);
    EXPECT_LT(full.pixelColor(200, 11).green(), 12);
    EXPECT_LT(full.pixelColor(1, 1).green(), 255);    // darker at the top
    EXPECT_NE(full.pixel(0, 0), full.pixel(201, 21)); // sunken: dark against light

    const QRgb face = bar.palette().color(QPalette::Button).rgb();
    ASSERT_TRUE(bar.SetPos(40));
    bar.ShowText(true);
    bar.SetText("WWWW");
    const QImage part = bar.grab().toImage();
    EXPECT_NE(part.pixel(76, 11), face); // 200 * 40 / 105 = 76 columns filled
    EXPECT_EQ(part.pixel(77, 11), face);
    int black = 0;
    for (int x = 1; x < 201; ++x) {
        black += part.pixelColor(x, 11).value() < 80 ? 1 : 0;
    }
    EXPECT_GT(black, 4);

    // A new size or mode renders the ramp again.
    bar.resize(302, 22);
    ASSERT_TRUE(bar.SetPos(105));
    EXPECT_LT(bar.grab().toImage().pixelColor(300, 11).green(), 12);
    bar.SetMode(0);
    EXPECT_EQ(bar.grab().toImage().pixelColor(1, 1), kYellow);
}

} // namespace
} // namespace sonarel
