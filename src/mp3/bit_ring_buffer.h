// A power-of-two ring of bytes that is read bit by bit, most significant bit first.
// The decoder uses two: the input ring that the owner fills, and the bit reservoir.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

namespace sonarel::mp3 {

class BitRingBuffer {
public:
    // The storage is the smallest power of two not below requested_size, at least 4
    // and at most 65536 bytes.
    explicit BitRingBuffer(int requested_size);
    virtual ~BitRingBuffer() = default;
    BitRingBuffer(const BitRingBuffer&) = delete;
    BitRingBuffer& operator=(const BitRingBuffer&) = delete;

    // Empties the ring, clears the end flag and zeroes every byte.
    virtual void Reset();

    // Next n bits (1..16) as an unsigned value. Does not check that they were written:
    // callers check AvailBits first, and reading past the written data returns old bytes.
    uint32_t GetBits(int n) {
        const uint32_t bit = read_pos_ & 7;
        const uint32_t byte = read_pos_ >> 3;
        const uint32_t word = (uint32_t{data_[byte]} << 16) |
                              (uint32_t{data_[(byte + 1) & byte_mask_]} << 8) |
                              data_[(byte + 2) & byte_mask_];
        Advance(n);
        return ((word << bit) & 0xFFFFFF) >> (24 - n);
    }

    uint32_t GetBits32() {
        const uint32_t high = GetBits(16);
        return (high << 16) | GetBits(16);
    }

    // The next 32 bits, first bit in bit 31, without moving the read position.
    uint32_t PeekBits32() const {
        const uint32_t bit = read_pos_ & 7;
        const uint32_t byte = read_pos_ >> 3;
        uint64_t word = 0;
        for (uint32_t i = 0; i < 5; ++i) {
            word = (word << 8) | data_[(byte + i) & byte_mask_];
        }
        return static_cast<uint32_t>(word >> (8 - bit));
    }

    // Moves the read position forward by n bits as GetBits would. Nothing for n <= 0.
    bool Skip(int n) {
        if (n <= 0) {
            return false;
        }
        Advance(n);
        return true;
    }

    // Moves the read position back by n bits. Nothing for n <= 0.
    bool Rewind(int n);

    int FreeBytes() const { return (size_bits_ - avail_bits_) / 8; }
    int WriteBytes(const uint8_t* bytes, int n);
    // Copies up to n whole bytes read from other (bit-aligned or not) into this ring.
    int CopyBytesFrom(BitRingBuffer& other, int n);

    void SetEnd() { end_flag_ = 1; }
    bool IsEnd() const { return end_flag_ != 0; }

    int Size() const { return size_; }
    int AvailBits() const { return avail_bits_; }
    int ConsumedBits() const { return consumed_bits_; }
    void SetConsumedBits(int bits) { consumed_bits_ = bits; }
    int ReadPos() const { return static_cast<int>(read_pos_); }

    // Advances without the n > 0 check of Skip; the hot paths use it after a peek.
    void Advance(int n) {
        read_pos_ = (read_pos_ + static_cast<uint32_t>(n)) & bit_mask_;
        consumed_bits_ += n;
        avail_bits_ -= n;
    }

private:
    friend class BitCursor;
    void WriteByte(uint8_t byte);
    void CopyAlignedBytes(const BitRingBuffer& other, int count);
    void CopyShiftedBytes(const BitRingBuffer& other, int count);

    int size_;
    int size_bits_;
    uint32_t byte_mask_;
    uint32_t bit_mask_;
    std::unique_ptr<uint8_t[]> data_;
    int32_t avail_bits_ = 0;
    uint32_t write_pos_ = 0;
    uint32_t read_pos_ = 0;
    int32_t consumed_bits_ = 0;
    uint8_t end_flag_ = 0;
};

// Reads a ring's bits through a 64-bit cache for the hot loops: Peek32 returns the next
// 32 bits (first bit in bit 31), Drop removes up to 32 of them. Nothing moves in the ring
// until Commit, which advances it by the bits dropped.
class BitCursor {
public:
    explicit BitCursor(const BitRingBuffer& ring)
        : data_(ring.data_.get()), byte_mask_(ring.byte_mask_), byte_(ring.read_pos_ >> 3) {
        Refill();
        const int bit = static_cast<int>(ring.read_pos_ & 7);
        cache_ <<= bit;
        count_ -= bit;
    }

    uint32_t Peek32() {
        if (count_ < 32) {
            Refill();
        }
        return static_cast<uint32_t>(cache_ >> 32);
    }

    // n <= 32, and only bits that a Peek32 made available.
    void Drop(int n) {
        cache_ <<= n;
        count_ -= n;
        used_ += n;
    }

    uint32_t Get(int n) {
        const uint32_t value = n == 0 ? 0 : Peek32() >> (32 - n);
        Drop(n);
        return value;
    }

    int Used() const { return used_; }
    void Commit(BitRingBuffer& ring) { ring.Advance(used_); }

private:
    // Tops the cache up to at least 57 bits: eight bytes at once away from the ring's end.
    void Refill() {
        const uint32_t at = byte_ & byte_mask_;
        if (at + 8 <= byte_mask_ + 1) {
            uint64_t word;
            std::memcpy(&word, data_ + at, sizeof word);
            cache_ |= __builtin_bswap64(word) >> count_;
            byte_ += static_cast<uint32_t>(63 - count_) >> 3;
            count_ |= 56;
            return;
        }
        while (count_ <= 56) {
            cache_ |= uint64_t{data_[byte_ & byte_mask_]} << (56 - count_);
            ++byte_;
            count_ += 8;
        }
    }

    const uint8_t* data_;
    uint32_t byte_mask_;
    uint32_t byte_;
    uint64_t cache_ = 0;
    int count_ = 0;
    int used_ = 0;
};

} // namespace sonarel::mp3
