// Cutting a strip into images and keying out its transparent colour.
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include "controls/image_list.h"

namespace sonarel {
namespace {

const QColor kKey(192, 192, 192);

TEST(ImageList, CutsTheStripAndDropsAPartialImage) {
    QImage strip(16 * 3 + 5, 16, QImage::Format_RGB32);
    strip.fill(Qt::blue);
    for (int y = 0; y < 16; ++y) {
        for (int x = 16; x < 32; ++x) {
            strip.setPixelColor(x, y, Qt::yellow);
        }
    }
    const ImageList list(strip, 16, kKey);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.ImageSize(), QSize(16, 16));
    EXPECT_EQ(list.Image(0).pixelColor(15, 15), QColor(Qt::blue));
    EXPECT_EQ(list.Image(1).pixelColor(0, 0), QColor(Qt::yellow));
    EXPECT_TRUE(list.Image(3).isNull());
    EXPECT_TRUE(list.Image(-1).isNull());
}

TEST(ImageList, KeyColourBecomesTransparentOnlyWhereItMatchesExactly) {
    QImage strip(16, 16, QImage::Format_RGB32);
    strip.fill(kKey);
    strip.setPixelColor(3, 4, QColor(192, 192, 193));
    const ImageList list(strip, 16, kKey);
    const QImage image = list.Image(0);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(3, 4).alpha(), 255);

    QImage canvas(16, 16, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    list.Draw(painter, 0, QPoint(0, 0));
    list.Draw(painter, 5, QPoint(0, 0)); // ignored
    painter.end();
    EXPECT_EQ(canvas.pixelColor(0, 0), QColor(Qt::white));
    EXPECT_EQ(canvas.pixelColor(3, 4), QColor(192, 192, 193));
}

TEST(ImageList, EmptyInputsGiveAnEmptyList) {
    EXPECT_TRUE(ImageList().IsEmpty());
    EXPECT_TRUE(ImageList(QImage(), 16, kKey).IsEmpty());
    EXPECT_TRUE(ImageList(QImage(10, 16, QImage::Format_RGB32), 16, kKey).IsEmpty());
    EXPECT_TRUE(ImageList(QImage(32, 16, QImage::Format_RGB32), 0, kKey).IsEmpty());
}

} // namespace
} // namespace sonarel
