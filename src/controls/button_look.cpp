#include "controls/button_look.h"

#include <QPainter>
#include <QStyle>
#include <QWidget>

namespace sonarel {

ButtonLook ChooseLook(bool enabled, bool pressed, bool hover, bool focused) {
    if (!enabled) {
        return ButtonLook::kDisabled;
    }
    if (pressed) {
        return ButtonLook::kPressed;
    }
    if (hover) {
        return ButtonLook::kHot;
    }
    return focused ? ButtonLook::kFocused : ButtonLook::kNormal;
}

void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& top_left,
                const QColor& bottom_right) {
    if (rect.isEmpty()) {
        return;
    }
    const int x = rect.x();
    const int y = rect.y();
    const int w = rect.width();
    const int h = rect.height();
    painter.fillRect(x, y, w - 1, 1, top_left);
    painter.fillRect(x, y, 1, h - 1, top_left);
    painter.fillRect(x + w - 1, y, 1, h, bottom_right);
    painter.fillRect(x, y + h - 1, w, 1, bottom_right);
}

// Every other pixel, counted around the frame, so the dots are even on every side.
void DrawFocusMark(QPainter& painter, const QRect& rect, const QColor& colour) {
    if (rect.width() < 2 || rect.height() < 2) {
        return;
    }
    for (int x = rect.left(); x <= rect.right(); x += 2) {
        painter.fillRect(x, rect.top(), 1, 1, colour);
        painter.fillRect(x, rect.bottom(), 1, 1, colour);
    }
    for (int y = rect.top(); y <= rect.bottom(); y += 2) {
        painter.fillRect(rect.left(), y, 1, 1, colour);
        painter.fillRect(rect.right(), y, 1, 1, colour);
    }
}

int MnemonicFlag(const QWidget& widget) {
    const bool underline =
        widget.style()->styleHint(QStyle::SH_UnderlineShortcut, nullptr, &widget) != 0;
    return underline ? Qt::TextShowMnemonic : Qt::TextHideMnemonic;
}

void DrawCaption(QPainter& painter, const QRect& rect, int flags, const QString& text,
                 const QPalette& palette, bool engraved, const QColor& colour) {
    if (!engraved) {
        painter.setPen(colour);
        painter.drawText(rect, flags, text);
        return;
    }
    painter.setPen(palette.color(QPalette::Light));
    painter.drawText(rect, flags, text);
    painter.setPen(palette.color(QPalette::Dark));
    painter.drawText(rect.translated(-1, -1), flags, text);
}

} // namespace sonarel
