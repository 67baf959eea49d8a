#include "mp3/reservoir.h"

#include "mp3/side_info.h"

#include <algorithm>

namespace sonarel::mp3 {

namespace {

// main_data_begin has at most 9 bits: no frame reaches further back than this.
constexpr int kMaxBackReference = 511;

// Puts the reader on the write point, wherever the last frame's granules left it (a
// damaged part2_3_length may have stopped early or run past the data).
void ReadFromWritePoint(BitRingBuffer& reservoir) {
    if (reservoir.AvailBits() < 0) {
        reservoir.Rewind(-reservoir.AvailBits());
    } else {
        reservoir.Skip(reservoir.AvailBits());
    }
}

} // namespace

bool FillReservoir(BitRingBuffer& input, BitRingBuffer& reservoir, const SideInfo& side_info,
                   const FrameParams& params, int& held_bytes) {
    const int frame_bytes = (params.frame_bits - params.header_bits) / 8;
    const int main_bytes = frame_bytes - SideInfoBytes(params);
    ReadFromWritePoint(reservoir);
    const int held = held_bytes;
    const int copied = reservoir.CopyBytesFrom(input, main_bytes);
    held_bytes = std::min(held_bytes + copied, kMaxBackReference);
    if (copied < main_bytes || held < side_info.main_data_begin) {
        return false;
    }
    reservoir.Rewind(8 * side_info.main_data_begin);
    return true;
}

} // namespace sonarel::mp3
