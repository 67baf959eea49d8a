#include "io/riff_reader.h"

#include "io/little_endian.h"
#include "platform/file_system.h"

#include <algorithm>
#include <limits>
#include <sys/types.h>

namespace sonarel {

namespace {

constexpr uint32_t kRiffId = FourCc("RIFF");
constexpr uint32_t kRf64Id = FourCc("RF64");
constexpr uint32_t kDs64Id = FourCc("ds64");
constexpr uint32_t kDataId = FourCc("data");
constexpr uint32_t kSizeInDs64 = 0xFFFFFFFF;
constexpr size_t kDs64Bytes = 28;

uint64_t GetLe64(const uint8_t* p) {
    return GetLe32(p) | uint64_t{GetLe32(p + 4)} << 32;
}
constexpr uint64_t kHeaderSize = 8;
constexpr uint64_t kFormTypeSize = 4;

// Where the next chunk starts: chunks are padded to an even length.
uint64_t PaddedEnd(uint64_t data_offset, uint64_t size) {
    return data_offset + size + (size & 1u);
}

} // namespace

bool RiffReader::Open(const char* path) {
    Close();
    file_ = OpenRegularFile(path, file_size_);
    if (file_ == nullptr) {
        return false;
    }
    position_ = 0;
    rf64_ = false;
    rf64_data_size_ = 0;
    return true;
}

void RiffReader::Close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
    file_size_ = 0;
    position_ = 0;
}

bool RiffReader::ReadHeader(uint32_t& id, uint32_t& size) {
    uint8_t header[kHeaderSize];
    if (position_ + kHeaderSize > file_size_ || Read(header, kHeaderSize) != kHeaderSize) {
        return false;
    }
    id = GetLe32(header);
    size = GetLe32(header + 4);
    return true;
}

bool RiffReader::DescendRiff(RiffChunk& chunk, uint32_t form_type) {
    uint32_t id = 0;
    uint32_t size = 0;
    while (ReadHeader(id, size)) {
        uint64_t data_offset = position_;
        uint8_t form[kFormTypeSize];
        if ((id == kRiffId || id == kRf64Id) && size >= kFormTypeSize &&
            Read(form, kFormTypeSize) == kFormTypeSize && GetLe32(form) == form_type) {
            chunk.id = id;
            chunk.size = size;
            chunk.form_type = form_type;
            chunk.data_offset = data_offset;
            rf64_ = id == kRf64Id;
            if (rf64_ && !ReadDs64(chunk)) {
                return false;
            }
            // A RIFF size beyond the file (as left by an unfinished writer) is cut to the file.
            chunk.end = std::min(data_offset + chunk.size, file_size_);
            return true;
        }
        uint64_t next = PaddedEnd(data_offset, size);
        if (next > file_size_ || !Seek(next)) {
            return false;
        }
    }
    return false;
}

// The "ds64" chunk that must open an RF64 file: the 64-bit RIFF and data sizes. The reader
// is left at its start, so that it is skipped like any other chunk.
bool RiffReader::ReadDs64(RiffChunk& riff) {
    const uint64_t start = position_;
    uint32_t id = 0;
    uint32_t size = 0;
    uint8_t fields[kDs64Bytes];
    if (!ReadHeader(id, size) || id != kDs64Id || size < kDs64Bytes ||
        Read(fields, kDs64Bytes) != kDs64Bytes) {
        return false;
    }
    riff.size = GetLe64(fields);
    rf64_data_size_ = GetLe64(fields + 8);
    return Seek(start);
}

bool RiffReader::DescendChunk(RiffChunk& chunk, const RiffChunk& parent, uint32_t id) {
    uint32_t found_id = 0;
    uint32_t size = 0;
    while (position_ + kHeaderSize <= parent.end && ReadHeader(found_id, size)) {
        uint64_t data_offset = position_;
        if (found_id == id) {
            chunk.id = found_id;
            chunk.size = rf64_ && id == kDataId && size == kSizeInDs64 ? rf64_data_size_ : size;
            chunk.form_type = 0;
            chunk.data_offset = data_offset;
            chunk.end = std::min(data_offset + chunk.size, parent.end);
            return true;
        }
        uint64_t next = PaddedEnd(data_offset, size);
        if (next > parent.end || !Seek(next)) {
            return false;
        }
    }
    return false;
}

bool RiffReader::Ascend(const RiffChunk& chunk) {
    uint64_t end = chunk.data_offset + chunk.size;
    if (end > file_size_) {
        return false;
    }
    // The pad byte may be missing after the last chunk of a file.
    return Seek(std::min(PaddedEnd(chunk.data_offset, chunk.size), file_size_));
}

size_t RiffReader::Read(void* buffer, size_t size) {
    if (file_ == nullptr || size == 0) {
        return 0;
    }
    size_t got = std::fread(buffer, 1, size, file_);
    position_ += got;
    return got;
}

bool RiffReader::Seek(uint64_t offset) {
    if (file_ == nullptr || offset > static_cast<uint64_t>(std::numeric_limits<off_t>::max()) ||
        fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
        return false;
    }
    position_ = offset;
    return true;
}

} // namespace sonarel
