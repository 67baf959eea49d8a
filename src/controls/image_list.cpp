#include "controls/image_list.h"

#include <QPainter>

namespace sonarel {

namespace {

QImage KeyOut(const QImage& strip, const QColor& transparent) {
    QImage keyed = strip.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb() & RGB_MASK;
    for (int y = 0; y < keyed.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(keyed.scanLine(y));
        for (int x = 0; x < keyed.width(); ++x) {
            if ((line[x] & RGB_MASK) == key) {
                line[x] = 0;
            }
        }
    }
    return keyed.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

} // namespace

ImageList::ImageList(const QImage& strip, int image_width, const QColor& transparent) {
    if (strip.isNull() || image_width <= 0) {
        return;
    }
    const QImage keyed = KeyOut(strip, transparent);
    for (int x = 0; x + image_width <= keyed.width(); x += image_width) {
        images_.append(keyed.copy(x, 0, image_width, keyed.height()));
    }
}

QImage ImageList::Image(int index) const {
    return index >= 0 && index < Count() ? images_[index] : QImage();
}

void ImageList::Draw(QPainter& painter, int index, QPoint top_left) const {
    if (index >= 0 && index < Count()) {
        painter.drawImage(top_left, images_[index]);
    }
}

} // namespace sonarel
