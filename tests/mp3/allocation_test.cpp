// The decoder allocates its rings once; decoding frames must not touch the heap.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "decode_helpers.h"
#include "support/test_paths.h"

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

void* CountedAllocation(std::size_t size) {
    if (g_counting.load(std::memory_order_relaxed)) {
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    }
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

} // namespace

// Replaces the global allocation functions of this test program, counting only while a
// decode loop runs.
void* operator new(std::size_t size) {
    return CountedAllocation(size);
}
void* operator new[](std::size_t size) {
    return CountedAllocation(size);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}

namespace sonarel::test {
namespace {

long AllocationsWhileDecoding(const std::vector<uint8_t>& stream,
                              const mp3::DecoderOptions& options, int* frames) {
    mp3::Mp3Decoder decoder(options);
    std::vector<uint8_t> out(4608);
    size_t offset = 0;
    *frames = 0;
    bool first_frame_done = false;
    while (true) {
        offset += static_cast<size_t>(
            decoder.Feed(stream.data() + offset,
                         static_cast<int>(std::min<size_t>(2048, stream.size() - offset))));
        if (offset == stream.size()) {
            decoder.SetEndOfInput();
        }
        int produced = 0;
        decoder.DecodeFrame(out.data(), 4608, &produced);
        if (produced > 0) {
            ++*frames;
            if (!first_frame_done) {
                first_frame_done = true;
                g_allocations = 0;
                g_counting = true;
            }
        } else if (decoder.IsFinished()) {
            break;
        }
    }
    g_counting = false;
    return g_allocations.load();
}

TEST(Allocation, TheCounterSeesAllocations) {
    g_allocations = 0;
    g_counting = true;
    delete new std::vector<int>(3);
    g_counting = false;
    EXPECT_EQ(g_allocations.load(), 2);
}

TEST(Allocation, NoHeapUseAfterTheFirstFrame) {
    const char* streams[] = {"vbr_44100_stereo.mp3", "cbr_8000_stereo.mp3", "crc_22050_mono.mp3"};
    const mp3::DecoderOptions options[] = {{}, {1, false, false}, {2, true, true}};
    for (const char* name : streams) {
        for (const mp3::DecoderOptions& option : options) {
            SCOPED_TRACE(name);
            int frames = 0;
            EXPECT_EQ(
                AllocationsWhileDecoding(LoadFile(FixturesDir() / "mp3" / name), option, &frames),
                0);
            EXPECT_GT(frames, 10);
        }
    }
}

} // namespace
} // namespace sonarel::test
