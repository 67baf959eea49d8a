// Reads a file as it is: the input reader for raw MPEG audio streams.
#pragma once

#include "io/file_source.h"

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace sonarel {

class RawFileReader : public FileSource {
public:
    explicit RawFileReader(std::string_view path) : FileSource(path) {}
    ~RawFileReader() override;

    // Closes first if open; -1 when the file cannot be opened for reading, else 0.
    // ID3v2 tags at the start of a regular file are skipped (several in a row,
    // each by its own size), and the payload ends where the tags at its end begin:
    // they are not payload, so Read, Seek, GetSize and GetPosition never count a byte
    // of them.
    int Open() override;
    void Close() override;
    int IsOpen() const override { return file_ != nullptr ? 1 : 0; }
    // Not open or length <= 0: 0. Otherwise the bytes read, 0 at the end.
    int Read(uint8_t* buffer, int32_t length, int* format_changed) override;
    // Moves to a byte offset from the start; 1 on success, 0 on failure. The
    // delivered-bytes count is left alone.
    int Seek(int32_t offset) override;
    // True after a read failed with an I/O error (until the next Open).
    bool HasFailed() const override { return failed_; }

    // The file length taken at Open; files of 4 GiB and more report 0xFFFFFFFF.
    uint32_t GetSize() const override { return length_.load(std::memory_order_relaxed); }
    // Bytes delivered since construction (not reset by Open); stops at
    // 0xFFFFFFFF instead of wrapping.
    uint32_t GetPosition() const override { return position_.load(std::memory_order_relaxed); }

private:
    std::atomic<uint32_t> position_{0};
    std::atomic<uint32_t> length_{0};
    std::FILE* file_ = nullptr;
    uint64_t payload_offset_ = 0; // bytes of ID3v2 tags before the audio
    uint64_t payload_end_ = 0;    // where the tags after the audio begin
    uint64_t offset_ = 0;         // file offset of the next byte to read
    bool failed_ = false;
};

} // namespace sonarel
