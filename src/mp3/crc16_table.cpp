#include "mp3/crc16_table.h"

namespace sonarel::mp3 {

namespace {

constexpr std::array<uint16_t, 256> BuildTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        unsigned crc = i << 8;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x8000) ? ((crc << 1) ^ kCrc16Polynomial) : (crc << 1);
        }
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

} // namespace

constexpr std::array<uint16_t, 256> kCrc16Table = BuildTable();

} // namespace sonarel::mp3
