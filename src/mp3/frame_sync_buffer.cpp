#include "mp3/frame_sync_buffer.h"

#include "mp3/crc16.h"

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
// A frame is taken whatever follows it (a tag, junk, the end of the input), unless its
// CRC word fails and a stream of two frames starts inside it: then it is junk that merely
// begins with a copy of a header, and the real frame inside must not be skipped.
Mp3Status FrameSyncBuffer::Verify() {
    SetConsumedBits(0);
    const uint32_t w = GetBits32();
    const bool ours = (w & kHeaderLockMask) == locked_pattern_ && header_.Parse(w);
    Rewind(ConsumedBits());
    if (!ours) {
        return MP3_W_SYNC_LOST;
    }
    const int frame_bits = header_.frame_bits;
    if (AvailBits() < frame_bits) {
        return MP3_W_NEED_MORE;
    }
    // Without the next header: taken at the end of the input, or when the input ends
    // exactly here for now; otherwise the next header is awaited, since it decides.
    if (AvailBits() < frame_bits + 32) {
        return IsEnd() || AvailBits() == frame_bits ? MP3_OK : MP3_W_NEED_MORE;
    }
    if (((PeekAt(frame_bits) ^ w) & kHeaderLockMask) == 0 || CrcMatches()) {
        return MP3_OK;
    }
    return StreamStartsInside(frame_bits);
}

uint32_t FrameSyncBuffer::PeekAt(int offset) {
    Skip(offset);
    const uint32_t word = PeekBits32();
    Rewind(offset);
    return word;
}

// Looks for a header of the locked stream inside the frame that the header after it
// confirms. MP3_W_SYNC_LOST when there is one (the search then finds it), MP3_OK when not,
// MP3_W_NEED_MORE when the input does not reach far enough yet to tell. The frame's own
// header stays the parsed one.
Mp3Status FrameSyncBuffer::StreamStartsInside(int frame_bits) {
    const FrameHeader frame = header_;
    Mp3Status result = MP3_OK;
    FrameHeader candidate;
    for (int offset = 8; offset < frame_bits && result == MP3_OK; ++offset) {
        const uint32_t word = PeekAt(offset);
        if ((word & kHeaderLockMask) != locked_pattern_ || !candidate.Parse(word)) {
            continue;
        }
        const int next = offset + candidate.frame_bits;
        if (AvailBits() < next + 32) {
            result = IsEnd() ? MP3_OK : MP3_W_NEED_MORE;
        } else if ((PeekAt(next) & kHeaderLockMask) == locked_pattern_) {
            result = MP3_W_SYNC_LOST;
        }
    }
    header_ = frame;
    return result;
}

// True unless the frame carries a CRC word that its header and side information fail.
bool FrameSyncBuffer::CrcMatches() {
    if (header_.crc_present == 0) {
        return true;
    }
    FrameParams params{};
    params.channels = header_.channels;
    params.is_mpeg1 = header_.version == 0 ? 1 : 0;
    params.crc_present = 1;
    const int start = ConsumedBits();
    Skip(48);
    const bool ok = CheckCrc(*this, params);
    Rewind(ConsumedBits() - start);
    return ok;
}

void FrameSyncBuffer::PeekBytes(uint8_t* out, int count) {
    const int consumed = ConsumedBits();
    for (int i = 0; i < count; ++i) {
        out[i] = static_cast<uint8_t>(GetBits(8));
    }
    Rewind(ConsumedBits() - consumed);
}

} // namespace sonarel::mp3
