#include "output/wave_file_writer.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

#include "io/little_endian.h"
#include "platform/file_system.h"

namespace sonarel {

namespace {

constexpr uint64_t kMaxChunkSize = std::numeric_limits<uint32_t>::max();
constexpr uint32_t kFactSize = 4;

// Bytes before the first data byte: RIFF header, "fmt " chunk (padded),
// "fact" chunk and the "data" chunk header.
uint64_t HeaderSize(uint32_t format_size) {
    return 12 + 8 + uint64_t{format_size} + (format_size & 1u) + 8 + kFactSize + 8;
}

void PutChunkHeader(std::vector<uint8_t>& out, const char (&id)[5], uint32_t size) {
    size_t at = out.size();
    out.resize(at + 8);
    std::copy(id, id + 4, out.begin() + static_cast<std::ptrdiff_t>(at));
    PutLe32(out.data() + at + 4, size);
}

constexpr int64_t kRefreshIntervalMs = 1000;

int64_t NowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

WaveFileWriter::~WaveFileWriter() {
    Close();
}

const WaveFormatHolder* WaveFileWriter::GetFormat() const {
    return format_.HasRecord() ? &format_ : nullptr;
}

void WaveFileWriter::SetFormat(const WaveFormatHolder* format) {
    if (format != nullptr) {
        format_ = *format;
    } else {
        format_.Clear();
    }
}

int WaveFileWriter::Open() {
    Close();
    if (!format_.HasRecord() || IsEmpty()) {
        return -1;
    }
    // The sizes are patched in place at the end, so a named pipe or socket cannot hold a
    // WAVE file: the file refuses it at once rather than wait for a reader.
    const OutputFile::OpenResult opened = file_.Open(Str());
    if (opened != OutputFile::OpenResult::kOpened) {
        return opened == OutputFile::OpenResult::kBusy ? kOpenBusy : kOpenFailed;
    }
    if (!WriteHeader()) {
        file_.Close();
        if (file_.Created()) {
            RemoveFile(Str()); // nothing of a file that could not even take its header
        }
        return kOpenFailed;
    }
    last_refresh_ms_ = NowMs();
    return 0;
}

bool WaveFileWriter::WriteHeader() {
    data_bytes_ = 0;
    last_error_ = 0;
    std::vector<uint8_t> header;
    PutChunkHeader(header, "RIFF", 0);
    header.insert(header.end(), {'W', 'A', 'V', 'E'});
    PutChunkHeader(header, "fmt ", format_.Size());
    header.insert(header.end(), format_.Get(), format_.Get() + format_.Size());
    if (format_.Size() & 1u) {
        header.push_back(0);
    }
    PutChunkHeader(header, "fact", kFactSize);
    fact_offset_ = header.size();
    header.resize(header.size() + kFactSize, 0);
    PutChunkHeader(header, "data", 0);
    data_offset_ = header.size();
    // The sizes of an empty file: valid from the first moment on.
    PutLe32(header.data() + 4, static_cast<uint32_t>(data_offset_ - 8));
    size_t stored = 0;
    return StoreAll(header.data(), header.size(), stored);
}

int WaveFileWriter::Write(const uint8_t* data, int32_t length) {
    if (!file_.IsOpen()) {
        return kErrorNotOpen;
    }
    if (length <= 0) {
        return 0;
    }
    if (last_error_ != 0) {
        return last_error_;
    }
    uint64_t limit = DataLimit();
    uint64_t room = limit > data_bytes_ ? limit - data_bytes_ : 0;
    size_t wanted = static_cast<size_t>(std::min<uint64_t>(static_cast<uint64_t>(length), room));
    size_t stored = 0;
    bool ok = StoreAll(data, wanted, stored);
    data_bytes_ += stored;
    if (!ok) {
        TrimToWholeFrames();
        return last_error_;
    }
    if (wanted < static_cast<size_t>(length)) {
        Fail(kErrorSizeLimit);
        return kErrorSizeLimit;
    }
    RefreshSizesOnceASecond();
    return length;
}

// A kill cannot run Close: the header must already describe what the file holds.
void WaveFileWriter::RefreshSizesOnceASecond() {
    const int64_t now = NowMs();
    if (now - last_refresh_ms_ < kRefreshIntervalMs) {
        return;
    }
    last_refresh_ms_ = now;
    const uint64_t align = std::max<uint64_t>(format_.Header().block_align, 1);
    PatchSizes(data_bytes_ - data_bytes_ % align, 0);
}

bool WaveFileWriter::StoreAll(const uint8_t* data, size_t size, size_t& stored) {
    stored = 0;
    while (stored < size) {
        int64_t result = WriteRaw(data + stored, size - stored);
        if (result < 0) {
            Fail(kErrorWriteFailed);
            return false;
        }
        if (result == 0) {
            Fail(kErrorDiskFull);
            return false;
        }
        stored += static_cast<size_t>(result);
    }
    return true;
}

void WaveFileWriter::TrimToWholeFrames() {
    uint64_t align = std::max<uint64_t>(format_.Header().block_align, 1);
    uint64_t whole = data_bytes_ - data_bytes_ % align;
    if (whole != data_bytes_ && TruncateRaw(data_offset_ + whole)) {
        data_bytes_ = whole;
    }
}

void WaveFileWriter::Fail(int error) {
    if (last_error_ == 0) {
        last_error_ = error;
    }
}

void WaveFileWriter::Close() {
    if (!file_.IsOpen()) {
        return;
    }
    Finalize();
    file_.Close();
}

bool WaveFileWriter::Finalize() {
    uint64_t pad = 0;
    if (data_bytes_ & 1u) {
        const uint8_t zero = 0;
        pad = WriteRaw(&zero, 1) == 1 ? 1 : 0;
    }
    return PatchSizes(data_bytes_, pad);
}

bool WaveFileWriter::PatchSizes(uint64_t data_bytes, uint64_t pad) {
    // Sizes describe what the file holds; the data limit keeps them in 32 bits.
    uint64_t data_size = std::min(data_bytes, kMaxChunkSize);
    uint64_t riff_size = std::min(data_offset_ + data_size + pad - 8, kMaxChunkSize);
    uint8_t value[4];
    PutLe32(value, static_cast<uint32_t>(riff_size));
    bool ok = PatchRaw(4, value, 4);
    PutLe32(value, SampleCount(data_bytes));
    ok = PatchRaw(fact_offset_, value, 4) && ok;
    PutLe32(value, static_cast<uint32_t>(data_size));
    ok = PatchRaw(data_offset_ - 4, value, 4) && ok;
    return ok;
}

uint32_t WaveFileWriter::SampleCount(uint64_t data_bytes) const {
    WaveFormatEx header = format_.Header();
    uint64_t count = 0;
    if (header.format_tag == kWaveFormatPcm) {
        uint64_t frame_bytes = uint64_t{header.channels} * (header.bits_per_sample / 8u);
        count = frame_bytes != 0 ? data_bytes / frame_bytes : 0;
    } else if (header.format_tag == kWaveFormatMpegLayer3) {
        Mp3WaveExtension ext = format_.Mp3Extension();
        uint64_t samples_per_frame = header.samples_per_sec < 32000 ? 576 : 1152;
        uint64_t frames =
            ext.block_size != 0 ? data_bytes / ext.block_size * ext.frames_per_block : 0;
        // One frame is held back as the decoder's delay; none stored means no samples.
        count = frames > 0 ? (frames - 1) * samples_per_frame : 0;
    }
    return static_cast<uint32_t>(std::min(count, kMaxChunkSize));
}

uint64_t WaveFileWriter::MaxDataBytes() const {
    // The RIFF size (file length - 8) must fit 32 bits, pad byte included.
    uint64_t room = kMaxChunkSize + 8 - HeaderSize(format_.Size());
    uint64_t align = std::max<uint64_t>(format_.Header().block_align, 1);
    uint64_t limit = room - room % align;
    while (limit > 0 && limit + (limit & 1u) > room) {
        limit -= align;
    }
    return std::min(limit, kMaxChunkSize);
}

int64_t WaveFileWriter::WriteRaw(const uint8_t* data, size_t size) {
    return file_.Write(data, size);
}

bool WaveFileWriter::TruncateRaw(uint64_t size) {
    return file_.Truncate(size);
}

bool WaveFileWriter::PatchRaw(uint64_t offset, const uint8_t* data, size_t size) {
    return file_.WriteAt(offset, data, size);
}

} // namespace sonarel
