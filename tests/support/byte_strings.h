// Byte strings for inputs the tests build by hand: joined with +, numbers in either byte
// order, and text.
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

inline Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

} // namespace sonarel::test
