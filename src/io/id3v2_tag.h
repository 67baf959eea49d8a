// ID3v2 tags in front of MPEG audio. Many real files start with one, often larger than
// the framer's 16 KB search window (cover art), and its bytes may hold frame-sync
// patterns; readers skip it so that neither the probe nor the decoder sees tag bytes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sonarel {

inline constexpr size_t kId3v2HeaderSize = 10;
inline constexpr size_t kId3v2FooterSize = 10;

// Total size in bytes of the ID3v2 tag whose header is in the first `length` bytes of
// `header`: the 10-byte header, the syncsafe body size and the 10-byte footer when the
// footer flag (0x10) is set. 0 when those bytes do not start a valid tag ("ID3", version
// and revision below 0xFF, every size byte below 0x80) or fewer than 10 bytes are given.
uint32_t Id3v2TagSize(const unsigned char* header, size_t length);

} // namespace sonarel
