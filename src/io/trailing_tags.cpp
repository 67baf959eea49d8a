#include "io/trailing_tags.h"

#include "io/id3v2_tag.h"

#include <cstring>

namespace sonarel {

namespace {

constexpr uint64_t kId3v1Size = 128;
constexpr uint64_t kId3v1EnhancedSize = 227;
constexpr uint64_t kApeFooterSize = 32;
constexpr uint32_t kApeHasHeader = 0x80000000u;
constexpr uint64_t kLyricsEndSize = 15; // six size digits and "LYRICS200"
constexpr size_t kLyricsBeginSize = 11;

bool ReadAt(std::FILE* file, uint64_t offset, void* out, size_t count) {
    return std::fseek(file, static_cast<long>(offset), SEEK_SET) == 0 &&
           std::fread(out, 1, count, file) == count;
}

bool Starts(const uint8_t* bytes, const char* text) {
    return std::memcmp(bytes, text, std::strlen(text)) == 0;
}

uint32_t LittleEndian32(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

// Each reader returns the size of its tag ending at `end`, or 0. `room` is end - begin.
uint64_t Id3v1Size(std::FILE* file, uint64_t end, uint64_t room) {
    uint8_t bytes[4];
    if (room < kId3v1Size || !ReadAt(file, end - kId3v1Size, bytes, 3) || !Starts(bytes, "TAG")) {
        return 0;
    }
    const uint64_t rest = end - kId3v1Size;
    const bool enhanced = room >= kId3v1Size + kId3v1EnhancedSize &&
                          ReadAt(file, rest - kId3v1EnhancedSize, bytes, 4) &&
                          Starts(bytes, "TAG+");
    return kId3v1Size + (enhanced ? kId3v1EnhancedSize : 0);
}

uint64_t ApeSize(std::FILE* file, uint64_t end, uint64_t room) {
    uint8_t footer[kApeFooterSize];
    if (room < kApeFooterSize || !ReadAt(file, end - kApeFooterSize, footer, sizeof footer) ||
        !Starts(footer, "APETAGEX")) {
        return 0;
    }
    // The size counts the items and the footer; a header, when flagged, comes on top.
    const uint64_t size = LittleEndian32(footer + 12);
    const bool header = (LittleEndian32(footer + 20) & kApeHasHeader) != 0;
    const uint64_t total = size + (header ? kApeFooterSize : 0);
    return total >= kApeFooterSize && total <= room ? total : 0;
}

uint64_t Lyrics3Size(std::FILE* file, uint64_t end, uint64_t room) {
    char tail[kLyricsEndSize];
    if (room < kLyricsEndSize || !ReadAt(file, end - kLyricsEndSize, tail, sizeof tail) ||
        std::memcmp(tail + 6, "LYRICS200", 9) != 0) {
        return 0;
    }
    uint64_t size = 0;
    for (int i = 0; i < 6; ++i) {
        if (tail[i] < '0' || tail[i] > '9') {
            return 0;
        }
        size = size * 10 + static_cast<uint64_t>(tail[i] - '0');
    }
    const uint64_t total = size + kLyricsEndSize;
    char begin[kLyricsBeginSize];
    if (total > room || size < kLyricsBeginSize ||
        !ReadAt(file, end - total, begin, sizeof begin) ||
        std::memcmp(begin, "LYRICSBEGIN", kLyricsBeginSize) != 0) {
        return 0;
    }
    return total;
}

// An ID3v2 tag at the end closes with a footer: "3DI" and the header's other fields.
uint64_t AppendedId3v2Size(std::FILE* file, uint64_t end, uint64_t room) {
    uint8_t footer[kId3v2FooterSize];
    if (room < kId3v2FooterSize || !ReadAt(file, end - kId3v2FooterSize, footer, sizeof footer) ||
        !Starts(footer, "3DI")) {
        return 0;
    }
    std::memcpy(footer, "ID3", 3);
    const uint64_t total = Id3v2TagSize(footer, sizeof footer);
    uint8_t header[3];
    if (total == 0 || total > room || !ReadAt(file, end - total, header, 3) ||
        !Starts(header, "ID3")) {
        return 0;
    }
    return total;
}

} // namespace

uint64_t TrailingTagsStart(std::FILE* file, uint64_t begin, uint64_t end) {
    for (;;) {
        const uint64_t room = end - begin;
        uint64_t tag = Id3v1Size(file, end, room);
        if (tag == 0) {
            tag = ApeSize(file, end, room);
        }
        if (tag == 0) {
            tag = Lyrics3Size(file, end, room);
        }
        if (tag == 0) {
            tag = AppendedId3v2Size(file, end, room);
        }
        if (tag == 0) {
            std::clearerr(file);
            return end;
        }
        end -= tag;
    }
}

} // namespace sonarel
