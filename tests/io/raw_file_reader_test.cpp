#include "io/raw_file_reader.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "support/test_paths.h"

namespace sonarel {
namespace {

std::vector<unsigned char> Pattern(size_t n) {
    std::vector<unsigned char> bytes(n);
    for (size_t i = 0; i < n; ++i) {
        bytes[i] = static_cast<unsigned char>(i * 13 + 1);
    }
    return bytes;
}

class RawFileReaderTest : public ::testing::Test {
protected:
    test::ScratchDir scratch;
    std::string path = (scratch / "stream.mp3").string();
    std::vector<unsigned char> content = Pattern(2500);
    void SetUp() override { test::WriteFileBytes(path, content); }
};

TEST_F(RawFileReaderTest, ReadsTheWholeFileInPieces) {
    RawFileReader reader(path);
    EXPECT_EQ(reader.IsOpen(), 0);
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.IsOpen(), 1);
    EXPECT_EQ(reader.GetSize(), 2500u);
    std::vector<unsigned char> got;
    uint8_t buffer[1024];
    int n;
    while ((n = reader.Read(buffer, sizeof buffer, nullptr)) > 0) {
        got.insert(got.end(), buffer, buffer + n);
        EXPECT_EQ(reader.GetPosition(), got.size());
    }
    EXPECT_EQ(n, 0); // end of file
    EXPECT_EQ(got, content);
}

TEST_F(RawFileReaderTest, ReadWhenClosedOrWithNoLengthGivesNothing) {
    RawFileReader reader(path);
    uint8_t buffer[8];
    EXPECT_EQ(reader.Read(buffer, 8, nullptr), 0);
    ASSERT_EQ(reader.Open(), 0);
    EXPECT_EQ(reader.Read(buffer, 0, nullptr), 0);
    EXPECT_EQ(reader.Read(buffer, -4, nullptr), 0);
    EXPECT_EQ(reader.GetPosition(), 0u);
}

TEST_F(RawFileReaderTest, MissingFileOrFolderFailsWithMinusOne) {
    RawFileReader missing((scratch / "nothing.mp3").string());
    EXPECT_EQ(missing.Open(), -1);
    EXPECT_EQ(missing.IsOpen(), 0);
    RawFileReader folder(scratch.Path().string());
    EXPECT_EQ(folder.Open(), -1);
}

TEST_F(RawFileReaderTest, SeekMovesTheStreamButNotTheDeliveredCount) {
    RawFileReader reader(path);
    EXPECT_EQ(reader.Seek(10), 0); // not open
    ASSERT_EQ(reader.Open(), 0);
    uint8_t buffer[4];
    ASSERT_EQ(reader.Read(buffer, 4, nullptr), 4);
    ASSERT_EQ(reader.Seek(2000), 1);
    ASSERT_EQ(reader.Read(buffer, 4, nullptr), 4);
    EXPECT_EQ(buffer[0], content[2000]);
    EXPECT_EQ(reader.GetPosition(), 8u);
    EXPECT_EQ(reader.Seek(-1), 0);
}

TEST_F(RawFileReaderTest, PositionCountsAcrossReopening) {
    RawFileReader reader(path);
    ASSERT_EQ(reader.Open(), 0);
    uint8_t buffer[100];
    ASSERT_EQ(reader.Read(buffer, 100, nullptr), 100);
    ASSERT_EQ(reader.Open(), 0); // closes and opens again from the start
    ASSERT_EQ(reader.Read(buffer, 100, nullptr), 100);
    EXPECT_EQ(buffer[0], content[0]);
    EXPECT_EQ(reader.GetPosition(), 200u);
    reader.Close();
    EXPECT_EQ(reader.IsOpen(), 0);
}

TEST_F(RawFileReaderTest, ARelativeNameIsResolvedAgainstTheCurrentFolder) {
    RawFileReader reader("stream.mp3");
    EXPECT_TRUE(std::filesystem::path(reader.Str()).is_absolute());
    EXPECT_EQ(reader.GetFileName(), "stream.mp3");
}

TEST_F(RawFileReaderTest, PositionAndSizeCanBeWatchedWhileReading) {
    RawFileReader reader(path);
    ASSERT_EQ(reader.Open(), 0);
    std::atomic<bool> done{false};
    std::thread watcher([&] {
        uint32_t last = 0;
        while (!done.load()) {
            uint32_t now = reader.GetPosition();
            EXPECT_GE(now, last);
            EXPECT_LE(now, reader.GetSize());
            last = now;
        }
    });
    uint8_t buffer[7];
    while (reader.Read(buffer, sizeof buffer, nullptr) > 0) {
    }
    done = true;
    watcher.join();
    EXPECT_EQ(reader.GetPosition(), 2500u);
}

} // namespace
} // namespace sonarel
