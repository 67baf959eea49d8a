// Construction options of the decoder, fixed for its life.
#pragma once

namespace sonarel::mp3 {

struct DecoderOptions {
    int downsample_shift = 0; // 0 full rate, 1 half rate, 2 quarter rate
    bool eight_bit = false;   // unsigned 8-bit samples instead of signed 16-bit
    bool mono = false;        // fold two-channel streams into one output channel
};

} // namespace sonarel::mp3
