// Status codes of the decoder: severity in bits 31..30, facility 0x101, code in bits 15..0.
#pragma once

#include <cstdint>

namespace sonarel::mp3 {

using Mp3Status = std::uint32_t;

inline constexpr Mp3Status MP3_OK = 0x00000000;
inline constexpr Mp3Status MP3_I_CRC_CONCEALED = 0x41010001;
inline constexpr Mp3Status MP3_I_RESERVOIR_CONCEALED = 0x41010002;
inline constexpr Mp3Status MP3_W_SEARCHING = 0x81010001;
inline constexpr Mp3Status MP3_W_SYNC_LOST = 0x81010002;
inline constexpr Mp3Status MP3_W_NEED_MORE = 0x81010003;
inline constexpr Mp3Status MP3_W_END = 0x81010004;
inline constexpr Mp3Status MP3_E_NOT_LAYER3 = 0xC1010002;
inline constexpr Mp3Status MP3_E_OUTPUT_TOO_SMALL = 0xC1010003;

// 0 success, 1 PCM with a remark, 2 no PCM (more input or end), 3 error.
constexpr unsigned Severity(Mp3Status status) {
    return status >> 30;
}

// True when the call produced a frame of PCM.
constexpr bool ProducedPcm(Mp3Status status) {
    return Severity(status) <= 1;
}

} // namespace sonarel::mp3
