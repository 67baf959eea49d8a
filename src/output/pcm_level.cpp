#include "output/pcm_level.h"

#include <algorithm>
#include <cmath>

namespace sonarel {
namespace {

constexpr double kFullScaleSquared = 32768.0 * 32768.0;

// Sums in 64 bits: a whole buffer of full-scale samples needs 30 bits per sample.
uint64_t SumOfSquares16(const uint8_t* data, int32_t count) {
    uint64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        const auto sample = static_cast<int16_t>(data[2 * i] | (data[2 * i + 1] << 8));
        sum += static_cast<uint64_t>(int64_t{sample} * sample);
    }
    return sum;
}

uint64_t SumOfSquares8(const uint8_t* data, int32_t count) {
    uint64_t sum = 0;
    for (int32_t i = 0; i < count; ++i) {
        const int32_t sample = (data[i] - 128) * 256;
        sum += static_cast<uint64_t>(int64_t{sample} * sample);
    }
    return sum;
}

} // namespace

int16_t PcmLevel(const uint8_t* data, int32_t length, uint16_t bits_per_sample) {
    const int32_t bytes_per_sample = bits_per_sample == 8 ? 1 : 2;
    const int32_t count = data != nullptr && length > 0 ? length / bytes_per_sample : 0;
    if (count == 0) {
        return kSilenceLevel;
    }
    const uint64_t sum =
        bytes_per_sample == 1 ? SumOfSquares8(data, count) : SumOfSquares16(data, count);
    if (sum == 0) {
        return kSilenceLevel;
    }
    const double mean_power = static_cast<double>(sum) / count / kFullScaleSquared;
    const double hundredths = std::round(1000.0 * std::log10(mean_power));
    return static_cast<int16_t>(std::clamp(hundredths, double{kSilenceLevel}, 0.0));
}

} // namespace sonarel
