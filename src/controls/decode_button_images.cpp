#include "controls/decode_button_images.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <cmath>

namespace sonarel {

namespace {

constexpr int kSize = kDecodeButtonIconSize;

void DrawFolder(QPainter& p) {
    const QColor outline(140, 100, 20);
    p.setPen(QPen(outline, 1));
    p.setBrush(QColor(230, 180, 50));
    p.drawPolygon(
        QPolygonF({{0.5, 3.5}, {5.5, 3.5}, {7.0, 5.5}, {13.5, 5.5}, {13.5, 13.5}, {0.5, 13.5}}));
    p.setBrush(QColor(255, 220, 100));
    p.drawPolygon(QPolygonF({{3.5, 8.0}, {15.5, 8.0}, {13.0, 13.5}, {0.5, 13.5}}));
}

void DrawDisk(QPainter& p) {
    p.setPen(QPen(QColor(20, 40, 110), 1));
    p.setBrush(QColor(45, 95, 190));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 250, 250));
    p.drawRect(QRectF(4, 2, 8, 6));
    p.setBrush(QColor(190, 195, 205));
    p.drawRect(QRectF(4, 10, 8, 4));
    p.setBrush(QColor(20, 40, 110));
    p.drawRect(QRectF(9, 11, 2, 2));
}

void DrawCancel(QPainter& p) {
    p.setPen(QPen(QColor(140, 20, 20), 1));
    p.setBrush(QColor(220, 45, 40));
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
    p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
}

// A sound wave running into an arrowhead: compressed audio turned into a waveform.
void DrawDecode(QPainter& p) {
    QPainterPath wave;
    constexpr double kPi = 3.14159265358979;
    wave.moveTo(1.0, 8.0);
    for (double x = 1.25; x <= 10.0; x += 0.25) {
        wave.lineTo(x, 8.0 - 4.5 * std::sin((x - 1.0) / 9.0 * 2.0 * kPi));
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(20, 60, 150), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    p.setPen(QPen(QColor(60, 140, 240), 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(wave);
    p.setPen(QPen(QColor(20, 100, 35), 1));
    p.setBrush(QColor(50, 180, 70));
    p.drawPolygon(QPolygonF({{9.5, 2.5}, {15.5, 8.0}, {9.5, 13.5}}));
}

// The icons in their own colours on a transparent background.
QImage NormalIcons() {
    QImage strip(kSize * kDecodeButtonIconCount, kSize, QImage::Format_ARGB32_Premultiplied);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    void (*const draw[kDecodeButtonIconCount])(QPainter&) = {DrawFolder, DrawDisk, DrawCancel,
                                                             DrawDecode};
    for (int i = 0; i < kDecodeButtonIconCount; ++i) {
        p.save();
        p.translate(i * kSize, 0);
        draw[i](p);
        p.restore();
    }
    return strip;
}

// Every colour a quarter brighter, for the button under the mouse.
QImage Brighten(const QImage& icons) {
    QImage out = icons.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QColor c = QColor::fromRgba(line[x]).lighter(125);
            line[x] = qRgba(c.red(), c.green(), c.blue(), qAlpha(line[x]));
        }
    }
    return out;
}

// Grey by brightness over a white copy one pixel down and right: a shape pressed into the face.
QImage Engrave(const QImage& icons) {
    QImage grey = icons.convertToFormat(QImage::Format_ARGB32);
    QImage white = grey;
    for (int y = 0; y < grey.height(); ++y) {
        auto* g = reinterpret_cast<QRgb*>(grey.scanLine(y));
        auto* w = reinterpret_cast<QRgb*>(white.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int level = 115 + qGray(g[x]) * 80 / 255;
            g[x] = qRgba(level, level, level, qAlpha(g[x]));
            w[x] = qRgba(255, 255, 255, qAlpha(w[x]));
        }
    }
    QImage out(icons.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    for (int i = 0; i < kDecodeButtonIconCount; ++i) {
        // Per icon, so that the white copy stays inside its own 16x16 cell.
        const QRect cell(i * kSize, 0, kSize - 1, kSize - 1);
        p.drawImage(cell.topLeft() + QPoint(1, 1), white, cell);
    }
    p.drawImage(0, 0, grey);
    return out;
}

// Puts the icons on the key colour; semi-transparent edges keep their alpha.
QImage OnKey(const QImage& icons) {
    QImage strip(icons.size(), QImage::Format_ARGB32);
    for (int y = 0; y < icons.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(icons.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(strip.scanLine(y));
        for (int x = 0; x < icons.width(); ++x) {
            out[x] = qAlpha(in[x]) == 0 ? DecodeButtonKeyColour().rgb() : in[x];
        }
    }
    return strip;
}

} // namespace

QColor DecodeButtonKeyColour() {
    return QColor(192, 192, 192);
}

QImage DecodeButtonStrip(IconLook look) {
    const QImage icons = NormalIcons();
    switch (look) {
    case IconLook::kHighlighted:
        return OnKey(Brighten(icons));
    case IconLook::kDisabled:
        return OnKey(Engrave(icons).convertToFormat(QImage::Format_ARGB32));
    default:
        return OnKey(icons.convertToFormat(QImage::Format_ARGB32));
    }
}

DecodeButtonImageSet DecodeButtonImages() {
    const QColor key = DecodeButtonKeyColour();
    return {ImageList(DecodeButtonStrip(IconLook::kNormal), kSize, key),
            ImageList(DecodeButtonStrip(IconLook::kHighlighted), kSize, key),
            ImageList(DecodeButtonStrip(IconLook::kDisabled), kSize, key)};
}

} // namespace sonarel
