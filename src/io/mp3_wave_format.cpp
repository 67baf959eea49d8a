#include "io/wave_format.h"

namespace sonarel {

namespace {

bool IsValidKbps(uint32_t kbps) {
    return kbps != 0 && (kbps == 12 || kbps == 14 || kbps == 18 || kbps == 20 || kbps % 8 == 0);
}

bool IsValidRate(uint32_t rate) {
    switch (rate) {
    case 8000:
    case 11025:
    case 12000:
    case 16000:
    case 22050:
    case 24000:
    case 32000:
    case 44100:
    case 48000:
        return true;
    default:
        return false;
    }
}

// Block layout of the low bit rates, which alternate frames of two sizes.
struct BlockLayout {
    uint64_t block_size;
    uint64_t frames_per_block;
};

BlockLayout LayoutFor(uint64_t kbps, uint64_t rate) {
    uint64_t m = rate < 32000 ? 1000 : 2000;
    auto frame = [m, rate](uint64_t k) { return (72 * m * k) / rate; };
    switch (kbps) {
    case 12:
        return {frame(8) + frame(16), 2};
    case 14:
        return {frame(8) + 3 * frame(16), 4};
    case 18:
        return {3 * frame(16) + frame(24), 4};
    case 20:
        return {frame(16) + frame(24), 2};
    default:
        return {(kbps * m * 72) / rate, 1};
    }
}

} // namespace

bool Mp3WaveFormat::Build(uint32_t kbps, uint32_t samples_per_sec, uint32_t channels) {
    if (!IsValidKbps(kbps) || !IsValidRate(samples_per_sec) || (channels != 1 && channels != 2)) {
        return false;
    }
    WaveFormatEx header;
    header.format_tag = kWaveFormatMpegLayer3;
    header.channels = static_cast<uint16_t>(channels);
    header.samples_per_sec = samples_per_sec;
    header.avg_bytes_per_sec = static_cast<uint32_t>(uint64_t{kbps} * 125);
    header.block_align = 1;
    header.bits_per_sample = 0;
    header.cb_size = kMp3RecordSize - kWaveFormatExSize;

    BlockLayout layout = LayoutFor(kbps, samples_per_sec);
    Mp3WaveExtension ext;
    ext.id = 1;
    ext.flags = 2;
    ext.block_size = static_cast<uint16_t>(layout.block_size);
    ext.frames_per_block = static_cast<uint16_t>(layout.frames_per_block);
    ext.codec_delay = 0;
    Store(header, ext);
    return true;
}

} // namespace sonarel
