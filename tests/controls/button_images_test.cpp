// The images of the self-painted buttons: a strip cut into an image list with its key colour
// made transparent, and the Decode button's icons drawn in code for each look.
#include "controls/decode_button_images.h"
#include "controls/image_list.h"

#include <QImage>
#include <gtest/gtest.h>

namespace sonarel {
namespace {

const QColor kKey(192, 192, 192);

TEST(ImageList, CutsTheStripAndKeysOutExactlyTheKeyColour) {
    QImage strip(16 * 3 + 5, 16, QImage::Format_RGB32);
    strip.fill(kKey);
    strip.setPixelColor(3, 4, QColor(192, 192, 193));
    strip.setPixelColor(16, 0, Qt::yellow);
    const ImageList list(strip, 16, kKey);
    ASSERT_EQ(list.Count(), 3); // the partial image at the end is dropped
    EXPECT_EQ(list.Image(1).pixelColor(0, 0), QColor(Qt::yellow));
    EXPECT_TRUE(list.Image(3).isNull());
    EXPECT_EQ(list.Image(0).pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(list.Image(0).pixelColor(3, 4), QColor(192, 192, 193));
}

// Opaque pixels, their summed brightness, and whether they are all grey.
std::tuple<int, int, bool> Measure(const QImage& image) {
    int opaque = 0;
    int brightness = 0;
    bool grey = true;
    for (int i = 0; i < 16 * 16; ++i) {
        const QColor p = image.pixelColor(i % 16, i / 16);
        opaque += p.alpha() == 255 ? 1 : 0;
        brightness += p.alpha() == 255 ? p.value() : 0;
        grey &= p.alpha() < 255 || (p.red() == p.green() && p.green() == p.blue());
    }
    return {opaque, brightness, grey};
}

TEST(DecodeButtonImages, FourShapesColourfulBrighterWhenHighlightedGreyWhenDisabled) {
    EXPECT_EQ(DecodeButtonStrip(IconLook::kNormal).pixelColor(kDecodeIcon * 16, 0), kKey);
    const DecodeButtonImageSet set = DecodeButtonImages();
    for (int i = 0; i < kDecodeButtonIconCount; ++i) {
        const auto [opaque, brightness, grey] = Measure(set.normal.Image(i));
        EXPECT_TRUE(opaque > 40 && opaque < 256 && !grey) << "icon " << i;
        const auto [hotOpaque, hotBrightness, hotGrey] = Measure(set.highlighted.Image(i));
        EXPECT_TRUE(hotOpaque == opaque && hotBrightness > brightness) << "icon " << i;
        const auto [offOpaque, offBrightness, offGrey] = Measure(set.disabled.Image(i));
        EXPECT_TRUE(offOpaque > 0 && offGrey) << "icon " << i;
        EXPECT_EQ(set.disabled.Image(i).pixelColor(0, 0).alpha(), 0) << "icon " << i;
        EXPECT_NE(set.normal.Image(i), set.normal.Image((i + 1) % kDecodeButtonIconCount));
    }
}

} // namespace
} // namespace sonarel
