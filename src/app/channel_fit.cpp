#include "app/channel_fit.h"

#include "io/little_endian.h"

#include <cstring>

namespace sonarel {

namespace {

int16_t LoadSample(const uint8_t* p) {
    return static_cast<int16_t>(GetLe16(p));
}

// Walks backwards so that the wider result can grow over the samples still unread.
void SpreadMono(uint8_t* pcm, int samples) {
    for (int i = samples - 1; i >= 0; --i) {
        uint8_t sample[2];
        std::memcpy(sample, pcm + 2 * i, 2);
        std::memcpy(pcm + 4 * i, sample, 2);
        std::memcpy(pcm + 4 * i + 2, sample, 2);
    }
}

void FoldStereo(uint8_t* pcm, int frames) {
    for (int i = 0; i < frames; ++i) {
        const int sum = LoadSample(pcm + 4 * i) + LoadSample(pcm + 4 * i + 2);
        PutLe16(pcm + 2 * i, static_cast<uint16_t>(sum >> 1));
    }
}

} // namespace

int FitChannels(uint8_t* pcm, int bytes, int from, int to, int capacity) {
    if (from == to) {
        return bytes;
    }
    if (from == 1 && to == 2) {
        if (2 * bytes > capacity) {
            return 0;
        }
        SpreadMono(pcm, bytes / 2);
        return 2 * bytes;
    }
    if (from == 2 && to == 1) {
        FoldStereo(pcm, bytes / 4);
        return bytes / 2;
    }
    return 0;
}

} // namespace sonarel
