// The Decode button's drawn icons: layout of the strips and the character of each look.
#include <QImage>
#include <gtest/gtest.h>

#include "controls/decode_button_images.h"

namespace sonarel {
namespace {

struct Coverage {
    int opaque = 0;
    int brightness = 0; // summed value of the opaque pixels
    bool grey_only = true;
};

Coverage Measure(const QImage& image) {
    Coverage c;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor p = image.pixelColor(x, y);
            if (p.alpha() == 255) {
                ++c.opaque;
                c.brightness += p.value();
                c.grey_only &= p.red() == p.green() && p.green() == p.blue();
            }
        }
    }
    return c;
}

TEST(DecodeButtonImages, StripsOfFourIconsOnTheLightGreyKey) {
    const QImage strip = DecodeButtonStrip(IconLook::kNormal);
    EXPECT_EQ(strip.size(), QSize(16 * kDecodeButtonIconCount, 16));
    EXPECT_EQ(strip.pixelColor(kDecodeIcon * 16, 0), QColor(192, 192, 192));
    const DecodeButtonImageSet set = DecodeButtonImages();
    for (const ImageList* list : {&set.normal, &set.highlighted, &set.disabled}) {
        EXPECT_EQ(list->Count(), kDecodeButtonIconCount);
        EXPECT_EQ(list->ImageSize(), QSize(16, 16));
        EXPECT_EQ(list->Image(kDecodeIcon).pixelColor(0, 0).alpha(), 0);
    }
}

TEST(DecodeButtonImages, NormalIsColourfulHighlightedBrighterDisabledGrey) {
    const DecodeButtonImageSet set = DecodeButtonImages();
    for (int i = 0; i < kDecodeButtonIconCount; ++i) {
        const Coverage normal = Measure(set.normal.Image(i));
        const Coverage hot = Measure(set.highlighted.Image(i));
        const Coverage off = Measure(set.disabled.Image(i));
        EXPECT_GT(normal.opaque, 40) << "icon " << i;
        EXPECT_LT(normal.opaque, 256) << "icon " << i; // a shape, not a filled square
        EXPECT_FALSE(normal.grey_only) << "icon " << i;
        EXPECT_EQ(hot.opaque, normal.opaque) << "icon " << i;
        EXPECT_GT(hot.brightness, normal.brightness) << "icon " << i;
        EXPECT_TRUE(off.grey_only) << "icon " << i;
        EXPECT_GT(off.opaque, 0) << "icon " << i;
        for (int j = 0; j < i; ++j) {
            EXPECT_NE(set.normal.Image(i), set.normal.Image(j));
        }
    }
}

} // namespace
} // namespace sonarel
