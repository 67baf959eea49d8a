// The image button's looks as the mouse enters, leaves and presses, and which image it draws.
#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include "controls/image_button.h"
#include "controls/image_list.h"

namespace sonarel {
namespace {

const QColor kKey(192, 192, 192);

// A list of `count` 16x16 squares in one colour, each with a key-coloured corner pixel.
ImageList SolidList(const QColor& colour, int count = 4) {
    QImage strip(16 * count, 16, QImage::Format_RGB32);
    strip.fill(colour);
    for (int i = 0; i < count; ++i) {
        strip.setPixelColor(i * 16, 0, kKey);
    }
    return ImageList(strip, 16, kKey);
}

void Enter(QWidget& widget) {
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&widget, &event);
}

void Leave(QWidget& widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

class ImageButtonTest : public ::testing::Test {
protected:
    ImageButtonTest()
        : normal_(SolidList(Qt::red)), hot_(SolidList(Qt::green)), disabled_(SolidList(Qt::gray)),
          button_("&Decode") {
        button_.resize(80, 24);
        button_.SetImages(3, &normal_, &hot_, &disabled_);
    }

    QImage Grab() { return button_.grab().toImage(); }

    // The colour in the middle of the image drawn at (4 + offset, 4 + offset).
    QRgb ImageCentre(int offset) { return Grab().pixel(12 + offset, 12 + offset); }

    ImageList normal_;
    ImageList hot_;
    ImageList disabled_;
    ImageButton button_;
};

TEST_F(ImageButtonTest, FlatUntilTheMouseEntersRaisedUntilItLeaves) {
    EXPECT_EQ(button_.CurrentLook(), ButtonLook::kNormal);
    EXPECT_EQ(ImageCentre(0), QColor(Qt::red).rgb());

    Enter(button_);
    EXPECT_TRUE(button_.IsHover());
    EXPECT_EQ(button_.CurrentLook(), ButtonLook::kHot);
    EXPECT_EQ(button_.CurrentImages(), &hot_);
    const QImage raised = Grab();
    EXPECT_EQ(raised.pixelColor(11, 11), QColor(Qt::green));
    // Raised: the image moves one pixel up and left, so its first column and row are at 3.
    EXPECT_EQ(raised.pixelColor(3, 10), QColor(Qt::green));
    EXPECT_NE(raised.pixelColor(19, 10), QColor(Qt::green));
    EXPECT_EQ(raised.pixel(0, 0), button_.palette().color(QPalette::Light).rgb());
    EXPECT_EQ(raised.pixel(79, 23), button_.palette().color(QPalette::Shadow).rgb());

    Leave(button_);
    EXPECT_FALSE(button_.IsHover());
    EXPECT_EQ(button_.CurrentLook(), ButtonLook::kNormal);
    const QImage flat = Grab();
    EXPECT_EQ(flat.pixelColor(4, 10), QColor(Qt::red));
    EXPECT_EQ(flat.pixel(3, 10), button_.palette().color(QPalette::Button).rgb());
}

TEST_F(ImageButtonTest, PressingSinksImageAndCaptionByOnePixel) {
    Enter(button_);
    QTest::mousePress(&button_, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button_.CurrentLook(), ButtonLook::kPressed);
    const QImage pressed = Grab();
    EXPECT_EQ(pressed.pixelColor(5, 10), QColor(Qt::green));
    EXPECT_NE(pressed.pixelColor(4, 10), QColor(Qt::green));
    EXPECT_EQ(pressed.pixel(0, 0), button_.palette().color(QPalette::Shadow).rgb());
    EXPECT_EQ(pressed.pixel(79, 23), button_.palette().color(QPalette::Light).rgb());
    QTest::mouseRelease(&button_, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button_.CurrentLook(), ButtonLook::kHot);
}

TEST_F(ImageButtonTest, CaptionMovesWithThePress) {
    // The caption's leftmost dark pixel shows where it starts: flat at 24, pressed at 25.
    auto caption_start = [this] {
        const QImage image = Grab();
        for (int x = 20; x < image.width(); ++x) {
            for (int y = 2; y < image.height() - 2; ++y) {
                if (image.pixelColor(x, y).value() < 100) {
                    return x;
                }
            }
        }
        return -1;
    };
    const int flat = caption_start();
    ASSERT_GE(flat, 24);
    QTest::mousePress(&button_, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(caption_start(), flat + 1);
    QTest::mouseRelease(&button_, Qt::LeftButton, {}, QPoint(10, 10));
}

TEST_F(ImageButtonTest, DisabledShowsTheDisabledImageAndDropsTheHover) {
    Enter(button_);
    button_.setEnabled(false);
    EXPECT_FALSE(button_.IsHover());
    EXPECT_EQ(button_.CurrentLook(), ButtonLook::kDisabled);
    EXPECT_EQ(ImageCentre(0), QColor(Qt::gray).rgb());

    // Re-enabled, it stays flat until the mouse enters again.
    button_.setEnabled(true);
    EXPECT_EQ(button_.CurrentLook(), ButtonLook::kNormal);
}

TEST_F(ImageButtonTest, DisabledCaptionIsEngraved) {
    button_.setEnabled(false);
    const QImage image = Grab();
    const QRgb light = button_.palette().color(QPalette::Light).rgb();
    const QRgb dark = button_.palette().color(QPalette::Dark).rgb();
    // Somewhere a shadow pixel sits one up and left of a highlight pixel, and no text is black.
    bool engraved = false;
    for (int y = 1; y < image.height(); ++y) {
        for (int x = 25; x < image.width(); ++x) {
            EXPECT_GT(image.pixelColor(x, y).value(), 60);
            engraved |= image.pixel(x, y) == light && image.pixel(x - 1, y - 1) == dark;
        }
    }
    EXPECT_TRUE(engraved);
}

// The dots of the focus mark on the row just inside the raised borders, right of the image.
int FocusDots(const QImage& image, const QColor& colour) {
    int dots = 0;
    for (int x = 21; x < image.width() - 4; ++x) {
        dots += image.pixel(x, 2) == colour.rgb() ? 1 : 0;
    }
    return dots;
}

TEST_F(ImageButtonTest, FocusRaisesTheButtonWithTheHighlightedImageAndAMark) {
    button_.show();
    button_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&button_));
    Leave(button_); // the offscreen pointer may rest on the new window
    const QColor text = button_.palette().color(QPalette::ButtonText);
    button_.clearFocus(); // the active window gave it the focus
    Enter(button_);
    EXPECT_EQ(FocusDots(Grab(), text), 0); // raised by the mouse, no mark
    Leave(button_);
    button_.setFocus();
    ASSERT_TRUE(button_.hasFocus());
    EXPECT_EQ(button_.CurrentLook(), ButtonLook::kFocused);
    EXPECT_EQ(ImageCentre(-1), QColor(Qt::green).rgb());
    EXPECT_GE(FocusDots(Grab(), text), 20);
}

TEST_F(ImageButtonTest, MissingListsOrIndexDrawNoImage) {
    const QRgb face = button_.palette().color(QPalette::Button).rgb();
    button_.SetImages(3, nullptr, &hot_, &disabled_);
    EXPECT_EQ(ImageCentre(0), face);

    const ImageList empty;
    button_.SetImages(3, &empty, &hot_, &disabled_);
    EXPECT_EQ(ImageCentre(0), face);

    button_.SetImages(9, &normal_, &hot_, &disabled_); // past the end of the list
    EXPECT_EQ(ImageCentre(0), face);
}

} // namespace
} // namespace sonarel
