#include "mp3/frame_sync_buffer.h"

namespace sonarel::mp3 {

namespace {

bool IsLocked(Mp3Status status) {
    return status == MP3_OK || status == MP3_W_NEED_MORE;
}

} // namespace

FrameSyncBuffer::FrameSyncBuffer(int requested_size) : BitRingBuffer(requested_size) {
    FrameSyncBuffer::Reset();
}

void FrameSyncBuffer::Reset() {
    BitRingBuffer::Reset();
    status_ = MP3_W_SEARCHING;
    locked_pattern_ = 0;
}

Mp3Status FrameSyncBuffer::Sync() {
    if (status_ == MP3_W_END) {
        return status_;
    }
    if (AvailBits() < 32) {
        status_ = IsLocked(status_) ? MP3_W_NEED_MORE : MP3_W_SEARCHING;
    } else {
        status_ = IsLocked(status_) ? Verify() : Search();
    }
    if (IsEnd() && (status_ == MP3_W_SEARCHING || status_ == MP3_W_NEED_MORE)) {
        status_ = MP3_W_END;
    }
    return status_;
}

// Hunts bit by bit for a header that the next header confirms at exactly frame_bits.
Mp3Status FrameSyncBuffer::Search() {
    for (;;) {
        SetConsumedBits(0);
        if (AvailBits() < 32) {
            return MP3_W_SEARCHING;
        }
        // Most positions do not even start with the 11 sync bits: reject them without
        // the full parse, with the same result (a rejected word clears the header).
        if ((PeekBits32() & 0xFFE00000u) != 0xFFE00000u) {
            if (header_.valid) {
                header_ = FrameHeader{};
            }
            Advance(1);
            continue;
        }
        const uint32_t w = GetBits32();
        if (header_.Parse(w)) {
            const int rest = header_.frame_bits - 32;
            // A lone frame that ends exactly where the input ends has no next header to
            // confirm it; it is taken, so that a stream of one frame still plays.
            if (IsEnd() && AvailBits() == rest) {
                locked_pattern_ = w & kHeaderLockMask;
                Rewind(ConsumedBits());
                return MP3_OK;
            }
            if (AvailBits() < header_.frame_bits) {
                Rewind(ConsumedBits());
                return MP3_W_SEARCHING;
            }
            Skip(header_.frame_bits - 32);
            const uint32_t next = GetBits32();
            if (((w ^ next) & kHeaderLockMask) == 0) {
                locked_pattern_ = w & kHeaderLockMask;
                Rewind(ConsumedBits());
                return MP3_OK;
            }
        }
        Rewind(ConsumedBits() - 1);
    }
}

// Checks that the frame at the read position belongs to the locked stream and is whole.
// What follows it does not matter: a frame before a tag, junk or the end of the input is
// as intact as any other, and damage after it is found when the next frame is due.
Mp3Status FrameSyncBuffer::Verify() {
    SetConsumedBits(0);
    const uint32_t w = GetBits32();
    const bool ours = (w & kHeaderLockMask) == locked_pattern_ && header_.Parse(w);
    const bool whole = ours && AvailBits() >= header_.frame_bits - 32;
    Rewind(ConsumedBits());
    if (!ours) {
        return MP3_W_SYNC_LOST;
    }
    return whole ? MP3_OK : MP3_W_NEED_MORE;
}

void FrameSyncBuffer::PeekBytes(uint8_t* out, int count) {
    const int consumed = ConsumedBits();
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(GetBits(8));
    }
    Rewind(ConsumedBits() - consumed);
}

} // namespace sonarel::mp3
