#include "mp3/decoder_options.h"
#include "mp3/simd.h"

namespace sonarel::mp3 {

namespace {

bool Runs(VectorPath path) {
    switch (path) {
    case VectorPath::kPortable:
        return true;
#ifdef SONAREL_X86_64
    case VectorPath::kSse2:
        return true;
    case VectorPath::kAvx2:
        return __builtin_cpu_supports("avx2");
#endif
    default:
        return false;
    }
}

} // namespace

VectorPath ResolveVectorPath(VectorPath wanted) {
    VectorPath path = wanted == VectorPath::kBest ? VectorPath::kAvx2 : wanted;
    while (!Runs(path)) {
        path = static_cast<VectorPath>(static_cast<int>(path) - 1);
    }
    return path;
}

} // namespace sonarel::mp3
