#include "app/byte_count.h"

namespace sonarel {

std::string FormatByteCount(std::int64_t count) {
    // The magnitude as unsigned, so that the most negative value has one too.
    std::uint64_t magnitude =
        count < 0 ? 0 - static_cast<std::uint64_t>(count) : static_cast<std::uint64_t>(count);
    std::string digits = std::to_string(magnitude);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) {
            text += ',';
        }
        text += digits[i];
    }
    return count < 0 ? "-" + text : text;
}

bool ProgressPercent(std::uint32_t position, std::uint32_t size, std::uint32_t& percent) {
    if (size == 0) {
        return false;
    }
    percent = static_cast<std::uint32_t>(std::uint64_t{position} * 100 / size);
    return true;
}

std::uint32_t EstimateOutputBytes(std::uint32_t size, std::uint32_t averageBytesPerSecond,
                                  std::uint32_t sampleRate, std::uint32_t channels) {
    if (averageBytesPerSecond == 0) {
        return 0;
    }
    std::uint32_t seconds = size / averageBytesPerSecond;
    return seconds * sampleRate * channels * 2;
}

} // namespace sonarel
