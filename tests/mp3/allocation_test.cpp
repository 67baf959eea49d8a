// The decoder allocates its rings once; decoding frames must not touch the heap.
#include "bench/decode_loop.h"
#include "decode_helpers.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <gtest/gtest.h>
#include <new>
#include <vector>

namespace {

std::atomic<bool> g_counting{false};
std::atomic<long> g_allocations{0};

void* CountedAllocation(std::size_t size) {
    g_allocations += g_counting ? 1 : 0;
    if (void* p = std::malloc(size == 0 ? 1 : size)) {
        return p;
    }
    throw std::bad_alloc();
}

} // namespace

// Replaces the global allocation functions of this test program, all four pairs (a missing
// array form would pair the library's operator new[] with this free), counting only while a
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

TEST(Allocation, NoHeapUseAfterTheFirstFrame) {
    g_counting = true;
    delete new std::vector<int>(3);
    g_counting = false;
    ASSERT_EQ(g_allocations, 2) << "the counter sees allocations";
    const mp3::DecoderOptions options[] = {{0, false, false}, {1, false, false}, {2, true, true}};
    for (const char* name : {"vbr_44100_stereo.mp3", "cbr_8000_stereo.mp3", "crc_22050_mono.mp3"}) {
        const std::vector<uint8_t> stream = LoadFixture(name);
        for (const mp3::DecoderOptions& option : options) {
            SCOPED_TRACE(name);
            mp3::Mp3Decoder decoder(option);
            int frames = 0;
            bench::DecodeInPieces(
                decoder, stream.data(), stream.size(), [] { return size_t{2048}; },
                [&frames](mp3::Mp3Status, const uint8_t*, int produced) {
                    if (produced > 0 && frames++ == 0) { // the count starts after the first frame
                        g_allocations = 0;
                        g_counting = true;
                    }
                });
            g_counting = false;
            EXPECT_GT(frames, 10);
            EXPECT_EQ(g_allocations, 0);
        }
    }
}

} // namespace
} // namespace sonarel::test
