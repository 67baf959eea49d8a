// Reading an MPEG stream from a pipe (standard input). A pipe can be read only once, but the
// converter reads its input twice: the probe looks at its start before the conversion reads
// it all. So the bytes are kept as they are read, up to kPrefixBytes, and a reader can start
// again from the first byte as long as nothing beyond the kept bytes has been read; past
// them the memory is given back and the stream just flows. ID3v2 tags at the start are read
// past and not kept. A RIFF file cannot be read from a pipe (its chunks need seeking); it is
// recognised by its first bytes.
#pragma once

#include "io/file_source.h"
#include "platform/file_system.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

namespace sonarel {

class ReplayablePipe {
public:
    static constexpr uint64_t kPrefixBytes = 256 * 1024;

    explicit ReplayablePipe(int fd) : fd_(fd) {}
    ReplayablePipe(const ReplayablePipe&) = delete;
    ReplayablePipe& operator=(const ReplayablePipe&) = delete;

    // Asked while a read waits for data; true ends the stream at once (Ctrl-C).
    void SetCancelCheck(std::function<bool()> cancelled) { cancelled_ = std::move(cancelled); }

    // Reads the stream's first bytes (past any ID3v2 tags) if that has not happened yet.
    void Start();
    bool StartsWithRiff() const { return riff_; }
    // Reading can start again at `position`: every byte from there on is still kept.
    bool CanReadFrom(uint64_t position) const;
    // Up to length bytes at `position` (counted after the tags): the count, 0 at the end of the
    // stream (or after a cancel), -1 after a read error or for bytes no longer kept.
    int ReadAt(uint64_t position, uint8_t* buffer, size_t length);
    bool HasFailed() const { return failed_; }

private:
    size_t ReadFully(uint8_t* buffer, size_t length);
    void Keep(const uint8_t* bytes, size_t count);

    int fd_;
    std::function<bool()> cancelled_;
    std::vector<uint8_t> kept_; // the stream's first bytes, while they may be read again
    uint64_t consumed_ = 0;     // bytes read from the pipe after the tags
    bool started_ = false;
    bool riff_ = false;
    bool ended_ = false;
    bool overflowed_ = false; // more was read than is kept: no new start possible
    bool failed_ = false;
};

// Standard input, shared by every reader of the process.
ReplayablePipe& StandardInputPipe();

class PipeReader : public FileSource {
public:
    static constexpr int kNeedsSeeking = 4; // Open: a RIFF file, which a pipe cannot serve

    PipeReader(ReplayablePipe& pipe, std::string_view path) : FileSource(path), pipe_(pipe) {}

    // Starts at the stream's first byte: 0, kNeedsSeeking, or -1 when that is no longer kept.
    int Open() override;
    void Close() override { open_ = false; }
    int IsOpen() const override { return open_ ? 1 : 0; }
    int Read(uint8_t* buffer, int32_t length, int* format_changed) override;
    int IsSeekable() const override { return 0; }
    // Back to an offset that is still kept: 1; otherwise 0.
    int Seek(int32_t offset) override;
    bool HasFailed() const override { return pipe_.HasFailed(); }

    // A pipe's length is not known.
    uint32_t GetSize() const override { return 0; }
    uint32_t GetPosition() const override;

private:
    ReplayablePipe& pipe_;
    bool open_ = false;
    std::atomic<uint64_t> position_{0};
};

} // namespace sonarel
