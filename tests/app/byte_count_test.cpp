// Number texts and the progress arithmetic of the dialog.
#include "app/byte_count.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <limits>

namespace sonarel {
namespace {

TEST(FormatByteCount, GroupsDigitsInThrees) {
    EXPECT_EQ(FormatByteCount(0), "0");
    EXPECT_EQ(FormatByteCount(7), "7");
    EXPECT_EQ(FormatByteCount(999), "999");
    EXPECT_EQ(FormatByteCount(1000), "1,000");
    EXPECT_EQ(FormatByteCount(1234567), "1,234,567");
    EXPECT_EQ(FormatByteCount(100000), "100,000");
    EXPECT_EQ(FormatByteCount(4294967295LL), "4,294,967,295");
    EXPECT_EQ(FormatByteCount(-1234), "-1,234");
    EXPECT_EQ(FormatByteCount(std::numeric_limits<std::int64_t>::max()),
              "9,223,372,036,854,775,807");
    EXPECT_EQ(FormatByteCount(std::numeric_limits<std::int64_t>::min()),
              "-9,223,372,036,854,775,808");
}

// A 4.4 GB output is shown as such, not wrapped at 4 GiB.
TEST(OutputFileBytes, CountsPastFourGibibytes) {
    EXPECT_EQ(OutputFileBytes(0, 2), 56);
    EXPECT_EQ(OutputFileBytes(44100, 1), 56 + 88200);
    EXPECT_EQ(OutputFileBytes(536'870'912, 1), 56 + 1'073'741'824); // 1 GiB of data
    EXPECT_EQ(OutputFileBytes(536'870'912, 2), 56 + 2'147'483'648); // 2 GiB: no reservation yet
    // Beyond 2 GiB the writer reserves 36 bytes for RF64 sizes.
    EXPECT_EQ(FormatByteCount(OutputFileBytes(1'100'000'000, 2)), "4,400,000,092");
}

TEST(ProgressPercent, IsExactWhereThirtyTwoBitsWouldOverflow) {
    std::uint32_t percent = 0;
    ASSERT_TRUE(ProgressPercent(39'600'000, 40'000'000, percent));
    EXPECT_EQ(percent, 99u);
    ASSERT_TRUE(ProgressPercent(50'000'000, 100'000'000, percent));
    EXPECT_EQ(percent, 50u);
    ASSERT_TRUE(ProgressPercent(0xFFFFFFFFu, 0xFFFFFFFFu, percent));
    EXPECT_EQ(percent, 100u);
    ASSERT_TRUE(ProgressPercent(0, 1, percent));
    EXPECT_EQ(percent, 0u);
}

TEST(ProgressPercent, SizeZeroGivesNothing) {
    std::uint32_t percent = 77;
    EXPECT_FALSE(ProgressPercent(0, 0, percent));
    EXPECT_FALSE(ProgressPercent(10, 0, percent));
    EXPECT_EQ(percent, 77u);
}

} // namespace
} // namespace sonarel
