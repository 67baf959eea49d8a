#include "io/pipe_reader.h"

#include "io/id3v2_tag.h"
#include "platform/stream_input.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace sonarel {

namespace {

constexpr size_t kRiffHeadBytes = 4;

} // namespace

// Reads until length bytes came or the stream ended; returns the count.
size_t ReplayablePipe::ReadFully(uint8_t* buffer, size_t length) {
    size_t got = 0;
    while (got < length && !ended_) {
        const int64_t n = ReadStream(fd_, buffer + got, length - got, cancelled_);
        if (n <= 0) {
            ended_ = true;
            failed_ = n < 0;
        } else {
            got += static_cast<size_t>(n);
        }
    }
    return got;
}

void ReplayablePipe::Start() {
    if (started_) {
        return;
    }
    started_ = true;
    uint8_t head[kId3v2HeaderSize];
    size_t got = ReadFully(head, sizeof head);
    // Tags are read past in pieces, however large (cover art).
    for (uint32_t tag = Id3v2TagSize(head, got); tag > 0; tag = Id3v2TagSize(head, got)) {
        uint8_t skip[4096];
        for (uint64_t left = tag - got; left > 0 && !ended_;) {
            left -= ReadFully(skip, static_cast<size_t>(std::min<uint64_t>(left, sizeof skip)));
        }
        got = ReadFully(head, sizeof head);
    }
    riff_ = got >= kRiffHeadBytes && (std::memcmp(head, "RIFF", kRiffHeadBytes) == 0 ||
                                      std::memcmp(head, "RF64", kRiffHeadBytes) == 0);
    Keep(head, got);
}

void ReplayablePipe::Keep(const uint8_t* bytes, size_t count) {
    consumed_ += count;
    if (!overflowed_ && consumed_ <= kPrefixBytes) {
        kept_.insert(kept_.end(), bytes, bytes + count);
        return;
    }
    overflowed_ = true;
    std::vector<uint8_t>().swap(kept_);
}

bool ReplayablePipe::CanReadFrom(uint64_t position) const {
    return position == consumed_ || (!overflowed_ && position <= consumed_);
}

int ReplayablePipe::ReadAt(uint64_t position, uint8_t* buffer, size_t length) {
    Start();
    if (!CanReadFrom(position)) {
        return -1;
    }
    length = std::min<size_t>(length, std::numeric_limits<int>::max());
    if (position < consumed_) {
        const size_t count = static_cast<size_t>(std::min<uint64_t>(length, consumed_ - position));
        std::memcpy(buffer, kept_.data() + position, count);
        return static_cast<int>(count);
    }
    if (ended_ || length == 0) {
        return failed_ ? -1 : 0;
    }
    const int64_t got = ReadStream(fd_, buffer, length, cancelled_);
    if (got <= 0) {
        ended_ = true;
        failed_ = got < 0;
        return failed_ ? -1 : 0;
    }
    Keep(buffer, static_cast<size_t>(got));
    return static_cast<int>(got);
}

ReplayablePipe& StandardInputPipe() {
    static ReplayablePipe pipe(kStandardInputDescriptor);
    return pipe;
}

int PipeReader::Open() {
    open_ = false;
    pipe_.Start();
    if (pipe_.StartsWithRiff()) {
        return kNeedsSeeking;
    }
    if (!pipe_.CanReadFrom(0)) {
        return -1;
    }
    position_.store(0, std::memory_order_relaxed);
    open_ = true;
    return 0;
}

int PipeReader::Read(uint8_t* buffer, int32_t length, int* /*format_changed*/) {
    if (!open_ || length <= 0) {
        return 0;
    }
    const uint64_t position = position_.load(std::memory_order_relaxed);
    const int got = pipe_.ReadAt(position, buffer, static_cast<size_t>(length));
    if (got > 0) {
        position_.store(position + static_cast<uint64_t>(got), std::memory_order_relaxed);
    }
    return got;
}

int PipeReader::Seek(int32_t offset) {
    if (!open_ || offset < 0 || !pipe_.CanReadFrom(static_cast<uint64_t>(offset))) {
        return 0;
    }
    position_.store(static_cast<uint64_t>(offset), std::memory_order_relaxed);
    return 1;
}

uint32_t PipeReader::GetPosition() const {
    return static_cast<uint32_t>(std::min<uint64_t>(position_.load(std::memory_order_relaxed),
                                                    std::numeric_limits<uint32_t>::max()));
}

} // namespace sonarel
