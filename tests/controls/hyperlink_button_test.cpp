// The link button: what a click opens, and how the caption looks in each state.
#include "controls/hyperlink_button.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace sonarel {
namespace {

// Pixels of `colour` in the first `rows` rows, the top-left corner of their bounding box, and
// the longest run of them on one row.
std::tuple<int, QPoint, int> Find(QWidget& widget, const QColor& colour, int rows) {
    const QImage image = widget.grab().toImage();
    int count = 0;
    QPoint corner(image.width(), image.height());
    int run = 0;
    int longest = 0;
    for (int i = 0; i < image.width() * rows; ++i) {
        const QPoint at(i % image.width(), i / image.width());
        const bool found = image.pixel(at) == colour.rgb();
        count += found ? 1 : 0;
        corner =
            found ? QPoint(std::min(corner.x(), at.x()), std::min(corner.y(), at.y())) : corner;
        run = found && at.x() > 0 ? run + 1 : found ? 1 : 0;
        longest = std::max(longest, run);
    }
    return {count, corner, longest};
}

TEST(HyperlinkButton, OpensItsUrlOrCaptionLooksLikeALinkAndNeverHot) {
    HyperlinkButton link("www.example.org");
    link.resize(160, 18);
    std::vector<QUrl> opened;
    link.SetOpener([&opened](const QUrl& url) { opened.push_back(url); });
    QTest::mouseClick(&link, Qt::LeftButton);
    link.SetUrl("https://example.com/sonarel");
    QTest::mouseClick(&link, Qt::LeftButton);
    link.SetUrl("");
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(opened, std::vector<QUrl>({QUrl("http://www.example.org"),
                                         QUrl("https://example.com/sonarel"),
                                         QUrl("http://www.example.org")}));

    // Blue, underlined (a row of blue at least as wide as most of the caption), and moved one
    // pixel down and right while pressed; the mouse over it does not raise it.
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
    const auto [blue, rest, underline] = Find(link, HyperlinkButton::kLinkColour, 18);
    EXPECT_GT(underline, link.fontMetrics().horizontalAdvance("www.example.org") * 3 / 4);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&link, &enter);
    EXPECT_EQ(link.CurrentLook(), ButtonLook::kNormal);
    QTest::mousePress(&link, Qt::LeftButton);
    EXPECT_EQ(std::get<1>(Find(link, HyperlinkButton::kLinkColour, 18)), rest + QPoint(1, 1));
    QTest::mouseRelease(&link, Qt::LeftButton);

    // Focused: a hatched frame in the shadow colour, a pattern rather than a solid line.
    const QColor shadow = link.palette().color(QPalette::Dark);
    EXPECT_EQ(std::get<0>(Find(link, shadow, 18)), 0);
    link.show();
    link.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&link));
    link.setFocus();
    ASSERT_EQ(link.CurrentLook(), ButtonLook::kFocused);
    EXPECT_GT(std::get<0>(Find(link, shadow, 1)), 20);
    EXPECT_LT(std::get<0>(Find(link, shadow, 1)), 140);
    // Disabled: engraved, no blue.
    link.setEnabled(false);
    EXPECT_EQ(std::get<0>(Find(link, HyperlinkButton::kLinkColour, 18)), 0);
}

} // namespace
} // namespace sonarel
