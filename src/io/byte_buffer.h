// A heap byte array with a capacity and a length (bytes held from the start).
#pragma once

#include <cstdint>
#include <memory>

namespace sonarel {

class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(int32_t size) { Allocate(size); }

    // Frees any old array; capacity becomes size (negative counts as 0), length 0.
    void Allocate(int32_t size);

    uint8_t* Data() { return data_.get(); }
    const uint8_t* Data() const { return data_.get(); }
    int32_t Length() const { return length_; }
    int32_t Capacity() const { return capacity_; }
    int32_t FreeSpace() const { return capacity_ - length_; }
    // First free byte: Data() + Length().
    uint8_t* Tail() { return data_.get() + length_; }

    // Length becomes n, kept within 0..capacity.
    void SetLength(int32_t n);
    void Clear() { length_ = 0; }
    // Drops n bytes from the front and moves the rest down; returns the new length.
    int32_t Consume(int32_t n);

private:
    std::unique_ptr<uint8_t[]> data_;
    int32_t capacity_ = 0;
    int32_t length_ = 0;
};

} // namespace sonarel
