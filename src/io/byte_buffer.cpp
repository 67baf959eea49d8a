#include "io/byte_buffer.h"

#include <algorithm>
#include <cstring>

namespace sonarel {

void ByteBuffer::Allocate(int32_t size) {
    capacity_ = std::max<int32_t>(size, 0);
    data_ = capacity_ > 0 ? std::make_unique<uint8_t[]>(static_cast<size_t>(capacity_)) : nullptr;
    length_ = 0;
}

void ByteBuffer::SetLength(int32_t n) {
    length_ = std::clamp<int32_t>(n, 0, capacity_);
}

int32_t ByteBuffer::Consume(int32_t n) {
    if (n <= 0) {
        return length_;
    }
    if (n >= length_) {
        length_ = 0;
        return 0;
    }
    std::memmove(data_.get(), data_.get() + n, static_cast<size_t>(length_ - n));
    length_ -= n;
    return length_;
}

} // namespace sonarel
