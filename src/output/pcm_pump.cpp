#include "output/pcm_pump.h"

#include "platform/registered_message.h"
#include "platform/tick_count.h"

#include <algorithm>
#include <thread>

namespace sonarel {

namespace {

// Used when a source names no sensible chunk size.
constexpr int32_t kFallbackChunkBytes = 1024;

// The sink gets the source's chunks gathered into blocks of about this size: a file
// system stores a few large writes at a fraction of the cost of many small ones.
constexpr int32_t kBlockBytes = 65536;

struct PumpMessages {
    MessageId start = RegisterMessage(kMsgPcmPumpThreadStart);
    MessageId progress = RegisterMessage(kMsgPcmPumpThreadProgress);
    MessageId stop = RegisterMessage(kMsgPcmPumpThreadStop);
};

const PumpMessages& Messages() {
    static const PumpMessages messages;
    return messages;
}

int32_t ChunkBytes(const ByteSource& source) {
    const int size = source.GetBufferSize();
    return size > 0 ? size : kFallbackChunkBytes;
}

// Whole chunks, at least one.
int32_t BlockBytes(int32_t chunk_bytes) {
    return std::max<int32_t>(1, kBlockBytes / chunk_bytes) * chunk_bytes;
}

} // namespace

PcmPump::PcmPump(ByteSource* source, PcmPlayer* player, WaveFileWriter* sink)
    : source_(source), player_(player), sink_(sink), thread_([this] { ThreadProcedure(); }) {
}

PcmPump::~PcmPump() {
    // A thread still pumping would otherwise run to the end of its source here.
    running_.store(0);
}

int PcmPump::Start() {
    running_.store(1);
    if (player_ != nullptr && player_->IsPaused()) {
        player_->TogglePause();
    }
    if (!suspended_) {
        return 0;
    }
    suspended_ = false;
    return thread_.Start();
}

WaitResult PcmPump::Stop(uint32_t timeout_ms) {
    running_.store(0);
    return thread_.Wait(timeout_ms);
}

void PcmPump::ThreadProcedure() {
    PostWithCookieAsLParam(Messages().start, 0);
    if (source_ == nullptr) {
        Finish(kResultNoSource);
        return;
    }
    if (source_->IsOpen() == 0) {
        const int opened = source_->Open();
        if (opened != 0) {
            Finish(kResultOpenFailed);
            return;
        }
        source_opened_ = true;
    }
    OpenOutputs();
    AllocateBuffers();
    const WParam result = PumpLoop();
    const bool stopped = running_.load() == 0;
    if (playing_ && !stopped) {
        player_->Flush(); // the source ended: let the device play out what it holds
    }
    CloseOwnOutputs();
    Finish(result);
    block_.Allocate(0);
}

// A player or sink that is already open is used as it is; one the pump opens itself
// it also closes at the end.
void PcmPump::OpenOutputs() {
    if (player_ != nullptr) {
        if (player_->IsOpen()) {
            playing_ = true;
        } else if (player_->Open(source_->GetFormat(), source_->GetBufferSize()) == 0) {
            playing_ = true;
            player_opened_ = true;
        }
    }
    if (sink_ != nullptr) {
        if (sink_->IsOpen()) {
            writing_ = true;
        } else if (sink_->Open() == 0) {
            writing_ = true;
            sink_opened_ = true;
        }
    }
}

void PcmPump::AllocateBuffers() {
    chunk_bytes_ = ChunkBytes(*source_);
    block_.Allocate(BlockBytes(chunk_bytes_));
    last_tick_ = GetTickCount();
}

// One pass per source read until Stop, the end of the source or a failure. Each chunk
// goes to the player at once and into the block for the sink, which is written when it
// has no room for another chunk, when the format changes and when the loop ends.
WParam PcmPump::PumpLoop() {
    WParam result = kResultDone;
    while (running_.load() != 0) {
        uint8_t* chunk = block_.Tail();
        int changed = 0;
        const int got = source_->Read(chunk, std::min(block_.FreeSpace(), chunk_bytes_), &changed);
        if (got == 0) {
            if (changed != 0) {
                if (!WriteBlock()) {
                    return kResultWriteError;
                }
                ReopenPlayer();
            }
            continue; // nothing now: ask again at once
        }
        if (got < 0) {
            result = source_->HasFailed() ? kResultReadError : kResultDone;
            break;
        }
        block_.SetLength(block_.Length() + got);
        if (ShouldPlay()) {
            CriticalSectionGuard guard(lock_);
            HandToPlayer(chunk, got);
        }
        if (block_.FreeSpace() < chunk_bytes_ && !WriteBlock()) {
            return kResultWriteError;
        }
        ReportProgress();
    }
    // What the source delivered before its end, its failure or Stop is kept.
    if (!WriteBlock() && result == kResultDone) {
        result = kResultWriteError;
    }
    return result;
}

// The source's format changed: a playing player is drained and reopened on the new
// format, and the chunks follow the source's new preferred size. The block is empty.
void PcmPump::ReopenPlayer() {
    if (ShouldPlay()) {
        player_->Flush();
        player_->Close();
        if (player_->Open(source_->GetFormat(), source_->GetBufferSize()) == 0) {
            player_opened_ = true;
        } else {
            playing_ = false;
        }
    }
    chunk_bytes_ = ChunkBytes(*source_);
    if (BlockBytes(chunk_bytes_) != block_.Capacity()) {
        block_.Allocate(BlockBytes(chunk_bytes_));
    }
}

// Writes the gathered chunks to the sink under the lock and empties the block. False
// when the sink could not store all of them.
bool PcmPump::WriteBlock() {
    const int32_t length = block_.Length();
    block_.Clear();
    if (!writing_ || length == 0) {
        return true;
    }
    CriticalSectionGuard guard(lock_);
    return sink_->Write(block_.Data(), length) == length;
}

// In pieces of the player's buffer size; the last piece holds only the bytes left.
void PcmPump::HandToPlayer(const uint8_t* data, int32_t length) {
    const int32_t piece = player_->GetBufferSize() > 0 ? player_->GetBufferSize() : length;
    int32_t offset = 0;
    while (offset < length) {
        const int taken = player_->Write(data + offset, std::min(piece, length - offset));
        if (taken < 0) {
            playing_ = false; // the device refused: keep converting without sound
            return;
        }
        if (taken == 0) {
            if (running_.load() == 0) {
                return;
            }
            std::this_thread::yield(); // no free device buffer yet
        }
        offset += taken;
    }
}

void PcmPump::ReportProgress() {
    // Unsigned subtraction gives the elapsed time across a wrap of the tick count.
    if (GetTickCount() - last_tick_ >= Interval()) {
        last_tick_ = GetTickCount();
        PostWithCookieAsLParam(Messages().progress, 0);
    }
}

void PcmPump::CloseOwnOutputs() {
    if (source_opened_) {
        source_->Close();
        source_opened_ = false;
    }
    if (player_opened_) {
        player_->Close();
        player_opened_ = false;
    }
    if (sink_opened_) {
        sink_->Close();
        sink_opened_ = false;
    }
    playing_ = false;
    writing_ = false;
}

void PcmPump::Finish(WParam result) {
    PostWithCookieAsLParam(Messages().stop, result);
    running_.store(0);
}

} // namespace sonarel
