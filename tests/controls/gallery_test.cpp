// Paints every control in every look. Always checks that each look paints; when the variable
// SONAREL_CONTROLS_GALLERY names a folder, also saves the pictures there for a human to look at.
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

#include "controls/decode_button_images.h"
#include "controls/gradient_progress_bar.h"
#include "controls/hyperlink_button.h"
#include "controls/image_button.h"

namespace sonarel {
namespace {

// The pictures one above the other on the dialog face, enlarged `zoom` times without smoothing.
QImage Stack(const std::vector<QImage>& images, int zoom) {
    int width = 0;
    int height = 0;
    for (const QImage& image : images) {
        width = std::max(width, image.width());
        height += image.height() + 4;
    }
    QImage sheet(width + 8, height + 4, QImage::Format_RGB32);
    sheet.fill(QApplication::palette().color(QPalette::Button));
    QPainter painter(&sheet);
    int y = 4;
    for (const QImage& image : images) {
        painter.drawImage(4, y, image);
        y += image.height() + 4;
    }
    painter.end();
    return sheet.scaled(sheet.size() * zoom);
}

void Keep(const QString& name, const std::vector<QImage>& images, int zoom) {
    for (const QImage& image : images) {
        EXPECT_FALSE(image.isNull()) << name.toStdString();
    }
    const QString dir = qEnvironmentVariable("SONAREL_CONTROLS_GALLERY");
    if (!dir.isEmpty()) {
        QDir().mkpath(dir);
        EXPECT_TRUE(Stack(images, zoom).save(QDir(dir).filePath(name + ".png")));
    }
}

QImage Grab(QWidget& widget) {
    return widget.grab().toImage();
}

void Enter(QWidget& widget) {
    QEnterEvent event(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&widget, &event);
}

void Leave(QWidget& widget) {
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(&widget, &event);
}

void Focus(QWidget& widget) {
    widget.show();
    widget.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&widget));
    widget.setFocus();
}

TEST(Gallery, ProgressBar) {
    GradientProgressBar bar;
    bar.resize(268, 20); // 179 x 12 dialog units at the default font
    bar.SetColours(QColor(255, 255, 0), QColor(255, 0, 0));
    bar.SetRange(0, 105);
    bar.SetMode(kLinearShading);
    bar.SetPos(0);
    bar.SetBordered(true);
    bar.ShowText(true);
    std::vector<QImage> images;
    bar.SetText("Select MP3 file to decode");
    images.push_back(Grab(bar));
    bar.SetText("");
    for (int pos : {5, 42, 80, 105}) {
        bar.SetPos(pos);
        images.push_back(Grab(bar));
    }
    bar.SetText("Done!");
    images.push_back(Grab(bar));
    bar.SetMode(kQuarticShading);
    bar.SetText("");
    bar.SetPos(70);
    images.push_back(Grab(bar));
    bar.SetMode(0);
    images.push_back(Grab(bar));
    Keep("progress_bar", images, 2);
}

TEST(Gallery, DecodeButton) {
    const DecodeButtonImageSet set = DecodeButtonImages();
    ImageButton button("&Decode");
    button.resize(80, 24); // about 46 x 14 dialog units of the default font
    button.SetImages(kDecodeIcon, &set.normal, &set.highlighted, &set.disabled);
    std::vector<QImage> images{Grab(button)};
    Enter(button);
    images.push_back(Grab(button));
    button.setDown(true);
    images.push_back(Grab(button));
    button.setDown(false);
    Leave(button);
    button.setText("&Cancel");
    Focus(button);
    images.push_back(Grab(button));
    button.setText("&Decode");
    button.setEnabled(false);
    images.push_back(Grab(button));
    Keep("decode_button", images, 3);
}

TEST(Gallery, Icons) {
    std::vector<QImage> images;
    for (IconLook look : {IconLook::kNormal, IconLook::kHighlighted, IconLook::kDisabled}) {
        images.push_back(DecodeButtonStrip(look));
    }
    Keep("icons", images, 8);
}

TEST(Gallery, Hyperlink) {
    HyperlinkButton link("https://www.example.org/sonarel");
    link.SetOpener([](const QUrl&) {});
    link.resize(222, 14);
    std::vector<QImage> images{Grab(link)};
    link.setDown(true);
    images.push_back(Grab(link));
    link.setDown(false);
    Focus(link);
    images.push_back(Grab(link));
    link.setEnabled(false);
    images.push_back(Grab(link));
    Keep("hyperlink", images, 3);
}

} // namespace
} // namespace sonarel
