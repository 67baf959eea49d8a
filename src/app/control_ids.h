// Numeric IDs of the main dialog's controls and menu commands. A menu command shares the ID of
// the button it duplicates, so one handler serves both.
#pragma once

namespace sonarel {

enum ControlId : int {
    kInputEdit = 1000,
    kOutputEdit = 1001,
    kOutputBrowse = 1002, // also File > Save As...
    kInputBrowse = 1003,  // also File > Open...
    kInputFormatText = 1004,
    kInputFormatLabel = 1005,
    kProgressBar = 1006,
    kOutputFormatLabel = 1007,
    kInputSizeLabel = 1010,
    kOutputSizeLabel = 1011,
    kDecodeButton = 1015, // also File > Decode
    kOutputFormatText = 1016,
};

enum CommandId : int {
    kCommandOpen = kInputBrowse,
    kCommandSaveAs = kOutputBrowse,
    kCommandDecode = kDecodeButton,
    kCommandExit = 32774,
    kCommandAbout = 32775,
    // Posted by the dialog to itself: the next queued input is converted.
    kCommandDecodeNext = 32776,
};

} // namespace sonarel
