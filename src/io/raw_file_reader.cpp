#include "io/raw_file_reader.h"

#include "io/id3v2_tag.h"
#include "io/trailing_tags.h"
#include "platform/file_system.h"

#include <algorithm>
#include <limits>

namespace sonarel {

namespace {

constexpr uint64_t kMaxCount = std::numeric_limits<uint32_t>::max();

// Steps over the ID3v2 tags at the start of the file and leaves the stream at the
// first byte after them (at 0 when there is none). A tag that claims more bytes than
// the file holds takes the rest of the file. Returns the bytes skipped.
uint64_t SkipId3v2Tags(std::FILE* file, uint64_t file_size) {
    uint64_t offset = 0;
    uint8_t header[kId3v2HeaderSize];
    while (offset < file_size && std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0) {
        const uint32_t tag = Id3v2TagSize(header, std::fread(header, 1, sizeof header, file));
        if (tag == 0) {
            break;
        }
        offset = std::min(offset + tag, file_size);
    }
    std::fseek(file, static_cast<long>(offset), SEEK_SET);
    std::clearerr(file);
    return offset;
}

} // namespace

RawFileReader::~RawFileReader() {
    Close();
}

int RawFileReader::Open() {
    Close();
    uint64_t size = 0;
    std::FILE* file = OpenRegularFile(CStr(), size);
    if (file == nullptr) {
        return -1;
    }
    payload_offset_ = SkipId3v2Tags(file, size);
    // Without tags at the end the payload runs to the end of the file, whatever its length
    // by then (a file still being written, or one whose size the system does not know).
    payload_end_ = TrailingTagsStart(file, payload_offset_, size);
    const bool tagged = payload_end_ < size;
    std::fseek(file, static_cast<long>(payload_offset_), SEEK_SET);
    offset_ = payload_offset_;
    size = payload_end_ - payload_offset_;
    if (!tagged) {
        payload_end_ = std::numeric_limits<uint64_t>::max();
    }
    length_.store(static_cast<uint32_t>(std::min(size, kMaxCount)), std::memory_order_relaxed);
    failed_ = false;
    file_ = file;
    return 0;
}

void RawFileReader::Close() {
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

int RawFileReader::Read(uint8_t* buffer, int32_t length, int* /*format_changed*/) {
    if (file_ == nullptr || length <= 0) {
        return 0;
    }
    const uint64_t left = payload_end_ - std::min(offset_, payload_end_);
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>(uint64_t(length), left));
    size_t got = wanted > 0 ? std::fread(buffer, 1, wanted, file_) : 0;
    if (got < wanted && std::ferror(file_) != 0) {
        failed_ = true;
    }
    offset_ += got;
    uint64_t position = position_.load(std::memory_order_relaxed) + uint64_t{got};
    position_.store(static_cast<uint32_t>(std::min(position, kMaxCount)),
                    std::memory_order_relaxed);
    return static_cast<int>(got);
}

int RawFileReader::Seek(int32_t offset) {
    if (file_ == nullptr || offset < 0) {
        return 0;
    }
    const uint64_t target = payload_offset_ + static_cast<uint64_t>(offset);
    if (std::fseek(file_, static_cast<long>(target), SEEK_SET) != 0) {
        return 0;
    }
    offset_ = target;
    return 1;
}

} // namespace sonarel
