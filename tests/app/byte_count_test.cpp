// Number texts and the progress arithmetic of the dialog.
#include "app/byte_count.h"

#include <cstdint>
#include <gtest/gtest.h>

namespace sonarel {
namespace {

TEST(ByteCount, DigitsInThreesSizesPastFourGibibytesAndExactPercents) {
    const std::pair<int64_t, const char*> texts[] = {
        {0, "0"},
        {999, "999"},
        {1000, "1,000"},
        {100000, "100,000"},
        {1234567, "1,234,567"},
        // 1.1 G sample frames of stereo: beyond 2 GiB 36 bytes are reserved for RF64 sizes.
        {OutputFileBytes(1'100'000'000, 2), "4,400,000,092"},
    };
    for (const auto& [value, text] : texts) {
        EXPECT_EQ(FormatByteCount(value), text);
    }
    EXPECT_EQ(OutputFileBytes(44100, 1), 56 + 88200);
    EXPECT_EQ(OutputFileBytes(536'870'912, 2), 56 + 2'147'483'648); // 2 GiB: no reservation yet
    std::uint32_t percent = 77;
    EXPECT_FALSE(ProgressPercent(10, 0, percent)); // an empty input gives nothing
    EXPECT_EQ(percent, 77u);
    ASSERT_TRUE(ProgressPercent(0xFFFFFFFFu, 0xFFFFFFFFu, percent));
    EXPECT_EQ(percent, 100u);
}

} // namespace
} // namespace sonarel
