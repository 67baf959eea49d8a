// The window's geometry: controls where the template puts them, in dialog units of the window's
// font, and every text the window shows fitting its control.
#include "app/control_ids.h"
#include "app/dialog_texts.h"
#include "controls/gradient_progress_bar.h"
#include "gui/dialog_units.h"
#include "support/test_paths.h"
#include "window_harness.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <filesystem>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

TEST(DialogUnitsTest, ConvertsTemplateRectangles) {
    DialogUnits units(6, 13); // the classic 8-point dialog font
    EXPECT_EQ(units.X(4), 6);
    EXPECT_EQ(units.Y(8), 13);
    // Both corners are converted, so the size is the difference of the corners.
    EXPECT_EQ(units.Rect(13, 18, 176, 12), QRect(19, 29, 264, 19));
    EXPECT_EQ(units.Rect(0, 0, 248, 122), QRect(0, 0, 372, 198));
}

TEST(DialogUnitsTest, WidensOnlyWhereATextNeedsIt) {
    DialogUnits units(6, 13);
    units.FitWidth(30, 24); // fits already (36 px)
    EXPECT_EQ(units.AverageCharWidth(), 6);
    units.FitWidth(40, 24); // needs 6.67 -> 7
    EXPECT_EQ(units.AverageCharWidth(), 7);
    EXPECT_GE(units.X(24), 40);
    units.FitWidth(10, 0); // nonsense widths change nothing
    EXPECT_EQ(units.AverageCharWidth(), 7);
}

TEST(DialogUnitsTest, FontBaseUnitsArePositive) {
    DialogUnits units{QFont()};
    EXPECT_GT(units.AverageCharWidth(), 0);
    EXPECT_EQ(units.CharHeight(), QFontMetrics(QFont()).height());
}

TEST(WindowLayoutTest, ControlsSitAtTheirTemplatePositions) {
    WindowHarness harness;
    harness.Start();
    DecoderWindow& window = harness.Window();
    const DialogUnits& units = window.Units();
    // The font's own units, widened at most where a text needs it.
    EXPECT_EQ(units.CharHeight(), QFontMetrics(window.font()).height());
    EXPECT_GE(units.AverageCharWidth(), DialogUnits(window.font()).AverageCharWidth());
    EXPECT_EQ(window.Control(kDecodeButton)->geometry(), units.Rect(195, 101, 46, 14));
    EXPECT_EQ(window.Control(kInputEdit)->geometry(), units.Rect(13, 18, 176, 12));
    EXPECT_EQ(window.Control(kInputBrowse)->geometry(), units.Rect(197, 18, 37, 12));
    EXPECT_EQ(window.Control(kOutputEdit)->geometry(), units.Rect(13, 63, 176, 12));
    EXPECT_EQ(window.Control(kOutputSizeLabel)->geometry(), units.Rect(164, 79, 71, 8));
    EXPECT_EQ(window.Control(kProgressBar)->geometry(), units.Rect(10, 102, 179, 12));
    // The client area lies under the menu bar and is 248 x 122 units.
    EXPECT_EQ(window.width(), units.X(248));
    EXPECT_EQ(window.height(), window.MenuBar()->height() + units.Y(122));
    // Size labels are right-aligned.
    auto* size = qobject_cast<QLabel*>(window.Control(kInputSizeLabel));
    EXPECT_TRUE(size->alignment() & Qt::AlignRight);
    // The progress bar is set up by the logic: range 0..105, bordered, text on, linear shading,
    // a yellow to red ramp.
    GradientProgressBar* bar = window.ProgressBar();
    EXPECT_EQ(bar->Lower(), 0);
    EXPECT_EQ(bar->Upper(), 105);
    EXPECT_EQ(bar->Step(), -1);
    EXPECT_EQ(bar->Mode(), 2);
    EXPECT_TRUE(bar->IsBordered());
    EXPECT_TRUE(bar->IsTextShown());
    EXPECT_EQ(bar->LeftColour(), QColor(255, 255, 0));
    EXPECT_EQ(bar->RightColour(), QColor(255, 0, 0));
}

bool Fits(const QWidget* widget, const QString& text, int margins = 0) {
    QString shown = text;
    shown.remove('&');
    return QFontMetrics(widget->font()).horizontalAdvance(shown) + margins <= widget->width();
}

TEST(WindowLayoutTest, EveryTextFitsItsControl) {
    WindowHarness harness;
    harness.Start();
    DecoderWindow& window = harness.Window();
    // The widest texts the probe can produce.
    EXPECT_TRUE(Fits(window.Control(kInputFormatText), "MP3: 320 kbit/sec, 48000 Hz, Stereo"));
    EXPECT_TRUE(Fits(window.Control(kOutputFormatText), "PCM: 48000 Hz, 16 Bit, Stereo"));
    EXPECT_TRUE(Fits(window.Control(kInputFormatLabel), "Format:"));
    EXPECT_TRUE(Fits(window.Control(kInputSizeLabel), "4,294,967,295 bytes"));
    EXPECT_TRUE(Fits(window.Control(kOutputSizeLabel), "4,294,967,295 bytes"));
    EXPECT_TRUE(Fits(window.Control(kInputBrowse), "&Browse...", 8));
    EXPECT_TRUE(Fits(window.Control(kOutputBrowse), "B&rowse...", 8));
    EXPECT_TRUE(Fits(window.Control(kDecodeButton), "&Cancel", 24));
    for (const char* status : {text::kSelectInput, text::kSelectOutput, text::kClickDecode,
                               text::kDone, text::kCancelled}) {
        EXPECT_TRUE(Fits(window.Control(kProgressBar), status)) << status;
    }
    // Controls stay inside the window and do not overlap their neighbours in a row.
    const QRect client = window.rect();
    for (int id : {kInputEdit, kInputBrowse, kInputFormatText, kInputSizeLabel, kOutputEdit,
                   kOutputBrowse, kProgressBar, kDecodeButton}) {
        QRect global(window.Control(id)->mapTo(&window, QPoint(0, 0)), window.Control(id)->size());
        EXPECT_TRUE(client.contains(global)) << id;
    }
    EXPECT_LT(window.Control(kInputEdit)->geometry().right(),
              window.Control(kInputBrowse)->geometry().left());
    EXPECT_LT(window.Control(kProgressBar)->geometry().right(),
              window.Control(kDecodeButton)->geometry().left());
}

} // namespace
} // namespace sonarel::test
