// The icons of the main window's Decode button, drawn by code at start-up: one strip of four
// 16x16 images for each look (normal, highlighted, disabled) on a light grey key colour.
#pragma once

#include "controls/image_list.h"

#include <QColor>
#include <QImage>

namespace sonarel {

// Order of the icons in every strip.
enum DecodeButtonIcon { kOpenIcon = 0, kSaveIcon = 1, kCancelIcon = 2, kDecodeIcon = 3 };
constexpr int kDecodeButtonIconCount = 4;
constexpr int kDecodeButtonIconSize = 16;

enum class IconLook { kNormal, kHighlighted, kDisabled };

// The key colour around the icons of a strip.
QColor DecodeButtonKeyColour();

// A strip of kDecodeButtonIconCount icons side by side on the key colour.
QImage DecodeButtonStrip(IconLook look);

struct DecodeButtonImageSet {
    ImageList normal;
    ImageList highlighted;
    ImageList disabled;
};

// The three strips cut into image lists with the key colour made transparent.
DecodeButtonImageSet DecodeButtonImages();

} // namespace sonarel
