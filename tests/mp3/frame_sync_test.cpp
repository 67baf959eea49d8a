// The input ring's synchronisation state machine, driven with synthetic frames.
#include <gtest/gtest.h>

#include <vector>

#include "frame_builder.h"
#include "mp3/frame_sync_buffer.h"

namespace sonarel::mp3 {
namespace {

using test::Append;
using test::BuildFrame;
using test::HeaderFields;

std::vector<uint8_t> Frames(const std::vector<HeaderFields>& headers) {
    std::vector<uint8_t> stream;
    for (const HeaderFields& fields : headers) {
        Append(stream, BuildFrame(fields));
    }
    return stream;
}

class FrameSyncTest : public ::testing::Test {
protected:
    void Write(const std::vector<uint8_t>& bytes) {
        ASSERT_EQ(ring_.WriteBytes(bytes.data(), static_cast<int>(bytes.size())),
                  static_cast<int>(bytes.size()));
    }
    // What the frame driver does after decoding: move to the next frame.
    void ConsumeFrame() { ring_.Skip(ring_.Header().frame_bits); }

    FrameSyncBuffer ring_{8192};
};

const HeaderFields k128{};
const HeaderFields k64{0, 3, false, 5};
const HeaderFields k48kHz{0, 3, false, 9, 1};

TEST_F(FrameSyncTest, ALoneFrameIsTakenOnlyWhenItEndsTheInput) {
    Write(BuildFrame(k128));
    EXPECT_EQ(ring_.Sync(), MP3_W_SEARCHING);
    ring_.SetEnd();
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    ConsumeFrame();
    EXPECT_EQ(ring_.Sync(), MP3_W_END);

    ring_.Reset(); // followed by anything, nothing confirms it
    std::vector<uint8_t> stream = BuildFrame(k128);
    Append(stream, std::vector<uint8_t>(40, 0x55));
    Write(stream);
    ring_.SetEnd();
    EXPECT_EQ(ring_.Sync(), MP3_W_END);
}

TEST_F(FrameSyncTest, TwoFramesLockAndTheLastOneEndingTheDataIsDecoded) {
    Write(Frames({k128, k128}));
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    EXPECT_EQ(ring_.ConsumedBits(), 0);
    EXPECT_EQ(ring_.ReadPos(), 0);
    EXPECT_EQ(ring_.Header().bitrate, 128000);
    EXPECT_EQ(ring_.LockedPattern(), 0xFFFA0000u);
    ConsumeFrame();
    EXPECT_EQ(ring_.Sync(), MP3_OK); // the data ends exactly at its end
    ConsumeFrame();
    EXPECT_EQ(ring_.Sync(), MP3_W_NEED_MORE);
    ring_.SetEnd();
    EXPECT_EQ(ring_.Sync(), MP3_W_END);
    EXPECT_EQ(ring_.Sync(), MP3_W_END) << "the end is final";
}

TEST_F(FrameSyncTest, ALockedFrameBeforeATrailerIsTaken) {
    std::vector<uint8_t> stream = Frames({k128, k128});
    std::vector<uint8_t> trailer(128, 0x20);
    trailer[0] = 'T';
    trailer[1] = 'A';
    trailer[2] = 'G';
    Append(stream, trailer);
    Write(stream);
    ring_.SetEnd();
    for (int frame = 0; frame < 2; ++frame) {
        ASSERT_EQ(ring_.Sync(), MP3_OK);
        ConsumeFrame();
    }
    EXPECT_EQ(ring_.Sync(), MP3_W_SYNC_LOST);
    EXPECT_EQ(ring_.Sync(), MP3_W_END); // the search finds nothing in what is left
}

TEST_F(FrameSyncTest, AShortTailAfterTheLastFrameWaitsThenEnds) {
    std::vector<uint8_t> stream = Frames({k128, k128});
    Append(stream, {0xFF, 0xFB, 0x90}); // 24 bits: not even a header
    Write(stream);
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    ConsumeFrame();
    EXPECT_EQ(ring_.Sync(), MP3_W_NEED_MORE); // the next header is awaited
    ring_.SetEnd();
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    ConsumeFrame();
    EXPECT_EQ(ring_.Sync(), MP3_W_END);
}

// Junk that begins with a copy of the stream's header looks like a frame; with a CRC word
// that fails and no header after it, it is not one, and the real frame that starts inside
// it is found.
TEST_F(FrameSyncTest, JunkWithACopiedHeaderDoesNotHideTheFrameInsideIt) {
    HeaderFields crc = k128;
    crc.crc = true;
    const std::vector<uint8_t> frames = Frames({crc, crc, crc});
    const size_t frame = frames.size() / 3;
    std::vector<uint8_t> stream(frames.begin(), frames.begin() + long(frame));
    std::vector<uint8_t> junk(150, 0x5A);
    std::copy(frames.begin(), frames.begin() + 4, junk.begin());
    Append(stream, junk);
    stream.insert(stream.end(), frames.begin() + long(frame), frames.end());
    Write(stream);
    ring_.SetEnd();
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    ConsumeFrame();
    EXPECT_EQ(ring_.Sync(), MP3_W_SYNC_LOST);
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    EXPECT_EQ(ring_.ReadPos(), static_cast<int>(8 * (frame + 150)));
}

TEST_F(FrameSyncTest, BitRateChangesKeepTheLock) {
    Write(Frames({k128, k64, k128, k64}));
    for (int bitrate : {128000, 64000, 128000, 64000}) {
        ASSERT_EQ(ring_.Sync(), MP3_OK);
        EXPECT_EQ(ring_.Header().bitrate, bitrate);
        ConsumeFrame();
    }
}

TEST_F(FrameSyncTest, ASampleRateChangeLosesSyncAndRelocks) {
    const std::vector<uint8_t> first = Frames({k128, k128});
    Write(first);
    Write(Frames({k48kHz, k48kHz, k48kHz}));
    for (int frame = 0; frame < 2; ++frame) {
        ASSERT_EQ(ring_.Sync(), MP3_OK);
        ConsumeFrame();
    }
    EXPECT_EQ(ring_.Sync(), MP3_W_SYNC_LOST);
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    EXPECT_EQ(ring_.Header().sample_rate, 48000);
    EXPECT_EQ(ring_.ReadPos(), static_cast<int>(8 * first.size()));
}

TEST_F(FrameSyncTest, AHeaderAtAnOddBitOffsetIsFound) {
    const std::vector<uint8_t> frames = Frames({k128, k128, k128});
    test::BitWriter shifted;
    shifted.Put(0b101, 3);
    for (uint8_t byte : frames) {
        shifted.Put(byte, 8);
    }
    Write(shifted.Bytes());
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    EXPECT_EQ(ring_.ReadPos(), 3);
    EXPECT_EQ(ring_.ConsumedBits(), 0);
}

TEST_F(FrameSyncTest, GarbageBeforeTheFirstFrameIsSkipped) {
    std::vector<uint8_t> stream(333, 0xFF); // sync-like bits that never form a frame
    Append(stream, Frames({k128, k128}));
    Write(stream);
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    EXPECT_EQ(ring_.ReadPos(), 8 * 333);
}

TEST_F(FrameSyncTest, AnIncompleteFrameNeedsMoreUntilItArrives) {
    const std::vector<uint8_t> stream = Frames({k128, k128, k128});
    const size_t frame = stream.size() / 3;
    Write({stream.begin(), stream.begin() + static_cast<long>(frame + 4)});
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    ConsumeFrame();
    EXPECT_EQ(ring_.Sync(), MP3_W_NEED_MORE);
    Write({stream.begin() + static_cast<long>(frame + 4), stream.end()});
    EXPECT_EQ(ring_.Sync(), MP3_OK);
}

TEST_F(FrameSyncTest, LayerOneAndTwoNeverSynchronise) {
    HeaderFields layer1 = k128, layer2 = k128;
    layer1.layer = 1;
    layer2.layer = 2;
    for (const HeaderFields& fields : {layer1, layer2}) {
        ring_.Reset();
        std::vector<uint8_t> stream;
        for (int i = 0; i < 5; ++i) {
            test::BitWriter writer;
            writer.Put(test::HeaderWord(fields), 32);
            writer.PadToBytes(400);
            Append(stream, writer.Bytes());
        }
        Write(stream);
        ring_.SetEnd();
        EXPECT_EQ(ring_.Sync(), MP3_W_END);
    }
}

TEST_F(FrameSyncTest, ResetForgetsTheLock) {
    Write(Frames({k128, k128}));
    ASSERT_EQ(ring_.Sync(), MP3_OK);
    ring_.Reset();
    EXPECT_EQ(ring_.Status(), MP3_W_SEARCHING);
    EXPECT_EQ(ring_.LockedPattern(), 0u);
    EXPECT_EQ(ring_.AvailBits(), 0);
}

} // namespace
} // namespace sonarel::mp3
