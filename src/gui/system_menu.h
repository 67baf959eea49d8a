// The About entry of the window's system menu (the menu behind the title bar's icon). Windows
// offers that menu to programs; X11 window managers draw their own and give programs no way to
// add to it, so there the functions do nothing and Help > About is the only way in.
#pragma once

#include <QByteArray>

class QWidget;

namespace sonarel {

// The command number of the added entry (the low four bits of system commands are the
// platform's own).
inline constexpr unsigned kSystemAboutCommand = 16;

// Appends a separator and the About entry to `window`'s system menu, where there is one.
void AddSystemMenuAbout(QWidget& window);

// True when a native event (as QWidget::nativeEvent receives it) is the choice of that entry.
bool IsSystemAboutCommand(const QByteArray& eventType, void* message);

} // namespace sonarel
