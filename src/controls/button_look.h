// Drawing pieces shared by the self-painted buttons: which look a button shows, the classic
// 3-D frame, and captions that are engraved when the button is disabled.
#pragma once

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QString>

class QPainter;
class QWidget;

namespace sonarel {

enum class ButtonLook { kNormal, kHot, kFocused, kPressed, kDisabled };

// In order of precedence: disabled, pressed, hot (mouse over it), focused, normal.
ButtonLook ChooseLook(bool enabled, bool pressed, bool hover, bool focused);

// A one-pixel frame: top and left edges in `top_left`, right and bottom edges in
// `bottom_right`, which also takes the two far corners.
void Draw3dRect(QPainter& painter, const QRect& rect, const QColor& top_left,
                const QColor& bottom_right);

// The classic focus mark: a dotted one-pixel frame in `colour` just inside `rect`.
void DrawFocusMark(QPainter& painter, const QRect& rect, const QColor& colour);

// Text flag for '&' mnemonics: underlined where the style shows shortcuts, hidden elsewhere.
int MnemonicFlag(const QWidget& widget);

// Draws `text` in `colour`; when `engraved`, draws it in the highlight colour and again one
// pixel up and left in the shadow colour instead, the classic disabled look.
void DrawCaption(QPainter& painter, const QRect& rect, int flags, const QString& text,
                 const QPalette& palette, bool engraved, const QColor& colour);

} // namespace sonarel
