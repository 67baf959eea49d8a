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
