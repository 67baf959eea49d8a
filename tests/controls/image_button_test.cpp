// The image button's looks as the mouse enters, leaves and presses, as it gains the focus and
// is disabled: which image it draws where, its borders, its caption and its focus mark.
#include "controls/image_button.h"
#include "controls/image_list.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace sonarel {
namespace {

ImageList SolidList(const QColor& colour) {
    QImage strip(16 * 4, 16, QImage::Format_RGB32);
    strip.fill(colour);
    return ImageList(strip, 16, QColor(192, 192, 192));
}

class ImageButtonTest : public ::testing::Test {
protected:
    ImageButtonTest() {
        button_.resize(80, 24);
        button_.SetImages(3, &normal_, &hot_, &disabled_);
    }

    void Hover(bool on) {
        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&button_, on ? static_cast<QEvent*>(&enter) : &leave);
    }

    // The image's colour and top-left corner, the palette roles of the top-left and the right
    // border, and where the caption starts: "green 3 Light Shadow 23".
    std::string Look() {
        const QImage image = button_.grab().toImage();
        std::string look = "none";
        for (const auto& [name, colour] : {std::pair("red", Qt::red), std::pair("green", Qt::green),
                                           std::pair("grey", Qt::gray)}) {
            int corner = 0;
            while (corner < 12 && image.pixelColor(corner, corner) != colour) {
                ++corner;
            }
            look = corner < 12 ? name + std::string(" ") + std::to_string(corner) : look;
        }
        int caption = 20;
        while (caption < 80 && image.pixelColor(caption, 12).value() >= 100 &&
               image.pixelColor(caption, 15).value() >= 100) {
            ++caption;
        }
        return look + " " + Role(image.pixel(0, 0)) + " " + Role(image.pixel(79, 10)) + " " +
               std::to_string(caption);
    }

    std::string Role(QRgb pixel) const {
        for (const auto& [name, role] :
             {std::pair("Light", QPalette::Light), std::pair("Midlight", QPalette::Midlight),
              std::pair("Dark", QPalette::Dark), std::pair("Shadow", QPalette::Shadow)}) {
            if (button_.palette().color(role).rgb() == pixel) {
                return name;
            }
        }
        return "?";
    }

    ImageList normal_ = SolidList(Qt::red);
    ImageList hot_ = SolidList(Qt::green);
    ImageList disabled_ = SolidList(Qt::gray);
    ImageButton button_{"&Decode"};
};

TEST_F(ImageButtonTest, FlatRaisedSunkenAndDisabledLooks) {
    const std::string flat = Look();
    EXPECT_EQ(flat.substr(0, 20), "red 4 Midlight Dark ");
    const int caption = std::stoi(flat.substr(20));
    EXPECT_GE(caption, 24);
    // Room for the image and the caption.
    EXPECT_GE(button_.sizeHint().height(), 24);
    EXPECT_GE(button_.sizeHint().width(), 24 + button_.fontMetrics().horizontalAdvance("Decode"));
    Hover(true);
    EXPECT_EQ(Look(), "green 3 Light Shadow " + std::to_string(caption - 1));
    Hover(false);
    EXPECT_EQ(Look(), flat);
    Hover(true);
    QTest::mousePress(&button_, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(Look(), "green 5 Shadow Light " + std::to_string(caption + 1));
    QTest::mouseRelease(&button_, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(button_.CurrentLook(), ButtonLook::kHot);

    // Disabled: the grey image and an engraved caption, and the hover is given up for good.
    button_.setEnabled(false);
    EXPECT_EQ(Look().substr(0, 21), "grey 4 Midlight Dark ");
    const QImage image = button_.grab().toImage();
    const QRgb light = button_.palette().color(QPalette::Light).rgb();
    const QRgb dark = button_.palette().color(QPalette::Dark).rgb();
    bool engraved = false;
    for (int i = 0; i < 55 * 22; ++i) {
        const int x = 25 + i % 55;
        const int y = 1 + i / 55;
        EXPECT_GT(image.pixelColor(x, y).value(), 60) << "black caption at " << x;
        engraved |= image.pixel(x, y) == light && image.pixel(x - 1, y - 1) == dark;
    }
    EXPECT_TRUE(engraved);
    button_.setEnabled(true);
    EXPECT_EQ(Look(), flat);
}

TEST_F(ImageButtonTest, FocusRaisesTheButtonAndDotsAFrameAroundTheCaption) {
    button_.show();
    button_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&button_));
    Hover(false); // the offscreen pointer may rest on the new window
    button_.clearFocus();
    const QRgb dot = button_.palette().color(QPalette::ButtonText).rgb();
    Hover(true);
    EXPECT_NE(button_.grab().toImage().pixel(20, 2), dot); // raised by the mouse: no mark
    Hover(false);
    button_.setFocus();
    EXPECT_EQ(Look().substr(0, 21), "green 3 Light Shadow ");
    // Every other pixel, from the mark's corner at (20, 2) along both edges.
    const QImage image = button_.grab().toImage();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(image.pixel(20 + i, 2) == dot, i % 2 == 0) << "top edge " << i;
        EXPECT_EQ(image.pixel(20, 2 + i) == dot, i % 2 == 0) << "left edge " << i;
    }
}

} // namespace
} // namespace sonarel
