#include "io/mp3_framer.h"

#include "platform/registered_message.h"

#include <algorithm>
#include <cstring>

namespace sonarel {

namespace {

constexpr int kSearchBits = 16384; // bit positions tried per FindSync
constexpr int kFetchAttempts = 8;  // ReadFrame attempts per FetchFrame
constexpr int kOpenFetches = 8;    // frames Open reads at most
constexpr uint32_t kSyncHigh = 0xFFE0;
constexpr uint32_t kSyncBits = 0x7FF;
// Extension bit, ID, layer code and sampling frequency index: what two frames of
// one stream always share.
constexpr uint32_t kSameStreamMask = 0x1E0C00;

// Results of AcceptHeader besides a negative framer result.
constexpr int kHeaderAccepted = 1;
constexpr int kHeaderRejected = 0;

MessageId StatusChangeMessage() {
    static const MessageId id = RegisterMessage(kMsgMp3FramerStatusChange);
    return id;
}

} // namespace

Mp3Framer::Mp3Framer(uint32_t ring_bytes) : reader_(std::make_unique<SyncBitReader>(ring_bytes)) {
    buffer_.Allocate(kFrameBufferBytes);
}

Mp3Framer::~Mp3Framer() {
    Close();
    if (OwnsInner()) {
        // Detach first so the FilterStream part does not touch the deleted source.
        ByteSource* inner = Inner();
        FilterStream::Attach(nullptr, false);
        delete inner;
    }
}

void Mp3Framer::Attach(ByteSource* inner, bool owned) {
    FilterStream::Attach(inner, owned);
    reader_->SetSource(inner);
}

int Mp3Framer::Open() {
    if (Inner() == nullptr) {
        return kFramerNoSource;
    }
    const int opened = FilterStream::Open();
    if (opened != 0) {
        return opened;
    }
    for (int i = 0; i < kOpenFetches; ++i) {
        const int result = FetchFrame();
        if (result != 0) {
            Close();
            return result;
        }
        if (AverageBitrate() != 0) {
            break;
        }
    }
    BuildFormat();
    SendStatus();
    frame_.format_changed = 0;
    open_ = true;
    return 0;
}

void Mp3Framer::Close() {
    FilterStream::Close();
    open_ = false;
}

int Mp3Framer::Read(uint8_t* buffer, int32_t length, int* format_changed) {
    if (length <= 0) {
        return 0;
    }
    if (change_pending_) {
        change_pending_ = false;
        if (format_changed != nullptr) {
            return ReportFormatChange(format_changed);
        }
    }
    int32_t copied = 0;
    while (copied < length) {
        if (buffer_.Length() > 0) {
            copied += TakeBuffered(buffer + copied, length - copied);
            continue;
        }
        if (FetchFrame() < 0) {
            return copied > 0 ? copied : -1;
        }
        if (frame_.format_changed == 0) {
            continue;
        }
        PostStatus();
        if (format_changed == nullptr) {
            continue;
        }
        if (copied > 0) {
            // Keep this call's bytes in one format; the next call reports the change.
            change_pending_ = true;
            return copied;
        }
        return ReportFormatChange(format_changed);
    }
    return copied;
}

int Mp3Framer::IsSeekable() const {
    return Inner() != nullptr ? Inner()->IsSeekable() : 0;
}

int Mp3Framer::Seek(int32_t position) {
    return Inner() != nullptr ? Inner()->Seek(position) : 0;
}

const WaveFormatHolder* Mp3Framer::GetFormat() const {
    return format_.HasRecord() ? &format_ : nullptr;
}

uint16_t Mp3Framer::AverageBitrate() const {
    uint32_t sum = 0;
    for (const uint16_t kbps : history_) {
        if (kbps == 0) {
            return 0;
        }
        sum += kbps;
    }
    return static_cast<uint16_t>(sum / history_.size());
}

// Looks for the next usable frame header, at most kSearchBits bit positions from
// where the reader stands. On success the reader is left at the header.
int Mp3Framer::FindSync(MpegHeader& header, uint64_t& position) {
    for (int i = 0; i < kSearchBits; ++i) {
        position = reader_->GetBitPosition();
        const uint32_t high = reader_->GetBits(16);
        uint32_t word = 0;
        bool short_input = reader_->TakeError();
        if (!short_input && (high & kSyncHigh) == kSyncHigh) {
            word = (high << 16) | reader_->GetBits(16);
            short_input = reader_->TakeError();
        }
        if (short_input) {
            reader_->SetBitPosition(position); // a later call may find more input
            return kFramerEndOfInput;
        }
        if ((high & kSyncHigh) == kSyncHigh && ParseMpegHeader(word, header) == 0) {
            const int accepted = AcceptHeader(header, word);
            if (accepted != kHeaderRejected) {
                reader_->SetBitPosition(position);
                return accepted < 0 ? accepted : 0;
            }
        }
        sync_state_ = kSyncSearching;
        reader_->SetBitPosition(position + 1);
    }
    return kFramerNoSync;
}

// While locked a usable header is taken as it is; otherwise the frame must be
// followed by a header of the same stream. The reader stands after the header.
int Mp3Framer::AcceptHeader(const MpegHeader& header, uint32_t word) {
    if (sync_state_ == kSyncLocked) {
        return kHeaderAccepted;
    }
    const int skip = header.frame_bits - 32;
    if (reader_->SkipBits(skip) != skip) {
        return reader_->TakeError() ? kFramerEndOfInput : kHeaderRejected;
    }
    const uint32_t sync = reader_->GetBits(11);
    uint32_t next = 0;
    if (sync == kSyncBits) {
        next = reader_->GetBits(5) << 16; // two calls: the order of reads matters
        next |= reader_->GetBits(16);
    }
    if (reader_->TakeError()) {
        return kFramerEndOfInput;
    }
    if (sync != kSyncBits || ((word ^ next) & kSameStreamMask) != 0) {
        return kHeaderRejected;
    }
    sync_state_ = kSyncLocked;
    return kHeaderAccepted;
}

// Copies the next frame into the frame buffer; returns its byte count or a result.
int Mp3Framer::ReadFrame() {
    MpegHeader header;
    uint64_t position = 0;
    const int found = FindSync(header, position);
    if (found < 0) {
        return found;
    }
    if (int64_t{buffer_.FreeSpace()} * 8 < header.frame_bits) {
        return kFramerFrameTooLarge;
    }
    const int bytes = reader_->CopyBits(buffer_.Tail(), header.frame_bits);
    if (bytes == 0) {
        // The input ends inside the frame: a cut frame is not delivered.
        reader_->TakeError();
        reader_->SetBitPosition(position);
        return kFramerEndOfInput;
    }
    RecordBitrate(BitrateKbps(header));
    frame_ = DescribeFrame(header);
    UpdateFormatChange();
    frame_.bit_position = position;
    return bytes;
}

int Mp3Framer::FetchFrame() {
    int result = 0;
    for (int attempt = 0; attempt < kFetchAttempts; ++attempt) {
        result = ReadFrame();
        if (result >= 0) {
            buffer_.SetLength(buffer_.Length() + result);
            return 0;
        }
    }
    return result;
}

// A bitrate that differs from the one four frames back starts the history afresh,
// so the average is known only over four frames that repeat the same pattern.
void Mp3Framer::RecordBitrate(uint16_t kbps) {
    const uint16_t old = history_[history_index_];
    if (old != 0 && old != kbps) {
        history_.fill(0);
        history_[0] = kbps;
        history_index_ = 1;
        return;
    }
    history_[history_index_] = kbps;
    history_index_ = static_cast<uint16_t>((history_index_ + 1) % history_.size());
}

void Mp3Framer::UpdateFormatChange() {
    const uint16_t average = AverageBitrate();
    frame_.average_kbps = average;
    frame_.format_changed = 0;
    if (average != 0) {
        const bool changed = average != last_average_ || frame_.sample_rate != last_rate_ ||
                             frame_.channels != last_channels_;
        frame_.format_changed = changed ? 1 : 0;
        last_average_ = average;
    }
    last_rate_ = frame_.sample_rate;
    last_channels_ = frame_.channels;
}

// The average of a variable-bitrate stream is often no bitrate a Layer-3 record can
// carry (say 58 kbit/s); such a valid stream would be left without a format. The
// record then carries the nearest multiple of 8 kbit/s, while AverageBitrate still
// tells the exact average.
void Mp3Framer::BuildFormat() {
    const uint32_t average = frame_.average_kbps;
    if (average == 0 || format_.Build(average, frame_.sample_rate, frame_.channels)) {
        return;
    }
    const uint32_t nearest = std::max<uint32_t>(8, (average + 4) / 8 * 8);
    format_.Build(nearest, frame_.sample_rate, frame_.channels);
}

int Mp3Framer::ReportFormatChange(int* format_changed) {
    buffer_.Clear();
    BuildFormat();
    frame_.format_changed = 0;
    *format_changed = 1;
    return 0;
}

int32_t Mp3Framer::TakeBuffered(uint8_t* dest, int32_t wanted) {
    const int32_t count = std::min(wanted, buffer_.Length());
    std::memcpy(dest, buffer_.Data(), static_cast<size_t>(count));
    buffer_.Consume(count);
    return count;
}

// The notifier's window is used directly: the framer lives below the output layer and
// needs only the window and the cookie from it.
void Mp3Framer::SendStatus() {
    if (MessageTarget* window = NotifyWindow()) {
        window->Send(StatusChangeMessage(), Cookie(), reinterpret_cast<LParam>(this));
    }
}

void Mp3Framer::PostStatus() {
    if (MessageTarget* window = NotifyWindow()) {
        window->Post(StatusChangeMessage(), Cookie(), reinterpret_cast<LParam>(this));
    }
}

} // namespace sonarel
