// The About box: caption, version, the two links spanning the box below the OK button and what
// they open, texts that fit, and how it closes.
#include "controls/hyperlink_button.h"
#include "gui/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

TEST(AboutBoxTest, ShowsVersionAndLinksThatFitAndOpenTheirAddresses) {
    AboutBox box;
    box.show();
    EXPECT_EQ(box.windowTitle(), "About Sonarel MP3 Decoder");
    EXPECT_EQ(box.VersionLabel()->text(), "MP3 Decoder v" SONAREL_VERSION);
    EXPECT_EQ(box.StandardLink()->text(), "MPEG audio: ISO/IEC 11172-3 and ISO/IEC 13818-3");
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
    QList<QUrl> opened;
    for (QAbstractButton* link : {box.MakerLink(), box.StandardLink()}) {
        static_cast<HyperlinkButton*>(link)->SetOpener([&](const QUrl& url) { opened << url; });
        QTest::mouseClick(link, Qt::LeftButton);
        EXPECT_LE(link->fontMetrics().horizontalAdvance(link->text()), link->width());
        EXPECT_TRUE(box.rect().contains(link->geometry()));
        EXPECT_EQ(link->x(), box.MakerLink()->x());
        EXPECT_EQ(link->width(), box.MakerLink()->width());
        EXPECT_GT(link->y(), box.OkButton()->geometry().bottom());
    }
    EXPECT_EQ(opened, QList<QUrl>({QUrl("https://quillon.example/sonarel"),
                                   QUrl("https://www.iso.org/standard/22412.html")}));
    EXPECT_GT(box.StandardLink()->y(), box.MakerLink()->geometry().bottom());
    EXPECT_LE(box.fontMetrics().horizontalAdvance(box.VersionLabel()->text()),
              box.VersionLabel()->width());
    EXPECT_TRUE(box.OkButton()->isDefault());
    QTest::mouseClick(box.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);
    box.show();
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
}

} // namespace
} // namespace sonarel::test
