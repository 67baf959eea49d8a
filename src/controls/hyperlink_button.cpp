#include "controls/hyperlink_button.h"

#include <QDesktopServices>
#include <QPainter>

namespace sonarel {

const QColor HyperlinkButton::kLinkColour = QColor(0, 0, 192);

HyperlinkButton::HyperlinkButton(QWidget* parent)
    : QAbstractButton(parent), opener_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::PointingHandCursor);
    connect(this, &QAbstractButton::clicked, this, [this] { OpenTarget(); });
}

HyperlinkButton::HyperlinkButton(const QString& text, QWidget* parent) : HyperlinkButton(parent) {
    setText(text);
}

QString HyperlinkButton::Target() const {
    return url_.isEmpty() ? text() : url_;
}

void HyperlinkButton::SetOpener(Opener opener) {
    opener_ = std::move(opener);
}

ButtonLook HyperlinkButton::CurrentLook() const {
    // The link never shows the raised (hot) look.
    return ChooseLook(isEnabled(), isDown(), false, hasFocus());
}

QSize HyperlinkButton::sizeHint() const {
    const QSize text_size = fontMetrics().size(Qt::TextShowMnemonic, text());
    return text_size + QSize(4, 4);
}

void HyperlinkButton::OpenTarget() const {
    // Web addresses without a scheme and local paths are accepted as well as full URLs.
    if (opener_) {
        opener_(QUrl::fromUserInput(Target()));
    }
}

void HyperlinkButton::DrawFocusFrame(QPainter& painter) const {
    const QBrush hatch(palette().color(QPalette::Dark), Qt::DiagCrossPattern);
    const QRect r = rect();
    painter.fillRect(r.x(), r.y(), r.width(), 1, hatch);
    painter.fillRect(r.x(), r.bottom(), r.width(), 1, hatch);
    painter.fillRect(r.x(), r.y(), 1, r.height(), hatch);
    painter.fillRect(r.right(), r.y(), 1, r.height(), hatch);
}

void HyperlinkButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    const ButtonLook look = CurrentLook();
    painter.fillRect(rect(), palette().color(QPalette::Button));
    if (look == ButtonLook::kFocused) {
        DrawFocusFrame(painter);
    }
    // At rest the caption sits one pixel up and left, so pressing moves it down and right.
    const QRect text_rect = look == ButtonLook::kPressed ? rect() : rect().translated(-1, -1);
    QFont link_font = font();
    link_font.setUnderline(true);
    painter.setFont(link_font);
    const int flags = Qt::AlignCenter | Qt::TextSingleLine | MnemonicFlag(*this);
    DrawCaption(painter, text_rect, flags, text(), palette(), look == ButtonLook::kDisabled,
                kLinkColour);
}

} // namespace sonarel
