// The texts the main dialog shows: status lines, button captions, questions and messages.
// Strings with a %s or %d are printf formats.
#pragma once

namespace sonarel::text {

// Status line of the progress bar.
inline constexpr const char* kSelectInput = "Select MP3 file to decode";
inline constexpr const char* kSelectOutput = "Select output file name (or click Decode)";
inline constexpr const char* kClickDecode = "Click Decode";
inline constexpr const char* kDone = "Done!";
inline constexpr const char* kCancelled = "Cancelled!";
inline constexpr const char* kFailed = "Failed!";
// The end of a conversion that left out frames at another sampling rate than the output's.
inline constexpr const char* kDoneSkipped = "Done! %.1f s at another sampling rate skipped";

// Several inputs chosen at once wait in a queue.
inline constexpr const char* kQueued = "Click Decode to convert %d files";
inline constexpr const char* kQueueProgress = "%d%%  (file %d of %d)";

// Decode button captions.
inline constexpr const char* kDecodeCaption = "&Decode";
inline constexpr const char* kCancelCaption = "&Cancel";

// Format display.
inline constexpr const char* kFormatLabel = "Format:";
inline constexpr const char* kMp3Format = "MP3: %d kbit/sec, %d Hz, %s";
inline constexpr const char* kPcmFormat = "PCM: %d Hz, 16 Bit, %s";
inline constexpr const char* kMono = "Mono";
inline constexpr const char* kStereo = "Stereo";
inline constexpr const char* kBytesSuffix = " bytes";
inline constexpr const char* kSizeUnknown = "size unknown"; // a stream read from a pipe

// Questions (Yes/No).
inline constexpr const char* kAskUnknownExtension =
    "This file may not be an MP3 file.  Output is not guaranteed.  Would you like to process "
    "the file anyway?";
inline constexpr const char* kAskNotMp3 =
    "%s may not be an MP3 file.  Would you like to process the file anyway?";
inline constexpr const char* kAskCancel = "Cancel decode?";
inline constexpr const char* kAskOverwrite = "Overwrite %s?";

// Messages (OK).
inline constexpr const char* kInputMissing = "%s does not exist.";
inline constexpr const char* kInvalidInput = "Invalid Input File";
inline constexpr const char* kPcmInput = "This is not an MP3 compressed File!";
inline constexpr const char* kPipedWave =
    "A WAVE file cannot be read from standard input (its chunks need seeking): give its name "
    "instead.";
inline constexpr const char* kNoFormat = "Unable to get file format!";
inline constexpr const char* kInvalidOutput = "Invalid file: %s";
inline constexpr const char* kSourceMissing = "Can not find source file!";
inline constexpr const char* kInputOpenFailed = "Unable to open input file!";
inline constexpr const char* kDecoderOpenFailed = "Unable to open decoder!";
inline constexpr const char* kOutputOpenFailed = "Unable to open output file!";
inline constexpr const char* kOutputBusy =
    "Unable to open output file!  %s is being written by another conversion.";
inline constexpr const char* kPumpNoReader = "ERROR: No reader was passed in!";
inline constexpr const char* kPumpReaderFailed = "ERROR: Could not open reader!";
inline constexpr const char* kPumpReadError = "Read error: the output file is incomplete!";
inline constexpr const char* kPumpWriteError = "Write error: the output file is incomplete!";
// The reason shown after it when a pipe's header had announced another length.
inline constexpr const char* kLengthChanged =
    "the stream's length differs from what its Info frame announced, and the header on the "
    "pipe already said so";

// File dialogs.
inline constexpr const char* kOpenFilter =
    "MP3 Files (*.mp3)|*.mp3|MP3 Compressed Wave (*.wav)|*.wav|All Files (*.*)|*.*||";
inline constexpr const char* kSaveFilter = "WAV Files (*.wav)|*.wav|All Files (*.*)|*.*||";

} // namespace sonarel::text
