#include "output/wave_file_writer.h"

#include "io/little_endian.h"
#include "platform/file_system.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <vector>

namespace sonarel {

namespace {

constexpr uint64_t kMaxChunkSize = std::numeric_limits<uint32_t>::max();
constexpr uint32_t kFactSize = 4;

constexpr uint32_t kUnknownSize = std::numeric_limits<uint32_t>::max();
constexpr uint32_t kDs64Size = 28;

void PutChunkHeader(std::vector<uint8_t>& out, const char (&id)[5], uint32_t size) {
    size_t at = out.size();
    out.resize(at + 8);
    std::copy(id, id + 4, out.begin() + static_cast<std::ptrdiff_t>(at));
    PutLe32(out.data() + at + 4, size);
}

void PutLe64(uint8_t* p, uint64_t value) {
    PutLe32(p, static_cast<uint32_t>(value));
    PutLe32(p + 4, static_cast<uint32_t>(value >> 32));
}

uint32_t Clamp32(uint64_t value) {
    return static_cast<uint32_t>(std::min(value, kMaxChunkSize));
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
    // A named pipe without a reader is refused at once rather than waited on; one with a
    // reader, and any other output that cannot seek, is written as a stream.
    const OutputFile::OpenResult opened = file_.Open(Str());
    if (opened != OutputFile::OpenResult::kOpened) {
        return opened == OutputFile::OpenResult::kBusy ? kOpenBusy : kOpenFailed;
    }
    streaming_ = file_.IsStream();
    // The header replaces an old file's first bytes, then the rest is cut: a kill at any
    // moment leaves a WAVE file, never an empty one.
    if (!WriteHeader() || (file_.IsRegular() && !file_.Truncate(data_offset_))) {
        file_.Close();
        if (file_.Created()) {
            RemoveFile(Str()); // nothing of a file that could not even take its header
        }
        return kOpenFailed;
    }
    last_refresh_ms_ = NowMs();
    return 0;
}

void WaveFileWriter::SetExpectedDataBytes(uint64_t bytes, bool exact) {
    expected_bytes_ = bytes;
    expected_exact_ = exact && bytes > 0;
}

bool WaveFileWriter::WriteHeader() {
    data_bytes_ = 0;
    last_error_ = 0;
    reserved_ = expected_bytes_ > kRf64ReserveAbove;
    rf64_ = false;
    const uint64_t header_bytes = HeaderBytes();
    data_offset_ = header_bytes;
    std::vector<uint8_t> header;
    if (streaming_ && expected_exact_) {
        // Announced once and for all; a length beyond the RIFF limit needs RF64 from the start.
        rf64_ = reserved_ && expected_bytes_ > MaxDataBytes();
        header = Header(expected_bytes_, expected_bytes_ & 1u, false);
    } else {
        // The sizes of an empty file: valid from the first moment on.
        header = Header(0, 0, streaming_);
    }
    size_t stored = 0;
    return StoreAll(header.data(), header.size(), stored);
}

uint64_t WaveFileWriter::HeaderBytes() const {
    const uint64_t format_size = format_.Size();
    return 12 + (reserved_ ? kRf64ReserveBytes : 0) + 8 + format_size + (format_size & 1u) + 8 +
           kFactSize + 8;
}

std::vector<uint8_t> WaveFileWriter::Header(uint64_t data_bytes, uint64_t pad, bool unknown) const {
    const uint64_t riff_size = data_offset_ + data_bytes + pad - 8;
    const bool big = rf64_ || unknown;
    std::vector<uint8_t> header;
    PutChunkHeader(header, rf64_ ? "RF64" : "RIFF", big ? kUnknownSize : Clamp32(riff_size));
    header.insert(header.end(), {'W', 'A', 'V', 'E'});
    if (reserved_) {
        PutChunkHeader(header, rf64_ ? "ds64" : "JUNK", kDs64Size);
        const size_t at = header.size();
        header.resize(at + kDs64Size, 0);
        if (rf64_) {
            PutLe64(header.data() + at, riff_size);
            PutLe64(header.data() + at + 8, data_bytes);
            PutLe64(header.data() + at + 16, SampleCount(data_bytes));
        }
    }
    PutChunkHeader(header, "fmt ", format_.Size());
    header.insert(header.end(), format_.Get(), format_.Get() + format_.Size());
    if (format_.Size() & 1u) {
        header.push_back(0);
    }
    PutChunkHeader(header, "fact", kFactSize);
    header.resize(header.size() + kFactSize);
    PutLe32(header.data() + header.size() - kFactSize,
            unknown ? kUnknownSize : Clamp32(SampleCount(data_bytes)));
    PutChunkHeader(header, "data", big ? kUnknownSize : Clamp32(data_bytes));
    return header;
}

// How many data bytes the file may hold in all. A file with the reserved chunk turns into
// RF64 when it reaches the RIFF limit, and then has none.
uint64_t WaveFileWriter::WriteLimit() {
    if (streaming_) {
        return expected_exact_ ? expected_bytes_ : std::numeric_limits<uint64_t>::max();
    }
    const uint64_t limit = DataLimit();
    if (rf64_ || !reserved_ || data_bytes_ < limit) {
        return rf64_ ? std::numeric_limits<uint64_t>::max() : limit;
    }
    rf64_ = true;
    if (!PatchSizes(data_bytes_, 0)) {
        rf64_ = false;
        Fail(kErrorWriteFailed);
        return limit;
    }
    return std::numeric_limits<uint64_t>::max();
}

int WaveFileWriter::Write(const uint8_t* data, int32_t length) {
    if (!file_.IsOpen()) {
        return kErrorNotOpen;
    }
    if (length <= 0) {
        return 0;
    }
    size_t done = 0;
    const size_t total = static_cast<size_t>(length);
    while (done < total && last_error_ == 0) {
        const uint64_t limit = WriteLimit(); // may turn the file into RF64 first
        const uint64_t room = limit > data_bytes_ ? limit - data_bytes_ : 0;
        if (last_error_ != 0 || room == 0) {
            Fail(streaming_ ? kErrorLengthChanged : kErrorSizeLimit);
            break;
        }
        const size_t wanted = static_cast<size_t>(std::min<uint64_t>(total - done, room));
        size_t stored = 0;
        const bool ok = StoreAll(data + done, wanted, stored);
        data_bytes_ += stored;
        if (!ok) {
            TrimToWholeFrames();
            break;
        }
        done += wanted;
    }
    if (last_error_ != 0) {
        return last_error_;
    }
    RefreshSizesOnceASecond();
    return length;
}

// A kill cannot run Close: the header must already describe what the file holds.
void WaveFileWriter::RefreshSizesOnceASecond() {
    const int64_t now = NowMs();
    if (streaming_ || now - last_refresh_ms_ < kRefreshIntervalMs) {
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
    return streaming_ || PatchSizes(data_bytes_, pad);
}

int WaveFileWriter::FinishData() {
    if (file_.IsOpen() && streaming_ && expected_exact_ && data_bytes_ != expected_bytes_) {
        Fail(kErrorLengthChanged);
    }
    return last_error_;
}

// The whole header in one write: a kill never leaves half of a size change behind. Sizes
// describe what the file holds; the data limit keeps those of a RIFF file in 32 bits.
bool WaveFileWriter::PatchSizes(uint64_t data_bytes, uint64_t pad) {
    const std::vector<uint8_t> header = Header(data_bytes, pad, false);
    return PatchRaw(0, header.data(), header.size());
}

uint64_t WaveFileWriter::SampleCount(uint64_t data_bytes) const {
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
    return count;
}

uint64_t WaveFileWriter::MaxDataBytes() const {
    // The RIFF size (file length - 8) must fit 32 bits, pad byte included.
    uint64_t room = kMaxChunkSize + 8 - HeaderBytes();
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
