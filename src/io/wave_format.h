// Wave format records in the published WAVEFORMATEX layout, little-endian, as
// they are stored in files: 16 bytes for PCM, 18 + cbSize bytes otherwise
// (30 for MPEG Layer-3 with its 12-byte extension).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace sonarel {

inline constexpr uint16_t kWaveFormatPcm = 1;
inline constexpr uint16_t kWaveFormatMpegLayer3 = 0x55;
inline constexpr uint32_t kPcmRecordSize = 16;
inline constexpr uint32_t kWaveFormatExSize = 18;
inline constexpr uint32_t kMp3RecordSize = 30;

// The fields of the common part of a record.
struct WaveFormatEx {
    uint16_t format_tag = 0;
    uint16_t channels = 0;
    uint32_t samples_per_sec = 0;
    uint32_t avg_bytes_per_sec = 0;
    uint16_t block_align = 0;
    uint16_t bits_per_sample = 0;
    uint16_t cb_size = 0; // 0 for PCM
};

// The MPEG Layer-3 extension (offsets 18..29).
struct Mp3WaveExtension {
    uint16_t id = 0;               // wID
    uint32_t flags = 0;            // fdwFlags
    uint16_t block_size = 0;       // nBlockSize
    uint16_t frames_per_block = 0; // nFramesPerBlock
    uint16_t codec_delay = 0;      // nCodecDelay
};

// Owns a copy of one record, or none. The copy's length always equals Size():
// tag 1 -> 16 bytes, any other tag -> 18 + cbSize bytes.
class WaveFormatHolder {
public:
    WaveFormatHolder() = default;

    // Copies a record by the size rule, never reading beyond `record`: when the
    // bytes end before 18 + cbSize, the copy ends with them and its cbSize is
    // lowered to match. Fewer than 16 bytes leave no record.
    void Set(std::span<const uint8_t> record);
    void Clear() { bytes_.clear(); }

    // The record's bytes, or null when none is held.
    const uint8_t* Get() const { return bytes_.empty() ? nullptr : bytes_.data(); }
    uint32_t Size() const { return static_cast<uint32_t>(bytes_.size()); }
    bool HasRecord() const { return !bytes_.empty(); }

    // Decoded fields; all zero when no record is held.
    WaveFormatEx Header() const;
    // The MPEG Layer-3 extension; all zero unless the record is a 30-byte (or
    // longer) record with tag 0x55.
    Mp3WaveExtension Mp3Extension() const;

protected:
    void Store(const WaveFormatEx& header);
    void Store(const WaveFormatEx& header, const Mp3WaveExtension& ext);

private:
    std::vector<uint8_t> bytes_;
};

// Encodes fields into record bytes (18 bytes, or 30 with the extension).
std::vector<uint8_t> EncodeWaveFormat(const WaveFormatEx& header);
std::vector<uint8_t> EncodeWaveFormat(const WaveFormatEx& header, const Mp3WaveExtension& ext);

// A PCM record: tag 1, average bytes per second = bits / 8 * channels * rate,
// block align = bits / 8 * channels.
class PcmFormat : public WaveFormatHolder {
public:
    PcmFormat(uint32_t samples_per_sec, uint16_t channels, uint16_t bits_per_sample);
};

// An MPEG Layer-3 record, built from the stream's bit rate, rate and channels.
class Mp3WaveFormat : public WaveFormatHolder {
public:
    Mp3WaveFormat() = default;
    // Replaces the record when kbps, rate and channels are all valid; otherwise
    // the held record stays as it was. Returns whether it was rebuilt.
    bool Build(uint32_t kbps, uint32_t samples_per_sec, uint32_t channels);
};

} // namespace sonarel
