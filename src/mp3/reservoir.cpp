#include "mp3/side_info.h"

namespace sonarel::mp3 {

namespace {

// main_data_begin has at most 9 bits: no frame reaches further back than this.
constexpr int kMaxBackReference = 511;

// Drops what no later frame can refer to, so that the reservoir never runs out of room
// for a long frame while it still holds the unused tail of earlier ones. A reader that ran
// past the written data (a damaged part2_3_length) is brought back to the write point.
void TrimReservoir(BitRingBuffer& reservoir) {
    if (reservoir.AvailBits() < 0) {
        reservoir.Rewind(-reservoir.AvailBits());
    }
    reservoir.Skip(reservoir.AvailBits() - 8 * kMaxBackReference);
}

} // namespace

bool FillReservoir(BitRingBuffer& input, BitRingBuffer& reservoir, const SideInfo& side_info,
                   const FrameParams& params) {
    const int frame_bytes = (params.frame_bits - params.header_bits) / 8;
    const int main_bytes = frame_bytes - SideInfoBytes(params);
    TrimReservoir(reservoir);
    const int held = reservoir.AvailBits() / 8;
    const int copied = reservoir.CopyBytesFrom(input, main_bytes);
    if (copied < main_bytes || held < side_info.main_data_begin) {
        return false;
    }
    reservoir.Skip(reservoir.AvailBits());
    reservoir.Rewind(8 * (main_bytes + side_info.main_data_begin));
    return true;
}

} // namespace sonarel::mp3
