// Number texts of the main dialog.
#pragma once

#include <cstdint>
#include <string>

namespace sonarel {

// Decimal with a comma between groups of three digits: 1234567 gives "1,234,567".
std::string FormatByteCount(std::int64_t count);

// Whole percent of position in size, computed without overflow for any 32-bit size; nothing
// when size is 0 (no reader, or an empty file).
bool ProgressPercent(std::uint32_t position, std::uint32_t size, std::uint32_t& percent);

// Estimated PCM bytes of an input of size bytes at averageBytesPerSecond: whole seconds times
// rate times channels times 2, as an unsigned 32-bit value like the dialog shows it.
std::uint32_t EstimateOutputBytes(std::uint32_t size, std::uint32_t averageBytesPerSecond,
                                  std::uint32_t sampleRate, std::uint32_t channels);

} // namespace sonarel
