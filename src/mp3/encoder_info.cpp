#include "mp3/encoder_info.h"

#include <cstring>
#include <initializer_list>

namespace sonarel::mp3 {

namespace {

constexpr int kVbriOffset = 4 + 32;
constexpr uint32_t kFlagFrames = 1;
constexpr uint32_t kFlagBytes = 2;
constexpr uint32_t kFlagToc = 4;
constexpr uint32_t kFlagQuality = 8;
constexpr int kTocBytes = 100;

uint32_t BigEndian32(const uint8_t* p) {
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

bool HasTag(const uint8_t* frame, int length, int offset, const char* tag) {
    return offset + 4 <= length && std::memcmp(frame + offset, tag, 4) == 0;
}

// Where the Xing fields start: after the header and the side information. LAME writes
// them there even in a frame with a CRC word, where the side information starts two
// bytes later, so both places are tried.
int XingOffset(const uint8_t* frame, bool after_crc) {
    const bool mpeg1 = (frame[1] & 0x08) != 0;
    const bool mono = (frame[3] >> 6) == 3;
    const int side_info = mpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return 4 + (after_crc ? 2 : 0) + side_info;
}

bool HasXingTag(const uint8_t* frame, int length, int offset) {
    return HasTag(frame, length, offset, "Xing") || HasTag(frame, length, offset, "Info");
}

// The encoder's name opens the LAME extension: "LAME3.100", "Lavc58.13" and the like.
bool LooksLikeEncoderName(const uint8_t* p) {
    for (int i = 0; i < 4; ++i) {
        const bool letter = (p[i] >= 'A' && p[i] <= 'Z') || (p[i] >= 'a' && p[i] <= 'z');
        const bool digit = p[i] >= '0' && p[i] <= '9';
        if (!letter && !digit && p[i] != '.') {
            return false;
        }
    }
    return true;
}

// Delay and padding: 12 bits each, 21 bytes into the extension.
void ReadLameExtension(const uint8_t* frame, int length, int offset, EncoderInfo& info) {
    constexpr int kDelayOffset = 21;
    if (offset + kDelayOffset + 3 > length || !LooksLikeEncoderName(frame + offset)) {
        return;
    }
    const uint8_t* p = frame + offset + kDelayOffset;
    info.has_gapless = true;
    info.encoder_delay = (p[0] << 4) | (p[1] >> 4);
    info.encoder_padding = ((p[1] & 0x0F) << 8) | p[2];
}

EncoderInfo ReadXing(const uint8_t* frame, int length, int offset) {
    EncoderInfo info;
    info.present = true;
    if (offset + 8 > length) {
        return info;
    }
    const uint32_t flags = BigEndian32(frame + offset + 4);
    int field = offset + 8;
    if ((flags & kFlagFrames) != 0 && field + 4 <= length) {
        info.frame_count = BigEndian32(frame + field);
        field += 4;
    }
    if ((flags & kFlagBytes) != 0 && field + 4 <= length) {
        info.byte_count = BigEndian32(frame + field);
        field += 4;
    }
    field += (flags & kFlagToc) != 0 ? kTocBytes : 0;
    field += (flags & kFlagQuality) != 0 ? 4 : 0;
    ReadLameExtension(frame, length, field, info);
    return info;
}

EncoderInfo ReadVbri(const uint8_t* frame, int length) {
    EncoderInfo info;
    info.present = true;
    const int fields = kVbriOffset + 4 + 2 + 2 + 2; // tag, version, delay, quality
    if (fields + 8 <= length) {
        info.byte_count = BigEndian32(frame + fields);
        info.frame_count = BigEndian32(frame + fields + 4);
    }
    return info;
}

} // namespace

EncoderInfo ParseEncoderInfo(const uint8_t* frame, int length) {
    if (length < 4) {
        return {};
    }
    const bool crc = (frame[1] & 0x01) == 0;
    for (const bool after_crc : {crc, false}) {
        const int offset = XingOffset(frame, after_crc);
        if (HasXingTag(frame, length, offset)) {
            return ReadXing(frame, length, offset);
        }
    }
    if (HasTag(frame, length, kVbriOffset, "VBRI")) {
        return ReadVbri(frame, length);
    }
    return {};
}

} // namespace sonarel::mp3
