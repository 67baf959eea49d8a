// Status codes of the decoder: severity in bits 31..30, facility 0x101, code in bits 15..0.
#pragma once

#include <cstdint>

namespace sonarel::mp3 {

using Mp3Status = std::uint32_t;

// Each code with what the caller does next.
inline constexpr Mp3Status MP3_OK = 0x00000000; // a frame of PCM: use it, call again
// A frame of PCM that hides damage (its CRC failed, or its main data reached back into
// bytes the reservoir never received): use it like any frame; it only tells a log why
// the audio may sound wrong there.
inline constexpr Mp3Status MP3_I_CRC_CONCEALED = 0x41010001;
inline constexpr Mp3Status MP3_I_RESERVOIR_CONCEALED = 0x41010002;
// No PCM yet: the decoder is looking for the first frames; feed more and call again.
inline constexpr Mp3Status MP3_W_SEARCHING = 0x81010001;
// No PCM: what follows the last frame is no frame of the locked stream. The decoder drops
// its history and searches again by itself: call again.
inline constexpr Mp3Status MP3_W_SYNC_LOST = 0x81010002;
// No PCM: the next frame is not complete. Feed more, or SetEndOfInput at the end.
inline constexpr Mp3Status MP3_W_NEED_MORE = 0x81010003;
// No PCM, and none will come: every frame was decoded. Reset to start a new stream.
inline constexpr Mp3Status MP3_W_END = 0x81010004;
// The locked frame is not Layer III; nothing was decoded. The search locks on Layer III
// frames only, so this means a fault in the decoder: Reset before decoding on.
inline constexpr Mp3Status MP3_E_NOT_LAYER3 = 0xC1010002;
// The output buffer is smaller than a frame of PCM: call again with a larger one (4608
// bytes always suffice); the frame waits.
inline constexpr Mp3Status MP3_E_OUTPUT_TOO_SMALL = 0xC1010003;

// The code's name, for logs; "MP3_UNKNOWN" for a value that is none of the above.
constexpr const char* Mp3StatusName(Mp3Status status) {
    switch (status) {
    case MP3_OK:
        return "MP3_OK";
    case MP3_I_CRC_CONCEALED:
        return "MP3_I_CRC_CONCEALED";
    case MP3_I_RESERVOIR_CONCEALED:
        return "MP3_I_RESERVOIR_CONCEALED";
    case MP3_W_SEARCHING:
        return "MP3_W_SEARCHING";
    case MP3_W_SYNC_LOST:
        return "MP3_W_SYNC_LOST";
    case MP3_W_NEED_MORE:
        return "MP3_W_NEED_MORE";
    case MP3_W_END:
        return "MP3_W_END";
    case MP3_E_NOT_LAYER3:
        return "MP3_E_NOT_LAYER3";
    case MP3_E_OUTPUT_TOO_SMALL:
        return "MP3_E_OUTPUT_TOO_SMALL";
    default:
        return "MP3_UNKNOWN";
    }
}

// 0 success, 1 PCM with a remark, 2 no PCM (more input or end), 3 error.
constexpr unsigned Severity(Mp3Status status) {
    return status >> 30;
}

// True when the call produced a frame of PCM.
constexpr bool ProducedPcm(Mp3Status status) {
    return Severity(status) <= 1;
}

} // namespace sonarel::mp3
