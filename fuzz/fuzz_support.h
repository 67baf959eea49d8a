// Small helpers shared by the fuzz targets.
#pragma once

#include <cstddef>
#include <cstdint>

namespace sonarel::fuzz {

// A broken invariant is a finding: stop here so libFuzzer keeps the input.
inline void Check(bool holds) {
    if (!holds) {
        __builtin_trap();
    }
}

// A tiny deterministic generator, so that sizes chosen by an input's control bytes
// repeat exactly when the input is replayed.
class Rng {
public:
    explicit Rng(uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}

    uint32_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }

    // A value in 1..limit (limit >= 1).
    uint32_t Size(uint32_t limit) { return 1 + Next() % limit; }

private:
    uint32_t state_;
};

// Reads control bytes from the front of an input; missing bytes read as 0.
class ControlBytes {
public:
    ControlBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    uint8_t Byte() { return offset_ < size_ ? data_[offset_++] : 0; }
    uint16_t Word() {
        uint16_t low = Byte();
        return static_cast<uint16_t>(low | Byte() << 8);
    }
    // What is left after the control bytes.
    const uint8_t* Rest() const { return data_ + offset_; }
    size_t RestSize() const { return size_ - offset_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t offset_ = 0;
};

} // namespace sonarel::fuzz
