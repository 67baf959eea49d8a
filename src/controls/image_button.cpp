#include "controls/image_button.h"

#include "controls/image_list.h"

#include <QEnterEvent>
#include <QEvent>
#include <QPainter>
#include <algorithm>

namespace sonarel {

namespace {

constexpr int kImageInset = 4;     // image corner from the button's corner
constexpr int kCaptionIndent = 24; // caption start: inset, 16-pixel image, gap
constexpr int kFocusInset = 3;     // the focus mark, inside the two border lines

} // namespace

ImageButton::ImageButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

ImageButton::ImageButton(const QString& text, QWidget* parent) : ImageButton(parent) {
    setText(text);
}

void ImageButton::SetImages(int index, const ImageList* normal, const ImageList* hot,
                            const ImageList* disabled) {
    image_index_ = index;
    normal_images_ = normal;
    hot_images_ = hot;
    disabled_images_ = disabled;
    update();
}

ButtonLook ImageButton::CurrentLook() const {
    return ChooseLook(isEnabled(), isDown(), hover_, hasFocus());
}

const ImageList* ImageButton::CurrentImages() const {
    switch (CurrentLook()) {
    case ButtonLook::kNormal:
        return normal_images_;
    case ButtonLook::kDisabled:
        return disabled_images_;
    default:
        return hot_images_;
    }
}

QSize ImageButton::sizeHint() const {
    const QSize text_size = fontMetrics().size(Qt::TextShowMnemonic, text());
    const int height = std::max(2 * kImageInset + 16, text_size.height() + 8);
    return QSize(kCaptionIndent + text_size.width() + 8, height);
}

void ImageButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void ImageButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void ImageButton::changeEvent(QEvent* event) {
    // A disabled button gives up its hover; it is raised again only by a fresh enter.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) {
        hover_ = false;
    }
    QAbstractButton::changeEvent(event);
}

// Returns the offset of image and caption: -1 raised, +1 sunken, 0 flat.
int ImageButton::DrawBorders(QPainter& painter, ButtonLook look) const {
    const QPalette& pal = palette();
    const QRect outer = rect();
    const QRect inner = outer.adjusted(1, 1, -1, -1);
    switch (look) {
    case ButtonLook::kHot:
    case ButtonLook::kFocused:
        Draw3dRect(painter, outer, pal.color(QPalette::Light), pal.color(QPalette::Shadow));
        Draw3dRect(painter, inner, pal.color(QPalette::Midlight), pal.color(QPalette::Dark));
        return -1;
    case ButtonLook::kPressed:
        Draw3dRect(painter, outer, pal.color(QPalette::Shadow), pal.color(QPalette::Light));
        Draw3dRect(painter, inner, pal.color(QPalette::Dark), pal.color(QPalette::Midlight));
        return 1;
    default:
        Draw3dRect(painter, outer, pal.color(QPalette::Midlight), pal.color(QPalette::Dark));
        return 0;
    }
}

void ImageButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const ButtonLook look = CurrentLook();
    painter.fillRect(rect(), palette().color(QPalette::Button));
    const int offset = DrawBorders(painter, look);
    if (const ImageList* images = CurrentImages()) {
        images->Draw(painter, image_index_, QPoint(kImageInset + offset, kImageInset + offset));
    }
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | MnemonicFlag(*this);
    DrawCaption(painter, rect().translated(kCaptionIndent + offset, offset), flags, text(),
                palette(), look == ButtonLook::kDisabled, palette().color(QPalette::ButtonText));
    // The keyboard focus is marked around the caption, whatever the look, so that it shows
    // also while the mouse is over the button.
    if (hasFocus() && isEnabled()) {
        const QRect mark =
            rect()
                .adjusted(kCaptionIndent - kFocusInset, kFocusInset, -kFocusInset, -kFocusInset)
                .translated(offset, offset);
        DrawFocusMark(painter, mark, palette().color(QPalette::ButtonText));
    }
}

} // namespace sonarel
