// How the dialog's last conversion attempt ended, for front-ends that report it (the console
// turns it into its exit status). Every start failure and every abnormal end has its own value.
#pragma once

namespace sonarel {

enum class DialogOutcome {
    kNone,              // nothing was attempted
    kDone,              // a conversion ended normally
    kDoneWithSkips,     // it ended, but frames at another sampling rate were left out
    kCancelled,         // a conversion was cancelled
    kDeclined,          // the user answered No to a question
    kInputMissing,      // the input file does not exist
    kInputInvalid,      // the input could not be read or holds no recognisable MPEG audio
    kInputIsPcm,        // the input is a PCM WAVE file
    kOutputInvalid,     // the output name can be neither used nor created
    kInputOpenFailed,   // the decode could not open the input
    kDecoderOpenFailed, // the decoding stage could not be opened
    kOutputOpenFailed,  // the output file could not be created
    kPumpNoReader,      // the pump had no source (result 100)
    kPumpReaderFailed,  // the pump could not open its source (result 101)
    kReadError,         // reading the input failed mid-way (result 102)
    kWriteError,        // writing the output failed mid-way (result 103)
};

} // namespace sonarel
