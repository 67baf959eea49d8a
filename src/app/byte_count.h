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

// Bytes of the WAVE file that holds `samples` 16-bit samples per channel: the RIFF, fmt,
// fact and data chunk headers (56 bytes), the chunk reserved for RF64 sizes when the data
// passes 2 GiB (36 bytes), and the data.
std::int64_t OutputFileBytes(std::uint64_t samples, std::uint32_t channels);

} // namespace sonarel
