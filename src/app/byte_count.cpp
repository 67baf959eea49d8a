#include "app/byte_count.h"

#include "output/wave_file_writer.h"

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

std::int64_t OutputFileBytes(std::uint64_t samples, std::uint32_t channels) {
    constexpr std::int64_t kHeaderBytes = 56;
    const std::uint64_t data = samples * channels * 2;
    const std::uint64_t reserved =
        data > WaveFileWriter::kRf64ReserveAbove ? WaveFileWriter::kRf64ReserveBytes : 0;
    return kHeaderBytes + static_cast<std::int64_t>(reserved + data);
}

} // namespace sonarel
