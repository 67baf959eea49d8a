#include "io/id3v2_tag.h"

namespace sonarel {

namespace {

constexpr unsigned char kFooterFlag = 0x10;

bool HasValidHeader(const unsigned char* h) {
    if (h[0] != 'I' || h[1] != 'D' || h[2] != '3') {
        return false;
    }
    if (h[3] == 0xFF || h[4] == 0xFF) {
        return false;
    }
    for (size_t i = 6; i < kId3v2HeaderSize; ++i) {
        if (h[i] >= 0x80) {
            return false;
        }
    }
    return true;
}

// Four 7-bit groups, most significant first; at most 2^28 - 1.
uint32_t SyncsafeValue(const unsigned char* bytes) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i) {
        value = (value << 7) | bytes[i];
    }
    return value;
}

} // namespace

uint32_t Id3v2TagSize(const unsigned char* header, size_t length) {
    if (header == nullptr || length < kId3v2HeaderSize || !HasValidHeader(header)) {
        return 0;
    }
    uint32_t size = static_cast<uint32_t>(kId3v2HeaderSize) + SyncsafeValue(header + 6);
    if ((header[5] & kFooterFlag) != 0) {
        size += static_cast<uint32_t>(kId3v2FooterSize);
    }
    return size;
}

} // namespace sonarel
