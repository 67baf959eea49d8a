// The ISO/IEC 11172-4 and 13818-4 Layer III streams against the reference decoder's PCM.
#include <gtest/gtest.h>

#include <cstdio>
#include <initializer_list>
#include <string>

#include "decode_helpers.h"
#include "support/test_paths.h"

namespace sonarel::test {
namespace {

constexpr const char* kSkipMessage =
    "conformance streams skipped: ../shared/vectors is not present beside the checkout";

// The reference decoder discards a frame whose main data reaches back before the start
// of the stream; this decoder outputs concealment for it instead. Such frames can only
// lead the stream, so they are left out of the comparison.
std::vector<int16_t> SamplesAfterLeadingConcealment(const DecodedStream& decoded,
                                                    int* dropped_frames) {
    size_t skip = 0;
    int frames = 0;
    for (; frames < static_cast<int>(decoded.frame_statuses.size()) &&
           decoded.frame_statuses[static_cast<size_t>(frames)] == mp3::MP3_I_RESERVOIR_CONCEALED;
         ++frames) {
        skip += static_cast<size_t>(decoded.frame_bytes[static_cast<size_t>(frames)]);
    }
    *dropped_frames = frames;
    return AsSamples({decoded.pcm.begin() + static_cast<long>(skip), decoded.pcm.end()});
}

PcmComparison CompareWithReference(const std::string& label, const DecodedStream& decoded,
                                   const std::filesystem::path& reference_path) {
    const std::vector<int16_t> reference = AsSamples(LoadFile(reference_path));
    EXPECT_FALSE(reference.empty()) << reference_path;
    int dropped = 0;
    const std::vector<int16_t> samples = SamplesAfterLeadingConcealment(decoded, &dropped);
    const PcmComparison cmp = ComparePcm(samples, reference);
    std::printf("[ PSNR     ] %-24s %8zu samples  max diff %d  PSNR %.1f dB", label.c_str(),
                cmp.compared, cmp.max_diff, cmp.psnr_db);
    if (cmp.over_one > 0) {
        std::printf("  (%zu samples off by more than 1)", cmp.over_one);
    }
    std::printf(dropped > 0 ? "  (%d leading frames without main data skipped)\n" : "\n", dropped);
    EXPECT_FALSE(cmp.decoded_too_short)
        << "decoded " << samples.size() << " samples, reference " << reference.size();
    EXPECT_LE(cmp.max_diff, 1);
    EXPECT_LE(cmp.over_one, 10u);
    EXPECT_GT(cmp.psnr_db, 90.0);
    return cmp;
}

class ConformanceTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ConformanceTest, MatchesReferenceWithinOneLsb) {
    const auto dir = VectorsDir();
    if (dir.empty()) {
        GTEST_SKIP() << kSkipMessage;
    }
    const std::string name = GetParam();
    const DecodedStream decoded = DecodeStream(LoadFile(dir / (name + ".bit")));
    ASSERT_FALSE(decoded.hung);
    CompareWithReference(name, decoded, dir / (name + ".pcm"));
}

// Each vector path the processor runs gives exactly the portable path's output, with the
// standard window and with the shortened one of the mono downmix.
TEST_P(ConformanceTest, EveryVectorPathMatchesThePortableOne) {
    const auto dir = VectorsDir();
    if (dir.empty()) {
        GTEST_SKIP() << kSkipMessage;
    }
    const std::vector<uint8_t> stream = LoadFile(dir / (GetParam() + ".bit"));
    for (bool mono : {false, true}) {
        mp3::DecoderOptions options;
        options.mono = mono;
        options.vectors = mp3::VectorPath::kPortable;
        const std::vector<uint8_t> portable = DecodeStream(stream, options).pcm;
        ASSERT_FALSE(portable.empty());
        for (mp3::VectorPath path : {mp3::VectorPath::kSse2, mp3::VectorPath::kAvx2}) {
            if (mp3::ResolveVectorPath(path) != path) {
                continue; // not on this processor
            }
            options.vectors = path;
            EXPECT_TRUE(DecodeStream(stream, options).pcm == portable)
                << "path " << static_cast<int>(path) << (mono ? ", mono" : "");
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Layer3, ConformanceTest,
                         ::testing::Values("l3-compl", "l3-he_32khz", "l3-he_44khz", "l3-he_48khz",
                                           "l3-he_mode", "l3-hecommon", "l3-si", "l3-si_block",
                                           "l3-si_huff", "l3-sin1k0db", "l3-test45", "l3-test46",
                                           "M2L3_bitrate_16_all", "M2L3_bitrate_22_all",
                                           "M2L3_bitrate_24_all", "M2L3_compl24", "M2L3_noise"),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string name = info.param;
                             for (char& c : name) {
                                 if (c == '-') {
                                     c = '_';
                                 }
                             }
                             return name;
                         });

// The sine stream cut at byte 633, in the middle of a frame: the bytes before the first
// confirmed header are skipped and the first frames, whose main data is gone, come out
// as concealment of full length.
TEST(Conformance, StreamCutInTheMiddleOfAFrame) {
    const auto dir = VectorsDir();
    if (dir.empty()) {
        GTEST_SKIP() << kSkipMessage;
    }
    const std::vector<uint8_t> whole = LoadFile(dir / "l3-sin1k0db.bit");
    ASSERT_GT(whole.size(), 633u);
    const DecodedStream decoded = DecodeStream({whole.begin() + 633, whole.end()});
    ASSERT_FALSE(decoded.hung);
    ASSERT_GE(decoded.frame_statuses.size(), 3u);
    EXPECT_EQ(decoded.frame_statuses[0], mp3::MP3_I_RESERVOIR_CONCEALED);
    EXPECT_EQ(decoded.frame_bytes[0], 4608);
    CompareWithReference("l3-sin1k0db_ofs633", decoded, dir / "l3-sin1k0db_ofs633.pcm");
}

TEST(Conformance, FreeFormatStreamYieldsNoPcm) {
    const auto dir = VectorsDir();
    if (dir.empty()) {
        GTEST_SKIP() << kSkipMessage;
    }
    const DecodedStream decoded = DecodeStream(LoadFile(dir / "l3-he_free.bit"));
    EXPECT_FALSE(decoded.hung);
    EXPECT_TRUE(decoded.pcm.empty());
    ASSERT_FALSE(decoded.other_statuses.empty());
    EXPECT_EQ(decoded.other_statuses.back(), mp3::MP3_W_END);
}

} // namespace
} // namespace sonarel::test
