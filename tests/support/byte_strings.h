// Byte strings for inputs the tests build by hand: joined with +, numbers in either byte
// order, 16-bit PCM samples, and text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sonarel::test {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes LittleEndian32(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

inline Bytes BigEndian32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

// Signed 16-bit samples as PCM stores them: little-endian.
inline Bytes Samples16(const std::vector<int16_t>& samples) {
    Bytes bytes;
    for (const int16_t s : samples) {
        bytes.push_back(static_cast<uint8_t>(s));
        bytes.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
    }
    return bytes;
}

inline Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

} // namespace sonarel::test
