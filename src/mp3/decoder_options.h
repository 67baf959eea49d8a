// Construction options of the decoder, fixed for its life.
#pragma once

namespace sonarel::mp3 {

// The instruction sets the hot loops have a copy for. Every copy gives the same output.
enum class VectorPath {
    kBest,     // the widest the processor runs
    kPortable, // plain C++, for any processor
    kSse2,     // four lanes: any x86-64 processor
    kAvx2,     // eight lanes
};

struct DecoderOptions {
    int downsample_shift = 0; // 0 full rate, 1 half rate, 2 quarter rate
    bool eight_bit = false;   // unsigned 8-bit samples instead of signed 16-bit
    bool mono = false;        // fold two-channel streams into one output channel
    VectorPath vectors = VectorPath::kBest;
};

// The path that runs for a request: kBest becomes the widest the processor supports, and
// a path the processor or the build lacks falls back to the next narrower one.
VectorPath ResolveVectorPath(VectorPath wanted);

} // namespace sonarel::mp3
