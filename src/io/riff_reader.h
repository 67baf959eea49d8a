// A small RIFF chunk reader with descend/ascend semantics: descending finds a
// chunk from the current position and enters its data, ascending moves past
// the chunk (and its pad byte). Chunk bounds are checked against the parent
// chunk and the file, so a lying size never leads to a read past the file.
// RF64 files (EBU Tech 3306) are read too: their RIFF and data sizes come from
// the "ds64" chunk that opens them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>

namespace sonarel {

// Four-character code as stored in files ("RIFF" -> 'R' in the low byte).
constexpr uint32_t FourCc(const char (&code)[5]) {
    return static_cast<uint32_t>(static_cast<uint8_t>(code[0])) |
           static_cast<uint32_t>(static_cast<uint8_t>(code[1])) << 8 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[2])) << 16 |
           static_cast<uint32_t>(static_cast<uint8_t>(code[3])) << 24;
}

struct RiffChunk {
    uint32_t id = 0;
    uint64_t size = 0;        // as stored in the file (in "ds64" for RF64 sizes)
    uint32_t form_type = 0;   // RIFF and LIST chunks only
    uint64_t data_offset = 0; // first byte after the header (and form type)
    uint64_t end = 0;         // end of the data that is present in the file
};

class RiffReader {
public:
    RiffReader() = default;
    ~RiffReader() { Close(); }
    RiffReader(const RiffReader&) = delete;
    RiffReader& operator=(const RiffReader&) = delete;

    bool Open(const char* path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }
    uint64_t FileSize() const { return file_size_; }

    // Finds, from the current position, the RIFF (or RF64) chunk of the given form type.
    bool DescendRiff(RiffChunk& chunk, uint32_t form_type);
    // Finds, from the current position up to the end of parent, the chunk
    // with the given id, skipping others. Fails when a chunk to skip reaches
    // beyond the parent or the file.
    bool DescendChunk(RiffChunk& chunk, const RiffChunk& parent, uint32_t id);
    // Moves to the end of chunk (plus its pad byte). Fails when that lies
    // beyond the file.
    bool Ascend(const RiffChunk& chunk);

    // Reads up to size bytes; returns the count read.
    size_t Read(void* buffer, size_t size);
    bool Seek(uint64_t offset);
    uint64_t Tell() const { return position_; }

private:
    bool ReadHeader(uint32_t& id, uint32_t& size);
    bool ReadDs64(RiffChunk& riff);

    std::FILE* file_ = nullptr;
    uint64_t file_size_ = 0;
    uint64_t position_ = 0;
    uint64_t rf64_data_size_ = 0; // the data size of an RF64 file's "ds64"
    bool rf64_ = false;
};

} // namespace sonarel
