#include "io/wave_format.h"

#include "io/little_endian.h"

#include <algorithm>

namespace sonarel {

void WaveFormatHolder::Set(std::span<const uint8_t> record) {
    if (record.size() < kPcmRecordSize) {
        bytes_.clear();
        return;
    }
    if (GetLe16(record.data()) == kWaveFormatPcm) {
        bytes_.assign(record.begin(), record.begin() + kPcmRecordSize);
        return;
    }
    size_t wanted = kWaveFormatExSize;
    if (record.size() >= kWaveFormatExSize) {
        wanted += GetLe16(record.data() + 16);
    }
    size_t kept = std::min(wanted, record.size());
    bytes_.assign(record.begin(), record.begin() + kept);
    bytes_.resize(std::max<size_t>(kept, kWaveFormatExSize), 0);
    // The copy describes itself: cbSize covers exactly the extension bytes held.
    PutLe16(bytes_.data() + 16, static_cast<uint16_t>(bytes_.size() - kWaveFormatExSize));
}

WaveFormatEx WaveFormatHolder::Header() const {
    WaveFormatEx header;
    if (bytes_.empty()) {
        return header;
    }
    const uint8_t* p = bytes_.data();
    header.format_tag = GetLe16(p);
    header.channels = GetLe16(p + 2);
    header.samples_per_sec = GetLe32(p + 4);
    header.avg_bytes_per_sec = GetLe32(p + 8);
    header.block_align = GetLe16(p + 12);
    header.bits_per_sample = GetLe16(p + 14);
    header.cb_size = bytes_.size() >= kWaveFormatExSize ? GetLe16(p + 16) : 0;
    return header;
}

Mp3WaveExtension WaveFormatHolder::Mp3Extension() const {
    Mp3WaveExtension ext;
    if (bytes_.size() < kMp3RecordSize || GetLe16(bytes_.data()) != kWaveFormatMpegLayer3) {
        return ext;
    }
    const uint8_t* p = bytes_.data();
    ext.id = GetLe16(p + 18);
    ext.flags = GetLe32(p + 20);
    ext.block_size = GetLe16(p + 24);
    ext.frames_per_block = GetLe16(p + 26);
    ext.codec_delay = GetLe16(p + 28);
    return ext;
}

void WaveFormatHolder::Store(const WaveFormatEx& header) {
    Set(EncodeWaveFormat(header));
}

void WaveFormatHolder::Store(const WaveFormatEx& header, const Mp3WaveExtension& ext) {
    Set(EncodeWaveFormat(header, ext));
}

namespace {

void EncodeHeader(const WaveFormatEx& header, uint8_t* p) {
    PutLe16(p, header.format_tag);
    PutLe16(p + 2, header.channels);
    PutLe32(p + 4, header.samples_per_sec);
    PutLe32(p + 8, header.avg_bytes_per_sec);
    PutLe16(p + 12, header.block_align);
    PutLe16(p + 14, header.bits_per_sample);
    PutLe16(p + 16, header.cb_size);
}

} // namespace

std::vector<uint8_t> EncodeWaveFormat(const WaveFormatEx& header) {
    std::vector<uint8_t> bytes(kWaveFormatExSize, 0);
    EncodeHeader(header, bytes.data());
    return bytes;
}

std::vector<uint8_t> EncodeWaveFormat(const WaveFormatEx& header, const Mp3WaveExtension& ext) {
    std::vector<uint8_t> bytes(kMp3RecordSize, 0);
    uint8_t* p = bytes.data();
    EncodeHeader(header, p);
    PutLe16(p + 18, ext.id);
    PutLe32(p + 20, ext.flags);
    PutLe16(p + 24, ext.block_size);
    PutLe16(p + 26, ext.frames_per_block);
    PutLe16(p + 28, ext.codec_delay);
    return bytes;
}

PcmFormat::PcmFormat(uint32_t samples_per_sec, uint16_t channels, uint16_t bits_per_sample) {
    uint32_t bytes_per_frame = static_cast<uint32_t>(bits_per_sample / 8) * channels;
    WaveFormatEx header;
    header.format_tag = kWaveFormatPcm;
    header.channels = channels;
    header.samples_per_sec = samples_per_sec;
    header.avg_bytes_per_sec = bytes_per_frame * samples_per_sec;
    header.block_align = static_cast<uint16_t>(bytes_per_frame);
    header.bits_per_sample = bits_per_sample;
    Store(header);
}

} // namespace sonarel
