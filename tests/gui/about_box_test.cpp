// The About box: the version, the two links spanning the box below the OK button, texts that
// fit, and the OK button that closes it.
#include "controls/hyperlink_button.h"
#include "gui/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

TEST(AboutBoxTest, ShowsTheVersionAndLinksThatFitBelowTheOkButton) {
    AboutBox box;
    box.show();
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    const QLabel* version = box.findChildren<QLabel*>().value(1);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version->text(), "MP3 Decoder v" SONAREL_VERSION);
    EXPECT_LE(box.fontMetrics().horizontalAdvance(version->text()), version->width());
    QPushButton* ok = box.findChild<QPushButton*>();
    const QList<HyperlinkButton*> links = box.findChildren<HyperlinkButton*>();
    ASSERT_EQ(links.size(), 2);
    for (const HyperlinkButton* link : links) {
        EXPECT_LE(link->fontMetrics().horizontalAdvance(link->text()), link->width());
        EXPECT_TRUE(box.rect().contains(link->geometry()));
        EXPECT_GT(link->y(), ok->geometry().bottom());
    }
    EXPECT_TRUE(ok->isDefault());
    QTest::mouseClick(ok, Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
}

} // namespace
} // namespace sonarel::test
