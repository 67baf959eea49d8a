// Huffman tries and the spectrum decoder.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frame_builder.h"
#include "mp3/huffman_decoder.h"
#include "support/test_paths.h"

namespace sonarel::mp3 {
namespace {

void PutCode(test::BitWriter& writer, const std::string& code) {
    for (char c : code) {
        writer.Put(c == '1' ? 1 : 0, 1);
    }
}

class HuffmanTest : public ::testing::Test {
protected:
    // Loads the bits into the reservoir with a few bits of something else in front.
    void Load(const std::string& codes) {
        test::BitWriter writer;
        writer.Put(0b101, 3);
        PutCode(writer, codes);
        std::vector<uint8_t> bytes = writer.Bytes();
        bytes.resize(bytes.size() + 8, 0xFF);
        reservoir_.Reset();
        reservoir_.WriteBytes(bytes.data(), static_cast<int>(bytes.size()));
        reservoir_.Skip(3);
        reservoir_.SetConsumedBits(0);
    }
    // Huffman data only (no scale factors): part2_3_length is the code length.
    void Decode(const std::string& codes) {
        Load(codes);
        gi_.part2_3_length = static_cast<int>(codes.size());
        DecodeSpectrum(reservoir_, ix_, gi_, params_);
        EXPECT_EQ(reservoir_.ConsumedBits(), gi_.part2_3_length);
    }

    BitRingBuffer reservoir_{2048};
    GranuleInfo gi_{};
    FrameParams params_{2, 0, 0, 0, 0, 32, 1, 1, 0}; // MPEG-1 44.1 kHz
    int32_t ix_[576];
};

TEST_F(HuffmanTest, KnownCodeWordsReachTheirLeaves) {
    struct Case {
        int table;
        const char* code;
        int value;
    } cases[] = {
        {1, "1", 0x00},          {1, "001", 0x01},
        {1, "01", 0x10},         {1, "000", 0x11},
        {16, "0101", 0x01},      {16, "00000011", 0xFF},
        {16, "000001100", 0xF0}, {13, "0000000000000001", 0xFF},
        {32, "000000", 0b1011},  {33, "0000", 0b1111},
        {24, "001011000", 0x0F}, // tables 24..31 share one trie
    };
    for (const Case& c : cases) {
        Load(c.code);
        EXPECT_EQ(HuffmanStep(reservoir_, c.table), c.value) << c.table << " " << c.code;
        EXPECT_EQ(reservoir_.ConsumedBits(), static_cast<int>(std::string(c.code).size()));
    }
}

TEST_F(HuffmanTest, EveryCodeWordOfTheStandardDecodes) {
    const auto dir = test::VectorsDir();
    if (dir.empty()) {
        GTEST_SKIP() << "code word list skipped: ../shared is not present beside the checkout";
    }
    std::ifstream in(dir.parent_path() / "tables" / "huffman.txt");
    ASSERT_TRUE(in) << "tables/huffman.txt missing";
    std::string line;
    int table = -1;
    int checked = 0;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string first;
        if (!(words >> first) || first[0] == '#') {
            continue;
        }
        if (first == "table" || first == "quad") {
            words >> table;
            continue;
        }
        std::vector<std::string> tokens = {first};
        for (std::string token; words >> token;) {
            tokens.push_back(token);
        }
        const bool quad = tokens.size() == 6;
        ASSERT_TRUE(quad || tokens.size() == 4) << line;
        std::vector<int> v;
        for (size_t i = 0; i + 2 < tokens.size(); ++i) {
            v.push_back(std::stoi(tokens[i]));
        }
        const int value = quad ? v[0] * 8 + v[1] * 4 + v[2] * 2 + v[3] : v[0] * 16 + v[1];
        const std::string word = tokens.back();
        ASSERT_EQ(std::stoi(tokens[tokens.size() - 2]), static_cast<int>(word.size()));
        Load(word);
        ASSERT_EQ(HuffmanStep(reservoir_, table), value) << "table " << table << " " << word;
        ASSERT_EQ(reservoir_.ConsumedBits(), static_cast<int>(word.size()));
        ++checked;
    }
    EXPECT_EQ(checked, 1410); // every code word of the 17 tables
}

TEST_F(HuffmanTest, NoBigValuesAndNoCountOneGivesSilence) {
    gi_.big_values = 0;
    Decode("");
    EXPECT_EQ(gi_.nonzero_count, 0);
    EXPECT_EQ(gi_.long_bands_apply, 1);
    EXPECT_EQ(gi_.long_band_count, 0);
    for (int32_t value : ix_) {
        EXPECT_EQ(value, 0);
    }
}

TEST_F(HuffmanTest, TableZeroRegionsReadNothingAndCountOneStartsBehindThem) {
    gi_.big_values = 4;
    gi_.table_select[0] = gi_.table_select[1] = gi_.table_select[2] = 0;
    gi_.count1table_select = 1; // table B: fixed four-bit codes
    Decode("0111"
           "1"); // v = 1, negative
    EXPECT_EQ(ix_[8], -1);
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(ix_[i], 0);
    }
    EXPECT_EQ(gi_.nonzero_count, 9);
}

