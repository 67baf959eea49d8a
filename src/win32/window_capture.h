// Pictures of the program's own windows for the documentation, copied from the windows' pixels,
// so that no capture tool is needed.
#pragma once

#include <windows.h>

#include <string>

namespace sonarel {

class DialogWindow;

// Saves the whole window, frame included, as a PNG file; false when that fails.
bool CaptureWindow(HWND window, const std::string& pngName);

// With SONAREL_SCREENSHOT=main.png the main window is saved once it is shown, with
// SONAREL_ABOUT_SCREENSHOT=about.png the About box as well; then the program closes itself.
// Does nothing when neither is set. Call before the window is made.
void ScheduleScreenshots(DialogWindow& window);

} // namespace sonarel
