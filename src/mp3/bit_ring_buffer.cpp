#include "mp3/bit_ring_buffer.h"

#include <algorithm>
#include <cstring>

namespace sonarel::mp3 {

namespace {

constexpr int kMinSize = 4;
constexpr int kMaxSize = 65536;

int RoundUpToPowerOfTwo(int requested) {
    int size = kMinSize;
    while (size < requested && size < kMaxSize) {
        size *= 2;
    }
    return size;
}

} // namespace

BitRingBuffer::BitRingBuffer(int requested_size)
    : size_(RoundUpToPowerOfTwo(requested_size)), size_bits_(size_ * 8),
      byte_mask_(static_cast<uint32_t>(size_ - 1)),
      bit_mask_(static_cast<uint32_t>(size_bits_ - 1)), data_(new uint8_t[size_]) {
    BitRingBuffer::Reset();
}

void BitRingBuffer::Reset() {
    avail_bits_ = 0;
    write_pos_ = 0;
    consumed_bits_ = 0;
    read_pos_ = 0;
    end_flag_ = 0;
    std::memset(data_.get(), 0, static_cast<size_t>(size_));
}

bool BitRingBuffer::Rewind(int n) {
    if (n <= 0) {
        return false;
    }
    read_pos_ = (read_pos_ - static_cast<uint32_t>(n)) & bit_mask_;
    consumed_bits_ -= n;
    avail_bits_ += n;
    return true;
}

int BitRingBuffer::WriteBytes(const uint8_t* bytes, int n) {
    const int count = std::clamp(std::min(n, FreeBytes()), 0, size_);
    int done = 0;
    while (done < count) {
        const int run = std::min(count - done, size_ - static_cast<int>(write_pos_));
        std::memcpy(data_.get() + write_pos_, bytes + done, static_cast<size_t>(run));
        write_pos_ = (write_pos_ + static_cast<uint32_t>(run)) & byte_mask_;
        done += run;
    }
    avail_bits_ += 8 * count;
    return count;
}

void BitRingBuffer::WriteByte(uint8_t byte) {
    data_[write_pos_] = byte;
    write_pos_ = (write_pos_ + 1) & byte_mask_;
}

int BitRingBuffer::CopyBytesFrom(BitRingBuffer& other, int n) {
    const int count = std::clamp(std::min({n, other.avail_bits_ / 8, FreeBytes()}), 0, size_);
    if ((other.read_pos_ & 7) == 0) {
        CopyAlignedBytes(other, count);
    } else {
        CopyShiftedBytes(other, count);
    }
    other.Advance(8 * count);
    avail_bits_ += 8 * count;
    return count;
}

// The usual case: frames start on byte boundaries, so whole runs can be copied.
void BitRingBuffer::CopyAlignedBytes(const BitRingBuffer& other, int count) {
    uint32_t from = other.read_pos_ >> 3;
    while (count > 0) {
        const int source_run = static_cast<int>(other.byte_mask_ + 1 - from);
        const int target_run = size_ - static_cast<int>(write_pos_);
        const int run = std::min({count, source_run, target_run});
        std::memcpy(data_.get() + write_pos_, other.data_.get() + from, static_cast<size_t>(run));
        write_pos_ = (write_pos_ + static_cast<uint32_t>(run)) & byte_mask_;
        from = (from + static_cast<uint32_t>(run)) & other.byte_mask_;
        count -= run;
    }
}

void BitRingBuffer::CopyShiftedBytes(const BitRingBuffer& other, int count) {
    const uint32_t shift = other.read_pos_ & 7;
    uint32_t byte = other.read_pos_ >> 3;
    for (int i = 0; i < count; ++i) {
        const uint32_t pair =
            (uint32_t{other.data_[byte]} << 8) | other.data_[(byte + 1) & other.byte_mask_];
        WriteByte(static_cast<uint8_t>(pair >> (8 - shift)));
        byte = (byte + 1) & other.byte_mask_;
    }
}

} // namespace sonarel::mp3