TEST_F(HuffmanTest, AQuadrupleRunningPastTheGranuleIsDropped) {
    gi_.big_values = 0;
    gi_.count1table_select = 1;
    Load("1110"
         "0"
         "0000"
         "1111");
    gi_.part2_3_length = 7; // the second quadruple would end at bit 13
    DecodeSpectrum(reservoir_, ix_, gi_, params_);
    EXPECT_EQ(reservoir_.ConsumedBits(), 7);
    EXPECT_EQ(ix_[3], 1);
    EXPECT_EQ(gi_.nonzero_count, 4);
    for (int i = 4; i < 576; ++i) {
        ASSERT_EQ(ix_[i], 0) << i;
    }
}

TEST_F(HuffmanTest, CountOneStopsAtTheLastLinesAndSkipsTheStuffing) {
    gi_.big_values = 286; // 572 lines of table 0: no bits
    gi_.count1table_select = 1;
    Load("1110"
         "1"
         "0000"
         "0000"
         "0000");
    gi_.part2_3_length = 17;
    DecodeSpectrum(reservoir_, ix_, gi_, params_);
    EXPECT_EQ(reservoir_.ConsumedBits(), 17);
    EXPECT_EQ(ix_[575], -1);
    EXPECT_EQ(gi_.nonzero_count, 576);
}

// Damaged side information: the scale factors or the big values already ran past
// part2_3_length. No quadruple is decoded, none is dropped, and the reader goes back.
TEST_F(HuffmanTest, DataThatAlreadyRanPastTheGranuleEndKeepsItsLines) {
    Load("0000000000");
    reservoir_.SetConsumedBits(12); // as if the scale factors had taken 12 bits
    gi_.big_values = 0;
    gi_.part2_3_length = 5;
    DecodeSpectrum(reservoir_, ix_, gi_, params_);
    EXPECT_EQ(gi_.nonzero_count, 0);
    EXPECT_EQ(reservoir_.ConsumedBits(), 5);

    gi_.big_values = 2;
    gi_.table_select[0] = 1;
    gi_.region0_count = 7;
    gi_.region1_count = 7;
    Load("001"
         "1"
         "001"
         "0");
    gi_.part2_3_length = 3;
    DecodeSpectrum(reservoir_, ix_, gi_, params_);
    EXPECT_EQ(ix_[1], -1);
    EXPECT_EQ(ix_[3], 1);
    EXPECT_EQ(gi_.nonzero_count, 4);
    EXPECT_EQ(reservoir_.ConsumedBits(), 3);
}

TEST_F(HuffmanTest, EscapeOfTableSixteenAddsOneLinbit) {
    gi_.big_values = 1;
    gi_.table_select[0] = 16;
    gi_.region0_count = 7;
    gi_.region1_count = 7;
    Decode("000001100"
           "1"
           "1"); // x = 15, linbit 1, negative; y = 0
    EXPECT_EQ(ix_[0], -16);
    EXPECT_EQ(ix_[1], 0);
    EXPECT_EQ(gi_.nonzero_count, 1);
}

TEST_F(HuffmanTest, NonzeroCountOnABandBoundaryDoesNotCountTheNextBand) {
    gi_.big_values = 2;
    gi_.table_select[0] = 1;
    gi_.region0_count = 7;
    gi_.region1_count = 7;
    Decode("1"
           "001"
           "0"); // lines 0..3 = 0, 0, 0, +1
    EXPECT_EQ(ix_[3], 1);
    EXPECT_EQ(gi_.nonzero_count, 4); // = L[1] at 44.1 kHz
    EXPECT_EQ(gi_.long_band_count, 1);
}

TEST_F(HuffmanTest, ShortBlockBandCountsPerWindow) {
    gi_.window_switching_flag = 1;
    gi_.block_type = 2;
    gi_.region0_count = 8;
    gi_.big_values = 7;
    gi_.table_select[0] = 1;
    // Line 5 (band 0, window 1) and line 13 (band 1, window 0) are non-zero.
    Decode("1"
           "1"
           "001"
           "0"
           "1"
           "1"
           "1"
           "001"
           "1");
    EXPECT_EQ(ix_[5], 1);
    EXPECT_EQ(ix_[13], -1);
    EXPECT_EQ(gi_.nonzero_count, 14);
    EXPECT_EQ(gi_.long_bands_apply, 0);
    EXPECT_EQ(gi_.short_band_count, 2);
    EXPECT_EQ(gi_.window_band_count[0], 2);
    EXPECT_EQ(gi_.window_band_count[1], 1);
    EXPECT_EQ(gi_.window_band_count[2], 2) << "an empty window keeps the short band count";
}

TEST_F(HuffmanTest, CorruptDataNeverWritesPastTheGranule) {
    gi_.big_values = 288;
    gi_.table_select[0] = 24;
    gi_.table_select[1] = 15;
    gi_.table_select[2] = 13;
    gi_.region0_count = 15;
    gi_.region1_count = 7; // past the last boundary: clamped to the end
    gi_.part2_3_length = 4000;
    Load(std::string(600, '0'));
    DecodeSpectrum(reservoir_, ix_, gi_, params_);
    EXPECT_EQ(reservoir_.ConsumedBits(), 4000);
    EXPECT_LE(gi_.nonzero_count, 576);
}

} // namespace
} // namespace sonarel::mp3
