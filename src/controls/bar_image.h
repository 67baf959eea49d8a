// The filled look of the progress bar: a horizontal colour ramp with vertical shading, rendered
// once into an image from which the painter copies as many columns as the position asks for.
#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

namespace sonarel {

// Vertical shading of the bar; any other value gives a flat bar.
constexpr int kQuarticShading = 1; // dark top edge, white bottom edge, steep near the edges
constexpr int kLinearShading = 2;  // two thirds of the colour at the top, half-way to white at
                                   // the bottom, both rising linearly to the full colour mid-way

// Renders the fully filled bar of `size`. The ramp goes from `left` to `right`, changing slowly
// near the left end and faster towards the right. `low_colour` stands for a display of fewer
// than 9 bits per pixel, where a ramp would dither badly: three quarters in `left`, the rest in
// `right`. A bar narrower than 2 pixels is flat `left`; one lower than 2 pixels is unshaded.
// An empty size gives a null image.
QImage RenderBarImage(QSize size, const QColor& left, const QColor& right, int mode,
                      bool low_colour = false);

} // namespace sonarel
