#include "io/riff_wave_reader.h"

#include "io/little_endian.h"

#include <algorithm>
#include <limits>

namespace sonarel {

namespace {

constexpr uint32_t kWaveForm = FourCc("WAVE");
constexpr uint32_t kFmtId = FourCc("fmt ");
constexpr uint32_t kDataId = FourCc("data");

} // namespace

RiffWaveReader::~RiffWaveReader() {
    Close();
}

int RiffWaveReader::Open() {
    Close();
    format_.Clear();
    if (!file_.Open(CStr())) {
        return kCannotOpen;
    }
    int result = OpenFile();
    if (result != kOpenOk) {
        file_.Close();
        return result;
    }
    state_ = 2;
    position_.store(0, std::memory_order_relaxed);
    return kOpenOk;
}

int RiffWaveReader::OpenFile() {
    RiffChunk riff;
    RiffChunk fmt;
    if (!file_.DescendRiff(riff, kWaveForm) || !file_.DescendChunk(fmt, riff, kFmtId)) {
        return kBadStructure;
    }
    int result = ReadFormat(fmt);
    if (result != kOpenOk) {
        return result;
    }
    RiffChunk data;
    if (!file_.Ascend(fmt) || !file_.DescendChunk(data, riff, kDataId)) {
        return kBadStructure;
    }
    // A truncated file holds less than the chunk claims: deliver what is there.
    uint64_t present = data.end - data.data_offset;
    data_length_.store(std::min<uint64_t>(present, data.size), std::memory_order_relaxed);
    data_offset_ = data.data_offset;
    return kOpenOk;
}

// Copies the format record, reading only inside the "fmt " chunk and never
// more than the 30 bytes of an MPEG Layer-3 record.
int RiffWaveReader::ReadFormat(const RiffChunk& fmt) {
    uint64_t available = fmt.end - fmt.data_offset;
    uint8_t record[kMp3RecordSize] = {};
    if (available < kPcmRecordSize || file_.Read(record, kPcmRecordSize) != kPcmRecordSize) {
        return kBadStructure;
    }
    uint16_t tag = GetLe16(record);
    if (tag == kWaveFormatPcm) {
        format_.Set(std::span<const uint8_t>(record, kPcmRecordSize));
        return kOpenOk;
    }
    if (tag != kWaveFormatMpegLayer3) {
        return kBadFormatTag;
    }
    size_t wanted = std::min<uint64_t>(kMp3RecordSize - kPcmRecordSize, available - kPcmRecordSize);
    size_t got = file_.Read(record + kPcmRecordSize, wanted);
    format_.Set(std::span<const uint8_t>(record, kPcmRecordSize + got));
    return kOpenOk;
}

void RiffWaveReader::Close() {
    file_.Close();
    state_ = 0;
}

int RiffWaveReader::Read(uint8_t* buffer, int32_t length, int* /*format_changed*/) {
    if (state_ != 2) {
        return 0;
    }
    if (length <= 0) {
        return 0;
    }
    uint64_t position = position_.load(std::memory_order_relaxed);
    uint64_t left = DataLength() - position;
    size_t wanted = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(length), left));
    size_t got = file_.Read(buffer, wanted);
    if (got == 0) {
        return -1;
    }
    position_.store(position + got, std::memory_order_relaxed);
    return static_cast<int>(got);
}

int RiffWaveReader::Seek(int32_t seconds) {
    if (!format_.HasRecord() || state_ != 2) {
        return 0;
    }
    int64_t offset = int64_t{seconds} * format_.Header().avg_bytes_per_sec;
    if (offset < 0 || static_cast<uint64_t>(offset) > DataLength()) {
        return -1;
    }
    if (!file_.Seek(data_offset_ + static_cast<uint64_t>(offset))) {
        return 0;
    }
    position_.store(static_cast<uint64_t>(offset), std::memory_order_relaxed);
    return 1;
}

int RiffWaveReader::IsPcm() const {
    return format_.HasRecord() && format_.Header().format_tag == kWaveFormatPcm ? 1 : 0;
}

const WaveFormatHolder* RiffWaveReader::GetFormat() const {
    return format_.HasRecord() ? &format_ : nullptr;
}

} // namespace sonarel
