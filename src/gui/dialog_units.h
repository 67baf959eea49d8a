// Dialog units: the font-relative coordinates dialog templates are laid out in. A horizontal unit
// is a quarter of the font's average character width, a vertical unit an eighth of its
// character height, so a layout keeps its proportions in any font.
#pragma once

#include <QFont>
#include <QRect>

namespace sonarel {

class DialogUnits {
public:
    // Base units of `font`: the average width of the 52 Latin letters (rounded) and the line
    // height.
    explicit DialogUnits(const QFont& font);
    DialogUnits(int averageCharWidth, int charHeight);

    // Raises the horizontal base unit where needed so that `pixels` fit into `units` horizontal
    // dialog units: a font whose digits or capitals run wider than the template's font widens
    // the layout instead of clipping its texts.
    void FitWidth(int pixels, int units);

    int X(int units) const { return units * char_width_ / 4; }
    int Y(int units) const { return units * char_height_ / 8; }
    // A template rectangle (x, y, width, height) in pixels; the size is converted from both
    // corners, so adjoining controls stay adjoining.
    QRect Rect(int x, int y, int width, int height) const;

private:
    int char_width_;
    int char_height_;
};

} // namespace sonarel
