// Pictures of the windows for the documentation, taken with the program's own grab so that no
// screen capture tool is needed: with SONAREL_SCREENSHOT=file.png the main window is saved once
// it is shown, with SONAREL_ABOUT_SCREENSHOT=file.png the About box as well; then the program
// closes itself.
#pragma once

namespace sonarel {

class DecoderWindow;

// Arranges the pictures the environment asks for; does nothing when it asks for none.
void ScheduleScreenshots(DecoderWindow& window);

} // namespace sonarel
