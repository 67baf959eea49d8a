// The link button: what a click opens, and how the caption looks in each state.
#include <QApplication>
#include <QImage>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>
#include <vector>

#include "controls/hyperlink_button.h"

namespace sonarel {
namespace {

class HyperlinkButtonTest : public ::testing::Test {
protected:
    HyperlinkButtonTest() : link_("www.example.org") {
        link_.resize(160, 18);
        link_.SetOpener([this](const QUrl& url) { opened_.push_back(url); });
    }

    void Click() { QTest::mouseClick(&link_, Qt::LeftButton, {}, QPoint(80, 9)); }

    // Leftmost column and top row holding link-blue pixels; (-1, -1) when there are none.
    QPoint CaptionCorner() {
        const QImage image = link_.grab().toImage();
        QPoint corner(-1, -1);
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                if (image.pixelColor(x, y) == HyperlinkButton::kLinkColour) {
                    corner.setX(corner.x() < 0 ? x : std::min(corner.x(), x));
                    corner.setY(corner.y() < 0 ? y : std::min(corner.y(), y));
                }
            }
        }
        return corner;
    }

    HyperlinkButton link_;
    std::vector<QUrl> opened_;
};

TEST_F(HyperlinkButtonTest, EmptyUrlOpensTheCaption) {
    EXPECT_EQ(link_.Target(), "www.example.org");
    Click();
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], QUrl("http://www.example.org"));
}

TEST_F(HyperlinkButtonTest, UrlWinsOverTheCaption) {
    link_.SetUrl("https://example.com/sonarel");
    EXPECT_EQ(link_.Target(), "https://example.com/sonarel");
    Click();
    ASSERT_EQ(opened_.size(), 1u);
    EXPECT_EQ(opened_[0], QUrl("https://example.com/sonarel"));

    link_.SetUrl(""); // back to the caption
    Click();
    ASSERT_EQ(opened_.size(), 2u);
    EXPECT_EQ(opened_[1], QUrl("http://www.example.org"));
}

TEST_F(HyperlinkButtonTest, CaptionIsBlueAndUnderlinedAndPressingMovesIt) {
    EXPECT_EQ(link_.cursor().shape(), Qt::PointingHandCursor);
    const QPoint rest = CaptionCorner();
    ASSERT_GE(rest.x(), 0) << "no pixel in the link colour";

    // Underline: a run of link-blue pixels as wide as most of the caption on one row.
    const QImage image = link_.grab().toImage();
    int longest_run = 0;
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            run = image.pixelColor(x, y) == HyperlinkButton::kLinkColour ? run + 1 : 0;
            longest_run = std::max(longest_run, run);
        }
    }
    EXPECT_GT(longest_run, link_.fontMetrics().horizontalAdvance("www.example.org") * 3 / 4);

    QTest::mousePress(&link_, Qt::LeftButton, {}, QPoint(80, 9));
    EXPECT_EQ(link_.CurrentLook(), ButtonLook::kPressed);
    EXPECT_EQ(CaptionCorner(), rest + QPoint(1, 1));
    QTest::mouseRelease(&link_, Qt::LeftButton, {}, QPoint(80, 9));
}

TEST_F(HyperlinkButtonTest, NeverLooksHotAndIsEngravedWhenDisabled) {
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&link_, &enter);
    EXPECT_EQ(link_.CurrentLook(), ButtonLook::kNormal);

    link_.setEnabled(false);
    EXPECT_EQ(link_.CurrentLook(), ButtonLook::kDisabled);
    EXPECT_EQ(CaptionCorner(), QPoint(-1, -1)); // no link colour left
    const QImage image = link_.grab().toImage();
    bool has_shadow = false;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            has_shadow |= image.pixel(x, y) == link_.palette().color(QPalette::Dark).rgb();
        }
    }
    EXPECT_TRUE(has_shadow);
}

TEST_F(HyperlinkButtonTest, FocusDrawsAHatchedFrame) {
    const QRgb face = link_.palette().color(QPalette::Button).rgb();
    const QRgb shadow = link_.palette().color(QPalette::Dark).rgb();
    auto frame_pixels = [&] {
        const QImage image = link_.grab().toImage();
        int count = 0;
        for (int x = 0; x < image.width(); ++x) {
            count += image.pixel(x, 0) == shadow;
        }
        EXPECT_EQ(image.pixel(image.width() / 2, 1), face);
        return count;
    };
    EXPECT_EQ(frame_pixels(), 0);
    link_.show();
    link_.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&link_));
    link_.setFocus();
    ASSERT_EQ(link_.CurrentLook(), ButtonLook::kFocused);
    const int hatched = frame_pixels();
    EXPECT_GT(hatched, 20);
    EXPECT_LT(hatched, 140); // a pattern, not a solid line
}

} // namespace
} // namespace sonarel
