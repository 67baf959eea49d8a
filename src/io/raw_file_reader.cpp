#include "io/raw_file_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <limits>

namespace sonarel {

namespace {

constexpr uint64_t kMaxCount = std::numeric_limits<uint32_t>::max();

} // namespace

RawFileReader::~RawFileReader() {
    Close();
}

int RawFileReader::Open() {
    Close();
    std::FILE* file = std::fopen(CStr(), "rb");
    if (file == nullptr) {
        return -1;
    }
    struct stat info;
    // A folder opens on this system but cannot be read.
    if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return -1;
    }
    uint64_t size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
    length_.store(static_cast<uint32_t>(std::min(size, kMaxCount)), std::memory_order_relaxed);
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
    size_t got = std::fread(buffer, 1, static_cast<size_t>(length), file_);
    uint64_t position = position_.load(std::memory_order_relaxed) + uint64_t{got};
    position_.store(static_cast<uint32_t>(std::min(position, kMaxCount)),
                    std::memory_order_relaxed);
    return static_cast<int>(got);
}

int RawFileReader::Seek(int32_t offset) {
    if (file_ == nullptr || offset < 0) {
        return 0;
    }
    return std::fseek(file_, offset, SEEK_SET) == 0 ? 1 : 0;
}

} // namespace sonarel
