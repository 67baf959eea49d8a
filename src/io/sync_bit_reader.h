// Bit reader over a byte ring, addressed by absolute bit positions, so that the framer
// can look ahead for the next frame header and step back to where a frame starts, at
// any bit offset. It pulls bytes from its source on demand, one source read per call.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace sonarel {

class ByteSource;

class SyncBitReader {
public:
    // The ring holds ring_bytes + 1 bytes; one stays unused so that a full ring and an
    // empty one differ.
    explicit SyncBitReader(uint32_t ring_bytes);

    SyncBitReader(const SyncBitReader&) = delete;
    SyncBitReader& operator=(const SyncBitReader&) = delete;

    // Next n bits (n <= 16), most significant first. When fewer are held even after one
    // refill of up to 64 bytes, sets the error flag and returns 0 without moving.
    uint32_t GetBits(int n);

    // Moves n bits forward; returns n. Returns 3 without reading when the refill would
    // not fit the ring, and 0 with the error flag set when the input is short.
    int SkipBits(int n);

    // Copies the next n bits to dest, byte aligned (a last partial byte is filled from
    // its most significant bit). Returns the number of bytes written, 0 on short input.
    int CopyBits(uint8_t* dest, int n);

    uint64_t GetBitPosition() const { return read_pos_; }
    // Moves the read position within the bits still held in the ring; a position
    // outside them is clamped to the nearest held bit.
    void SetBitPosition(uint64_t position);

    // Returns the error flag and clears it.
    bool TakeError();

    void SetSource(ByteSource* source) { source_ = source; }

    // Bits written but not yet read.
    uint64_t AvailableBits() const { return write_pos_ - read_pos_; }
    // Bytes that can be appended without overwriting anything at or after the read
    // position.
    uint32_t FreeBytes() const;

private:
    static constexpr int kStagingBytes = 2048;
    static constexpr int kGetBitsRefill = 64;
    static constexpr int kRefillSlack = 5;

    uint32_t RingBytes() const { return static_cast<uint32_t>(ring_.size()); }
    uint32_t ByteIndex(uint64_t bit_position) const;
    int RefillBytesFor(uint64_t wanted_bits) const;
    int ReadSource(int bytes);
    void Append(const uint8_t* data, int count);
    uint32_t PeekBits(int n) const;
    void CopyAligned(uint8_t* dest, int bytes);

    uint64_t write_pos_ = 0;
    uint64_t read_pos_ = 0;
    uint64_t ring_bits_;
    std::vector<uint8_t> ring_;
    std::array<uint8_t, kStagingBytes> staging_{};
    bool error_ = false;
    ByteSource* source_ = nullptr;
};

} // namespace sonarel
