#include "bench/decode_loop.h"

#include <algorithm>

namespace sonarel::bench {

bool DecodeInPieces(mp3::Mp3Decoder& decoder, const uint8_t* stream, size_t size,
                    const PieceSizer& next_piece, const CallObserver& observe, size_t max_rounds) {
    uint8_t out[mp3::Mp3Decoder::kMaxFrameBytes];
    size_t read_pos = 0;
    size_t offset = 0;
    size_t piece_end = 0;
    for (size_t round = 0; round < max_rounds; ++round) {
        if (offset == piece_end) {
            offset = read_pos;
            piece_end = std::min(size, read_pos + std::max<size_t>(next_piece(), 1));
            read_pos = piece_end;
            if (offset == piece_end) {
                decoder.SetEndOfInput();
            }
        }
        if (offset < piece_end) {
            offset += static_cast<size_t>(
                decoder.Feed(stream + offset, static_cast<int>(piece_end - offset)));
        }
        int produced = 0;
        const mp3::Mp3Status status = decoder.DecodeFrame(out, int{sizeof out}, &produced);
        observe(status, out, produced);
        if (produced == 0 && decoder.IsFinished()) {
            return true;
        }
    }
    return false;
}

} // namespace sonarel::bench
