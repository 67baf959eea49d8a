#include "mp3/crc16.h"

#include "mp3/crc16_table.h"
#include "mp3/side_info.h"

namespace sonarel::mp3 {

uint32_t Crc16Update(BitRingBuffer& reader, int bit_count, uint32_t crc) {
    for (; bit_count >= 8; bit_count -= 8) {
        const uint32_t byte = reader.GetBits(8);
        crc = ((crc & 0xFF) << 8) ^ kCrc16Table[(byte ^ (crc >> 8)) & 0xFF];
    }
    for (; bit_count > 0; --bit_count) {
        const uint32_t bit = reader.GetBits(1);
        const uint32_t top = (crc >> 15) & 1;
        crc = ((crc & 0x7FFF) << 1) ^ (bit != top ? kCrc16Polynomial : 0);
    }
    return crc;
}

bool CheckCrc(BitRingBuffer& input, const FrameParams& params) {
    if (!params.crc_present) {
        return true;
    }
    const int side_bits = 8 * SideInfoBytes(params);
    input.Rewind(32);
    uint32_t crc = Crc16Update(input, 16, 0xFFFF);
    const uint32_t stored = input.GetBits(16);
    crc = Crc16Update(input, side_bits, crc);
    if ((crc & 0xFFFF) != stored) {
        return false;
    }
    input.Rewind(side_bits);
    return true;
}

} // namespace sonarel::mp3
