#include "controls/gradient_progress_bar.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QtGlobal>
#include <algorithm>
#include <cstdint>
#include <qdrawutil.h>

namespace sonarel {

namespace {

constexpr int kBorderWidth = 1;
const QColor kTextColour = Qt::black;

} // namespace

GradientProgressBar::GradientProgressBar(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted each time, so Qt need not clear the background first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool GradientProgressBar::SetPos(int pos) {
    if (pos < lower_ || pos > upper_) {
        return false;
    }
    if (step_ == -1 || pos > pos_) {
        pos_ = pos;
    } else {
        pos_ -= step_;
    }
    pos_ = std::max(pos_, 0);
    update();
    return true;
}

bool GradientProgressBar::SetRange(int lower, int upper) {
    if (lower >= upper) {
        return false;
    }
    lower_ = lower;
    upper_ = upper;
    update();
    return true;
}

bool GradientProgressBar::SetStep(int step) {
    if (step > upper_) {
        return false;
    }
    step_ = step;
    return true;
}

void GradientProgressBar::SetColours(const QColor& left, const QColor& right) {
    left_colour_ = left;
    right_colour_ = right;
    RenderBar();
    update();
}

void GradientProgressBar::SetMode(int mode) {
    mode_ = mode;
    update();
}

void GradientProgressBar::ShowText(bool on) {
    show_text_ = on;
    update();
}

void GradientProgressBar::SetText(const QString& text) {
    text_ = text;
    update();
}

void GradientProgressBar::SetBordered(bool on) {
    bordered_ = on;
    const int margin = on ? kBorderWidth : 0;
    setContentsMargins(margin, margin, margin, margin);
    update();
}

QString GradientProgressBar::OverlayText() const {
    if (!show_text_) {
        return QString();
    }
    if (!text_.isEmpty()) {
        return text_;
    }
    const int64_t percent = (int64_t(pos_) - lower_) * 100 / (int64_t(upper_) - lower_);
    return percent == 0 ? QString() : QStringLiteral("%1%").arg(percent);
}

int GradientProgressBar::FilledWidth(int client_width) const {
    if (upper_ <= 0) {
        return 0;
    }
    const int64_t filled = int64_t(client_width) * pos_ / upper_;
    return static_cast<int>(std::clamp<int64_t>(filled, 0, client_width));
}

QSize GradientProgressBar::sizeHint() const {
    const int frame = 2 * (bordered_ ? kBorderWidth : 0);
    return QSize(150, fontMetrics().height() + 4 + frame);
}

QSize GradientProgressBar::minimumSizeHint() const {
    return QSize(4, 4);
}

void GradientProgressBar::RenderBar() {
    // A display of 8 bits per pixel or fewer gets the two-block bar instead of the ramp.
    const bool low_colour = screen() != nullptr && screen()->depth() < 9;
    bar_image_ =
        RenderBarImage(contentsRect().size(), left_colour_, right_colour_, mode_, low_colour);
    rendered_mode_ = mode_;
}

void GradientProgressBar::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    if (bordered_) {
        qDrawShadePanel(&painter, rect(), palette(), true, kBorderWidth);
    }
    const QRect client = contentsRect();
    if (client.isEmpty()) {
        return;
    }
    if (bar_image_.size() != client.size() || rendered_mode_ != mode_) {
        RenderBar();
    }
    const int filled = FilledWidth(client.width());
    painter.fillRect(client.adjusted(filled, 0, 0, 0), palette().color(QPalette::Button));
    if (filled > 0) {
        painter.drawImage(client.topLeft(), bar_image_, QRect(0, 0, filled, client.height()));
    }
    DrawOverlayText(painter, client);
}

void GradientProgressBar::DrawOverlayText(QPainter& painter, const QRect& client) const {
    const QString text = OverlayText();
    if (text.isEmpty()) {
        return;
    }
    // The widget's font (the application's dialog font unless the owner sets another).
    painter.setFont(font());
    painter.setPen(kTextColour);
    painter.drawText(client, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, text);
}

} // namespace sonarel
