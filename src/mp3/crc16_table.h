// Byte table of the CRC-16 with generator 0x8005 that protects Layer III side information.
#pragma once

#include <array>
#include <cstdint>

namespace sonarel::mp3 {

inline constexpr uint16_t kCrc16Polynomial = 0x8005;

// Entry i is the register after shifting the 8 bits of i through the generator.
extern const std::array<uint16_t, 256> kCrc16Table;

} // namespace sonarel::mp3
