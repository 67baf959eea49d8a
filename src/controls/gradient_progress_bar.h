// A progress bar that paints itself: a shaded colour ramp for the filled part, a flat background
// for the rest, and a line of text over both, either a status text or the percentage.
// The text uses the widget's font: the application's default dialog font unless the owner sets
// another, standing in for the 8-point "MS Sans Serif" of Windows dialogs.
#pragma once

#include "controls/bar_image.h"

#include <QColor>
#include <QImage>
#include <QString>
#include <QWidget>

class QPainter;

namespace sonarel {

class GradientProgressBar : public QWidget {
    Q_OBJECT

public:
    explicit GradientProgressBar(QWidget* parent = nullptr);

    // False, with no change, outside [Lower, Upper]. With a step of -1, or a value above the
    // position, the position jumps to `pos`; otherwise it moves down by one step per call, so
    // a falling bar glides instead of jumping. A position below 0 is raised to 0.
    bool SetPos(int pos);
    // False when lower >= upper. The position is left as it is.
    bool SetRange(int lower, int upper);
    // False when `step` is greater than Upper; -1 selects direct positioning.
    bool SetStep(int step);
    // The ends of the ramp; renders the bar image.
    void SetColours(const QColor& left, const QColor& right);
    // Vertical shading (kQuarticShading, kLinearShading, anything else flat).
    void SetMode(int mode);
    void ShowText(bool on);
    // The status text drawn over the bar; an empty text shows the percentage instead.
    void SetText(const QString& text);
    // A sunken one-pixel frame around the bar; the bar keeps the area inside it.
    void SetBordered(bool on);

    int Pos() const { return pos_; }
    QString Text() const { return text_; }

    // What is drawn over the bar now: nothing while text is off, else the status text, else
    // the percentage ("57%"), which is left out at 0 %.
    QString OverlayText() const;
    // Width of the filled part in a client area `client_width` pixels wide.
    int FilledWidth(int client_width) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void RenderBar();
    void DrawOverlayText(QPainter& painter, const QRect& client) const;

    // The bar image is a cache of (client size, mode, colours); painting renders it again when
    // the size or the mode changed since, so resizing or a later SetMode never shows a stale bar.
    QImage bar_image_;
    int rendered_mode_ = 0;
    int mode_ = kQuarticShading;
    bool show_text_ = false;
    bool bordered_ = false;
    QColor right_colour_ = QColor(0, 0, 255);
    QColor left_colour_ = QColor(255, 0, 0);
    QString text_;
    int step_ = -1;
    int lower_ = 0;
    int upper_ = 100;
    int pos_ = 100; // a bar that is never positioned shows as full
};

} // namespace sonarel
