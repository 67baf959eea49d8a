// The About box: caption, version, the two links and their targets, and how it closes.
#include "controls/hyperlink_button.h"
#include "gui/about_box.h"

#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

TEST(AboutBoxTest, ShowsNameVersionAndLinks) {
    AboutBox box;
    EXPECT_EQ(box.windowTitle(), "About Sonarel MP3 Decoder");
    EXPECT_EQ(box.VersionLabel()->text(), "MP3 Decoder v1.1.2");
    EXPECT_TRUE(box.OkButton()->isDefault());
    EXPECT_EQ(box.OkButton()->text(), "OK");
    EXPECT_TRUE(box.MakerLink()->text().contains("Quillon"));
    EXPECT_EQ(box.MakerLink()->Url(), "https://quillon.example/sonarel");
    // The decoder is the program's own: the notice names the standards it implements.
    EXPECT_EQ(box.StandardLink()->text(), "MPEG audio: ISO/IEC 11172-3 and ISO/IEC 13818-3");
    EXPECT_EQ(box.StandardLink()->Url(), "https://www.iso.org/standard/22412.html");
    EXPECT_EQ(box.minimumSize(), box.maximumSize());
}

TEST(AboutBoxTest, TextsFitTheirControls) {
    AboutBox box;
    for (QWidget* widget :
         {static_cast<QWidget*>(box.VersionLabel()), static_cast<QWidget*>(box.MakerLink()),
          static_cast<QWidget*>(box.StandardLink())}) {
        QString text = widget == box.VersionLabel() ? box.VersionLabel()->text()
                                                    : static_cast<QAbstractButton*>(widget)->text();
        EXPECT_LE(QFontMetrics(widget->font()).horizontalAdvance(text), widget->width())
            << text.toStdString();
        EXPECT_TRUE(box.rect().contains(widget->geometry())) << text.toStdString();
    }
}

TEST(AboutBoxTest, ClickingALinkOpensItsAddress) {
    AboutBox box;
    box.show();
    QUrl opened;
    box.StandardLink()->SetOpener([&opened](const QUrl& url) { opened = url; });
    QTest::mouseClick(box.StandardLink(), Qt::LeftButton);
    EXPECT_EQ(opened, QUrl(box.StandardLink()->Url()));
    box.MakerLink()->SetOpener([&opened](const QUrl& url) { opened = url; });
    QTest::mouseClick(box.MakerLink(), Qt::LeftButton);
    EXPECT_EQ(opened, QUrl("https://quillon.example/sonarel"));
    EXPECT_TRUE(box.isVisible());
}

TEST(AboutBoxTest, OkAndEscapeCloseIt) {
    AboutBox box;
    box.show();
    QTest::mouseClick(box.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(box.isVisible());
    EXPECT_EQ(box.result(), QDialog::Accepted);

    box.show();
    QTest::keyClick(&box, Qt::Key_Escape);
    EXPECT_FALSE(box.isVisible());
}

} // namespace
} // namespace sonarel::test
