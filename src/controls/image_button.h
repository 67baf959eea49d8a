// A push button that paints itself: a 16-pixel image at its left and its caption beside it.
// It looks flat until the mouse is over it, then raised, and sunken while pressed. The caption
// uses the widget's font (the application's default dialog font unless the owner sets another).
// A dotted frame around the caption marks the keyboard focus.
#pragma once

#include "controls/button_look.h"

#include <QAbstractButton>

namespace sonarel {

class ImageList;

class ImageButton : public QAbstractButton {
    Q_OBJECT

public:
    explicit ImageButton(QWidget* parent = nullptr);
    explicit ImageButton(const QString& text, QWidget* parent = nullptr);

    // Image `index` of the list for the look: `normal` when normal, `hot` when hot, focused or
    // pressed, `disabled` when disabled. Any list may be null or empty; that look then shows no
    // image. The lists are not owned and must outlive the button.
    void SetImages(int index, const ImageList* normal, const ImageList* hot,
                   const ImageList* disabled);

    ButtonLook CurrentLook() const;
    bool IsHover() const { return hover_; }
    int ImageIndex() const { return image_index_; }
    // The list that CurrentLook draws from (may be null).
    const ImageList* CurrentImages() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int DrawBorders(QPainter& painter, ButtonLook look) const;

    bool hover_ = false; // the mouse is over the button
    int image_index_ = 0;
    const ImageList* normal_images_ = nullptr;
    const ImageList* hot_images_ = nullptr;
    const ImageList* disabled_images_ = nullptr;
};

} // namespace sonarel
