#include "io/mpeg_header_tables.h"

namespace sonarel {

namespace {

// [id][layer - 1][index]; MPEG-2.5 shares the MPEG-2 rows.
constexpr uint16_t kBitrates[2][3][15] = {
    {
        // MPEG-2 and MPEG-2.5 (ISO/IEC 13818-3)
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
        {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
    },
    {
        // MPEG-1 (ISO/IEC 11172-3)
        {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
        {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
        {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    },
};

constexpr uint32_t kSampleRates[2][3] = {
    {22050, 24000, 16000},
    {44100, 48000, 32000},
};

} // namespace

uint16_t BitrateTableKbps(int id, int layer, int bitrate_index) {
    if (id < 0 || id > 1 || layer < 1 || layer > 3 || bitrate_index < 0 || bitrate_index > 14) {
        return 0;
    }
    return kBitrates[id][layer - 1][bitrate_index];
}

uint32_t SampleRateTableHz(int id, int sampling_index) {
    if (id < 0 || id > 1 || sampling_index < 0 || sampling_index > 2) {
        return 0;
    }
    return kSampleRates[id][sampling_index];
}

int SamplesPerFrame(int id, int layer) {
    if (layer == 1) {
        return 384;
    }
    if (layer == 3 && id == 0) {
        return 576;
    }
    return 1152;
}

} // namespace sonarel
