// Exit status of sonarel-cli. Only a conversion that ended normally gives 0; every other end
// has its own number so that scripts can tell them apart.
#pragma once

#include "app/dialog_outcome.h"

namespace sonarel::cli {

enum ExitCode : int {
    kExitDone = 0,               // the conversion finished ("Done!")
    kExitInternal = 1,           // nothing was converted for a reason not listed below
    kExitUsage = 2,              // wrong use of the command line
    kExitCancelled = 3,          // cancelled (Ctrl-C, SIGTERM)
    kExitDeclined = 4,           // a question was answered No
    kExitInputMissing = 5,       // the input file does not exist
    kExitInputInvalid = 6,       // the input is unreadable or holds no MPEG audio
    kExitInputIsPcm = 7,         // the input is a PCM WAVE file
    kExitOutputInvalid = 8,      // the output name can be neither used nor created
    kExitInputOpenFailed = 9,    // the input could not be opened for decoding
    kExitDecoderOpenFailed = 10, // the decoder could not be started
    kExitOutputOpenFailed = 11,  // the output file could not be created
    kExitPumpNoReader = 12,      // internal: the conversion had no input
    kExitPumpReaderFailed = 13,  // internal: the conversion could not open its input
    kExitReadError = 14,         // reading the input failed; the output is incomplete
    kExitWriteError = 15,        // writing the output failed; the output is incomplete
    kExitSoundDeviceFailed = 16, // -play: the sound device could not be opened or failed
    kExitDoneWithSkips = 17,     // finished, but audio at another sampling rate was left out
    kExitOutputNotWave = 18,     // the output exists and is not a WAVE file (-overwrite needed)
    kExitBatchIncomplete = 19,   // a batch: files were not converted (the summary names them)
};

constexpr int ExitCodeFor(DialogOutcome outcome) {
    switch (outcome) {
    case DialogOutcome::kDone:
        return kExitDone;
    case DialogOutcome::kDoneWithSkips:
        return kExitDoneWithSkips;
    case DialogOutcome::kCancelled:
        return kExitCancelled;
    case DialogOutcome::kDeclined:
        return kExitDeclined;
    case DialogOutcome::kInputMissing:
        return kExitInputMissing;
    case DialogOutcome::kInputInvalid:
        return kExitInputInvalid;
    case DialogOutcome::kInputIsPcm:
        return kExitInputIsPcm;
    case DialogOutcome::kOutputInvalid:
        return kExitOutputInvalid;
    case DialogOutcome::kInputOpenFailed:
        return kExitInputOpenFailed;
    case DialogOutcome::kDecoderOpenFailed:
        return kExitDecoderOpenFailed;
    case DialogOutcome::kOutputOpenFailed:
        return kExitOutputOpenFailed;
    case DialogOutcome::kPumpNoReader:
        return kExitPumpNoReader;
    case DialogOutcome::kPumpReaderFailed:
        return kExitPumpReaderFailed;
    case DialogOutcome::kReadError:
        return kExitReadError;
    case DialogOutcome::kWriteError:
        return kExitWriteError;
    case DialogOutcome::kNone:
        break;
    }
    return kExitInternal;
}

} // namespace sonarel::cli
