// A row of equally sized images cut from one strip, with one colour keyed out as transparent,
// the way toolbar and button icons are kept.
#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QVector>

class QPainter;

namespace sonarel {

class ImageList {
public:
    ImageList() = default;
    // Cuts `strip` into images `image_width` pixels wide and as high as the strip; a partial
    // image at the right end is dropped. Pixels of exactly the `transparent` colour become
    // transparent; all others keep their own alpha.
    ImageList(const QImage& strip, int image_width, const QColor& transparent);

    int Count() const { return static_cast<int>(images_.size()); }
    // A null image for an index outside the list.
    QImage Image(int index) const;

    // Draws image `index` with its top-left corner at `top_left`; nothing for an index outside
    // the list.
    void Draw(QPainter& painter, int index, QPoint top_left) const;

private:
    QVector<QImage> images_;
};

} // namespace sonarel
