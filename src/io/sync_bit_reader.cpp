#include "io/sync_bit_reader.h"

#include "io/byte_source.h"

#include <algorithm>
#include <cstring>

namespace sonarel {

SyncBitReader::SyncBitReader(uint32_t ring_bytes)
    : ring_bits_(8 * (uint64_t{ring_bytes} + 1)), ring_(size_t{ring_bytes} + 1) {
}

uint32_t SyncBitReader::ByteIndex(uint64_t bit_position) const {
    return static_cast<uint32_t>((bit_position % ring_bits_) / 8);
}

uint32_t SyncBitReader::FreeBytes() const {
    // The byte under the read position is still needed while it is partly unread.
    const uint64_t held = write_pos_ / 8 - read_pos_ / 8;
    const uint64_t usable = RingBytes() - 1;
    return held >= usable ? 0 : static_cast<uint32_t>(usable - held);
}

void SyncBitReader::Append(const uint8_t* data, int count) {
    const uint32_t stored = std::min<uint32_t>(static_cast<uint32_t>(count), FreeBytes());
    const uint32_t offset = ByteIndex(write_pos_);
    const uint32_t first = std::min(stored, RingBytes() - offset);
    std::memcpy(ring_.data() + offset, data, first);
    std::memcpy(ring_.data(), data + first, stored - first);
    write_pos_ += 8 * uint64_t{stored};
}

// One source read of up to `bytes` bytes, never more than the ring can take, so that
// no byte of the stream is read and then dropped.
int SyncBitReader::ReadSource(int bytes) {
    bytes = std::min({bytes, kStagingBytes, static_cast<int>(FreeBytes())});
    if (source_ == nullptr || bytes <= 0) {
        return 0;
    }
    const int got = source_->Read(staging_.data(), bytes, nullptr);
    if (got > 0) {
        Append(staging_.data(), std::min(got, bytes));
    }
    return got;
}

// Bytes to read so that wanted_bits are held, plus a few bytes of slack.
int SyncBitReader::RefillBytesFor(uint64_t wanted_bits) const {
    const uint64_t missing = wanted_bits - AvailableBits();
    return static_cast<int>(std::min<uint64_t>((missing + 7) / 8 + kRefillSlack, kStagingBytes));
}

uint32_t SyncBitReader::PeekBits(int n) const {
    const uint32_t first = ByteIndex(read_pos_);
    uint32_t window = 0;
    for (uint32_t i = 0; i < 3; ++i) {
        window = (window << 8) | ring_[(first + i) % RingBytes()];
    }
    const int shift = 24 - static_cast<int>(read_pos_ % 8) - n;
    return (window >> shift) & ((1u << n) - 1);
}

uint32_t SyncBitReader::GetBits(int n) {
    if (n <= 0 || n > 16) {
        return 0;
    }
    if (AvailableBits() < static_cast<uint64_t>(n)) {
        ReadSource(kGetBitsRefill);
    }
    if (AvailableBits() < static_cast<uint64_t>(n)) {
        error_ = true;
        return 0;
    }
    const uint32_t value = PeekBits(n);
    read_pos_ += static_cast<uint64_t>(n);
    return value;
}

int SyncBitReader::SkipBits(int n) {
    if (n < 0) {
        error_ = true;
        return 0;
    }
    const auto wanted = static_cast<uint64_t>(n);
    if (AvailableBits() < wanted && source_ != nullptr) {
        const int want = RefillBytesFor(wanted);
        if (static_cast<uint32_t>(want) > FreeBytes()) {
            return 3;
        }
        ReadSource(want);
    }
    if (AvailableBits() < wanted) {
        error_ = true;
        return 0;
    }
    read_pos_ += wanted;
    return n;
}

void SyncBitReader::CopyAligned(uint8_t* dest, int bytes) {
    const uint32_t offset = ByteIndex(read_pos_);
    const uint32_t count = static_cast<uint32_t>(bytes);
    const uint32_t first = std::min(count, RingBytes() - offset);
    std::memcpy(dest, ring_.data() + offset, first);
    std::memcpy(dest + first, ring_.data(), count - first);
    read_pos_ += 8 * uint64_t{count};
}

int SyncBitReader::CopyBits(uint8_t* dest, int n) {
    if (n <= 0) {
        return 0;
    }
    const auto wanted = static_cast<uint64_t>(n);
    if (AvailableBits() < wanted) {
        ReadSource(RefillBytesFor(wanted));
    }
    if (AvailableBits() < wanted) {
        error_ = true;
        return 0;
    }
    if (read_pos_ % 8 == 0 && n % 8 == 0) {
        CopyAligned(dest, n / 8);
        return n / 8;
    }
    // A frame that starts off a byte boundary comes out shifted into alignment.
    const int whole = n / 8;
    for (int i = 0; i < whole; ++i) {
        dest[i] = static_cast<uint8_t>(GetBits(8));
    }
    const int rest = n % 8;
    if (rest != 0) {
        dest[whole] = static_cast<uint8_t>(GetBits(rest) << (8 - rest));
    }
    return whole + (rest != 0 ? 1 : 0);
}

void SyncBitReader::SetBitPosition(uint64_t position) {
    // Bytes more than a ring behind the write position have been overwritten.
    const uint64_t kept_bits = 8 * uint64_t{RingBytes() - 1};
    const uint64_t oldest = write_pos_ > kept_bits ? write_pos_ - kept_bits : 0;
    read_pos_ = std::clamp(position, oldest, write_pos_);
}

bool SyncBitReader::TakeError() {
    const bool error = error_;
    error_ = false;
    return error;
}

} // namespace sonarel
