// The decoder fed arbitrary bytes in pieces of arbitrary size until it reports the end.
//
// Control bytes at the front of the input:
//   0    options: bits 0-1 downsampling shift (3 counts as 2), bit 2 8-bit output,
//        bit 3 mono, bit 4 offer undersized output buffers now and then,
//        bit 7 decode a second time after Reset and compare
//   1-2  seed of the piece sizes
//   3    largest piece: 1 << (bits 0-3 % 14)
// The rest is the stream.
#include "fuzz_support.h"
#include "mp3/mp3_decoder.h"

#include <vector>

namespace {

using namespace sonarel::mp3;
using sonarel::fuzz::Check;
using sonarel::fuzz::ControlBytes;
using sonarel::fuzz::Rng;

struct Plan {
    DecoderOptions options;
    bool undersized = false;
    bool twice = false;
    uint16_t seed = 0;
    uint32_t largest_piece = 1;
};

Plan ReadPlan(ControlBytes& control) {
    Plan plan;
    uint8_t flags = control.Byte();
    plan.options.downsample_shift = flags & 3;
    if (plan.options.downsample_shift == 3) {
        plan.options.downsample_shift = 2;
    }
    plan.options.eight_bit = (flags & 0x04) != 0;
    plan.options.mono = (flags & 0x08) != 0;
    plan.undersized = (flags & 0x10) != 0;
    plan.twice = (flags & 0x80) != 0;
    plan.seed = control.Word();
    plan.largest_piece = 1u << ((control.Byte() & 0x0F) % 14);
    return plan;
}

// Bytes of one frame of PCM for the header just decoded.
int ExpectedFrameBytes(const FrameHeader& header, const DecoderOptions& options) {
    int channels = options.mono ? 1 : header.channels;
    int bytes = header.SamplesPerFrame() * channels * (options.eight_bit ? 1 : 2);
    return bytes >> options.downsample_shift;
}

// Everything one run produced, folded into a hash.
struct Trace {
    uint64_t hash = 1469598103934665603ull;
    void Add(const uint8_t* bytes, int count) {
        for (int i = 0; i < count; ++i) {
            hash = (hash ^ bytes[i]) * 1099511628211ull;
        }
    }
    void Add(uint32_t value) {
        uint8_t bytes[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                            uint8_t(value >> 24)};
        Add(bytes, 4);
    }
};

// After the end of input every call either yields a frame (at least 48 bytes of the
// 8192-byte ring) or moves towards MP3_W_END; this bound is far above that.
constexpr int kCallsAfterEnd = 4000;
// Calls in a row that neither took input nor produced PCM: the decoder is stuck.
constexpr int kStallLimit = 64;

Trace Decode(Mp3Decoder& decoder, const Plan& plan, const uint8_t* data, size_t size) {
    Rng rng(plan.seed);
    Trace trace;
    // Exactly as large as the biggest frame the options allow, so any overrun is caught.
    const int full = Mp3Decoder::kMaxFrameBytes >>
                     (plan.options.downsample_shift + (plan.options.eight_bit ? 1 : 0) +
                      (plan.options.mono ? 1 : 0));
    std::vector<uint8_t> out(static_cast<size_t>(full));
    size_t offset = 0;
    bool ended = false;
    bool retry_full = false;
    int calls_after_end = 0;
    int stalls = 0;
    for (;;) {
        int taken = 0;
        // A frame refused for want of room is retried on the same ring content: more
        // input could rightly change what the synchronisation decides about it.
        if (!retry_full && offset < size) {
            size_t piece = std::min<size_t>(rng.Size(plan.largest_piece), size - offset);
            taken = decoder.Feed(data + offset, static_cast<int>(piece));
            Check(taken >= 0 && static_cast<size_t>(taken) <= piece);
            offset += static_cast<size_t>(taken);
        } else if (!retry_full && !ended) {
            decoder.SetEndOfInput();
            ended = true;
        }
        int capacity = full;
        if (plan.undersized && !retry_full && rng.Next() % 8 == 0) {
            capacity = static_cast<int>(rng.Next() % static_cast<uint32_t>(full));
        }
        int produced = -1;
        Mp3Status status = decoder.DecodeFrame(out.data(), capacity, &produced);
        trace.Add(status);
        if (retry_full) {
            // The refused frame stayed in the ring and is decoded now.
            Check(ProducedPcm(status));
            retry_full = false;
        }
        if (ProducedPcm(status)) {
            Check(produced == ExpectedFrameBytes(decoder.CurrentHeader(), plan.options));
            Check(produced <= capacity);
            trace.Add(out.data(), produced);
        } else {
            Check(produced == 0);
        }
        if (status == MP3_W_END) {
            Check(ended && decoder.IsFinished());
            break;
        }
        Check(!decoder.IsFinished());
        if (status == MP3_E_OUTPUT_TOO_SMALL) {
            Check(capacity < full);
            retry_full = true;
        } else {
            Check(Severity(status) != 3);
        }
        stalls = (taken == 0 && !ProducedPcm(status) && !retry_full) ? stalls + 1 : 0;
        Check(stalls < kStallLimit || ended);
        if (ended) {
            Check(++calls_after_end < kCallsAfterEnd);
        }
    }
    // The end is final until Reset.
    int produced = -1;
    Check(decoder.DecodeFrame(out.data(), full, &produced) == MP3_W_END && produced == 0);
    return trace;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ControlBytes control(data, size);
    Plan plan = ReadPlan(control);
    Mp3Decoder decoder(plan.options);
    Trace first = Decode(decoder, plan, control.Rest(), control.RestSize());
    if (plan.twice) {
        // A reset decoder must behave exactly like a new one.
        decoder.Reset();
        Trace second = Decode(decoder, plan, control.Rest(), control.RestSize());
        Check(first.hash == second.hash);
    }
    return 0;
}
