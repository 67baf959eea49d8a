// Damaged, illegal, foreign and random input: no crash, no hang, whole frames only.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "decode_helpers.h"
#include "support/test_paths.h"

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

bool IsConformanceStream(const std::string& name) {
    if (name.size() < 4 || name.compare(name.size() - 4, 4, ".bit") != 0) {
        return false;
    }
    const bool layer3 = name.rfind("l3-", 0) == 0 || name.rfind("M2L3_", 0) == 0;
    return layer3 && name.find("nonstandard") == std::string::npos && name != "l3-he_free.bit";
}

std::vector<fs::path> OtherVectorFiles() {
    std::vector<fs::path> files;
    for (const auto& entry : fs::recursive_directory_iterator(VectorsDir())) {
        const std::string name = entry.path().filename().string();
        // Reference PCM is fed as well: sixteen megabytes of foreign data.
        if (entry.is_regular_file() && entry.path().extension() != ".md" &&
            !IsConformanceStream(name)) {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

// Every PCM-producing call gives one whole frame of one of the possible sizes.
void ExpectWholeFrames(const DecodedStream& decoded) {
    EXPECT_FALSE(decoded.hung);
    for (int bytes : decoded.frame_bytes) {
        EXPECT_TRUE(bytes == 4608 || bytes == 2304 || bytes == 1152) << bytes;
    }
    for (mp3::Mp3Status status : decoded.other_statuses) {
        EXPECT_EQ(mp3::Severity(status), 2u) << StatusName(status);
    }
}

TEST(Robustness, EveryOtherVectorDecodesWithoutFault) {
    if (VectorsDir().empty()) {
        GTEST_SKIP() << "conformance streams skipped: ../shared/vectors is not present";
    }
    const std::vector<fs::path> files = OtherVectorFiles();
    EXPECT_GT(files.size(), 100u);
    for (const fs::path& file : files) {
        SCOPED_TRACE(file.filename().string());
        const DecodedStream decoded = DecodeStream(LoadFile(file));
        ExpectWholeFrames(decoded);
        EXPECT_EQ(decoded.other_statuses.back(), mp3::MP3_W_END);
    }
}

TEST(Robustness, LayerOneAndTwoStreamsNeverSynchronise) {
    if (VectorsDir().empty()) {
        GTEST_SKIP() << "conformance streams skipped: ../shared/vectors is not present";
    }
    for (const char* name : {"l1-fl1.bit", "l2-fl10.bit", "ILL2_layer1.bit", "ILL2_mono.bit"}) {
        SCOPED_TRACE(name);
        const DecodedStream decoded = DecodeStream(LoadFile(VectorsDir() / name));
        EXPECT_FALSE(decoded.hung);
        EXPECT_TRUE(decoded.pcm.empty());
        EXPECT_EQ(std::count(decoded.other_statuses.begin(), decoded.other_statuses.end(),
                             mp3::MP3_W_SYNC_LOST),
                  0);
    }
}

TEST(Robustness, RandomGarbage) {
    std::mt19937 rng(20240601);
    for (int round = 0; round < 8; ++round) {
        std::vector<uint8_t> garbage(static_cast<size_t>(1000 + 20000 * round));
        for (uint8_t& byte : garbage) {
            byte = static_cast<uint8_t>(rng());
        }
        if (round % 2 == 1) {
            // Sync-like runs make the search look at many more candidates.
            for (size_t i = 0; i + 1 < garbage.size(); i += 97) {
                garbage[i] = 0xFF;
                garbage[i + 1] |= 0xE2;
            }
        }
        SCOPED_TRACE(round);
        ExpectWholeFrames(DecodeStream(garbage));
    }
}

// A false header in random bytes is never confirmed by a second one at the right
// distance: megabytes of them give no audio, alone or between valid frames.
TEST(Robustness, RandomBytesGiveNoAudio) {
    std::mt19937 rng(77);
    std::vector<uint8_t> garbage(2 << 20);
    for (uint8_t& byte : garbage) {
        byte = static_cast<uint8_t>(rng());
    }
    EXPECT_TRUE(DecodeStream(garbage).pcm.empty());

    const std::vector<uint8_t> song = LoadFile(FixturesDir() / "mp3" / "cbr_44100_stereo.mp3");
    const size_t song_pcm = DecodeStream(song).pcm.size();
    std::vector<uint8_t> sandwich = song;
    sandwich.insert(sandwich.end(), garbage.begin(), garbage.end());
    sandwich.insert(sandwich.end(), song.begin(), song.end());
    const DecodedStream decoded = DecodeStream(sandwich);
    ASSERT_FALSE(decoded.hung);
    // The second copy's information frame is not at the start of the stream: like other
    // decoders, this one plays it as the silent frame it is.
    EXPECT_EQ(decoded.pcm.size(), 2 * song_pcm + 4608);
}

// Conformance streams with random bytes overwritten, cut short, or with pieces missing:
// the sanitiser builds check that no stage reads or writes outside its buffers.
TEST(Robustness, DamagedLayerThreeStreams) {
    std::vector<fs::path> sources;
    if (!VectorsDir().empty()) {
        for (const char* name : {"l3-compl.bit", "l3-he_mode.bit", "M2L3_compl24.bit",
                                 "l3-si_block.bit", "l3-test45.bit"}) {
            sources.push_back(VectorsDir() / name);
        }
    }
    for (const char* name :
         {"cbr_8000_stereo.mp3", "crc_44100_stereo.mp3", "vbr_44100_stereo.mp3"}) {
        sources.push_back(FixturesDir() / "mp3" / name);
    }
    std::mt19937 rng(77);
    for (const fs::path& source : sources) {
        const std::vector<uint8_t> clean = LoadFile(source);
        ASSERT_FALSE(clean.empty()) << source;
        for (int variant = 0; variant < 6; ++variant) {
            std::vector<uint8_t> bytes = clean;
            const size_t damage = 1 + rng() % (bytes.size() / 50 + 1);
            for (size_t i = 0; i < damage; ++i) {
                bytes[rng() % bytes.size()] = static_cast<uint8_t>(rng());
            }
            if (variant % 3 == 1) {
                const size_t at = rng() % bytes.size();
                bytes.erase(bytes.begin() + static_cast<long>(at),
                            bytes.begin() +
                                static_cast<long>(std::min(bytes.size(), at + rng() % 3000)));
            }
            if (variant % 3 == 2) {
                bytes.resize(rng() % bytes.size());
            }
            SCOPED_TRACE(source.filename().string() + " variant " + std::to_string(variant));
            ExpectWholeFrames(DecodeStream(bytes));
        }
    }
}

} // namespace
} // namespace sonarel::test
