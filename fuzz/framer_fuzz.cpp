// The format probe: the framer opened on arbitrary bytes and read to the end.
//
// Control bytes at the front of the input:
//   0    bits 0-3: largest piece the source hands out per read, 1 << (n % 13);
//        bit 4: read without the format-changed flag (the copying goes on across a change)
//   1-2  seed of the piece and read sizes
// The rest is the file.
#include "fuzz_support.h"
#include "io/mp3_framer.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

using sonarel::ByteSource;
using sonarel::Mp3Framer;
using sonarel::fuzz::Check;
using sonarel::fuzz::ControlBytes;
using sonarel::fuzz::Rng;

// A file in memory that hands out its bytes in pieces of varying size, like a reader over
// a pipe or a slow disk; 0 at the end.
class PieceSource : public ByteSource {
public:
    PieceSource(const uint8_t* data, size_t size, uint32_t largest, Rng& rng)
        : data_(data), size_(size), largest_(largest), rng_(rng) {}

    void Close() override { open_ = false; }
    int Open() override {
        open_ = true;
        return 0;
    }
    int IsOpen() const override { return open_ ? 1 : 0; }
    int Read(uint8_t* buffer, int32_t length, int* /*format_changed*/) override {
        Check(open_ && length >= 0);
        size_t n =
            std::min<size_t>({static_cast<size_t>(length), size_ - position_, rng_.Size(largest_)});
        if (n > 0) {
            std::memcpy(buffer, data_ + position_, n);
        }
        position_ += n;
        return static_cast<int>(n);
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t position_ = 0;
    uint32_t largest_;
    Rng& rng_;
    bool open_ = false;
};

// Each Read hands out at least one frame or ends; the bound only catches a loop.
constexpr int kReadLimit = 1 << 20;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ControlBytes control(data, size);
    uint8_t flags = control.Byte();
    Rng rng(control.Word());
    bool with_flag = (flags & 0x10) == 0;
    PieceSource source(control.Rest(), control.RestSize(), 1u << ((flags & 0x0F) % 13), rng);

    Mp3Framer framer(Mp3Framer::kDefaultRingBytes);
    framer.Attach(&source, false);
    int opened = framer.Open();
    if (opened != 0) {
        Check(opened < 0 && framer.IsOpen() == 0);
        return 0;
    }
    const sonarel::WaveFormatHolder* format = framer.GetFormat();
    Check(format == nullptr || format->Size() == sonarel::kMp3RecordSize);

    std::vector<uint8_t> buffer(4096);
    size_t delivered = 0;
    for (int reads = 0;; ++reads) {
        Check(reads < kReadLimit);
        int32_t length = static_cast<int32_t>(rng.Size(static_cast<uint32_t>(buffer.size())));
        int changed = 0;
        int got = framer.Read(buffer.data(), length, with_flag ? &changed : nullptr);
        if (got < 0) {
            Check(got == -1);
            break;
        }
        Check(got <= length);
        Check(changed == 0 || got == 0);
        delivered += static_cast<size_t>(got);
    }
    // Frames are whole bytes taken from distinct bits of the input.
    Check(delivered <= control.RestSize());
    framer.Close();
    return 0;
}
