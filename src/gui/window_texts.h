// Texts of the desktop program's windows: captions, group and button labels, menu items,
// tooltips and the About box. The dialog logic's own texts live in app/dialog_texts.h.
#pragma once

#include "app/version.h" // SONAREL_VERSION, shared with the console converter

namespace sonarel::window_text {

inline constexpr const char* kCaption = "Sonarel MP3 Decoder";

// Main window controls.
inline constexpr const char* kInputGroup = "Input";
inline constexpr const char* kOutputGroup = "Output";
inline constexpr const char* kInputBrowse = "&Browse...";
inline constexpr const char* kOutputBrowse = "B&rowse...";
inline constexpr const char* kFormatLabel = "Format:";
inline constexpr const char* kInputFormatSample = "MP3, 128 kbit/sec, 44100 Hz, Stereo";
inline constexpr const char* kOutputFormatSample = "PCM, 44100 Hz, Stereo";
inline constexpr const char* kSizeSample = "0 bytes";
inline constexpr const char* kDecode = "&Decode";
// The widest texts the format and size labels show; the layout is made wide enough for them.
inline constexpr const char* kWidestInputFormat = "MP3: 320 kbit/sec, 48000 Hz, Stereo";
inline constexpr const char* kWidestOutputFormat = "PCM: 48000 Hz, 16 Bit, Stereo";
inline constexpr const char* kWidestSize = "4,294,967,295 bytes";

// Menu.
inline constexpr const char* kFileMenu = "&File";
inline constexpr const char* kHelpMenu = "&Help";
inline constexpr const char* kOpenItem = "&Open...";
inline constexpr const char* kSaveAsItem = "Save &As...";
inline constexpr const char* kDecodeItem = "&Decode";
inline constexpr const char* kExitItem = "E&xit";
inline constexpr const char* kAboutItem = "&About";
// The entry added to the window's system menu where the platform has one.
inline constexpr const char* kSystemAboutItem = "&About Sonarel MP3 Decoder...";

// Tooltips.
inline constexpr const char* kOpenTip = "Open MP3 File";
inline constexpr const char* kSaveTip = "Save WAV as...";
inline constexpr const char* kDecodeTip = "Decode and Save";

// About box.
inline constexpr const char* kAboutCaption = "About Sonarel MP3 Decoder";
inline constexpr const char* kAboutVersion = "MP3 Decoder v" SONAREL_VERSION;
inline constexpr const char* kMakerNotice = "Sonarel is made by Quillon";
inline constexpr const char* kMakerUrl = "https://quillon.example/sonarel";
// The standards the decoder implements; the link goes to ISO's public page of the first.
inline constexpr const char* kStandardNotice = "MPEG audio: ISO/IEC 11172-3 and ISO/IEC 13818-3";
inline constexpr const char* kStandardUrl = "https://www.iso.org/standard/22412.html";

} // namespace sonarel::window_text
