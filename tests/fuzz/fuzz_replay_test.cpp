// Every fuzz target, built into this test program with the normal compiler, replays its seed
// corpus (fuzz/corpus/TARGET) and every input that once made it fail
// (tests/fixtures/regress/TARGET). A target stops the program on a broken invariant, so a
// regression shows as a crash of the test named after the target.
#include "support/test_paths.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

extern "C" int Fuzz_decoder(const uint8_t* data, size_t size);
extern "C" int Fuzz_framer(const uint8_t* data, size_t size);
extern "C" int Fuzz_wave_reader(const uint8_t* data, size_t size);
extern "C" int Fuzz_command_line(const uint8_t* data, size_t size);
extern "C" int Fuzz_path_name(const uint8_t* data, size_t size);

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

using FuzzEntry = int (*)(const uint8_t*, size_t);

std::vector<fs::path> Inputs(const std::string& target) {
    std::vector<fs::path> inputs;
    for (const fs::path& dir : {fs::path(SONAREL_SOURCE_DIR) / "fuzz" / "corpus" / target,
                                FixturesDir() / "regress" / target}) {
        if (!fs::is_directory(dir)) {
            continue;
        }
        for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
            if (entry.is_regular_file()) {
                inputs.push_back(entry.path());
            }
        }
    }
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

struct Target {
    const char* name;
    FuzzEntry entry;
};

class FuzzReplay : public ::testing::TestWithParam<Target> {};

TEST_P(FuzzReplay, EveryInputPasses) {
    const std::vector<fs::path> inputs = Inputs(GetParam().name);
    EXPECT_FALSE(inputs.empty());
    for (const fs::path& input : inputs) {
        std::vector<unsigned char> bytes = ReadFileBytes(input);
        EXPECT_EQ(GetParam().entry(bytes.data(), bytes.size()), 0) << input;
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzReplay,
                         ::testing::Values(Target{"decoder", Fuzz_decoder},
                                           Target{"framer", Fuzz_framer},
                                           Target{"wave_reader", Fuzz_wave_reader},
                                           Target{"command_line", Fuzz_command_line},
                                           Target{"path_name", Fuzz_path_name}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace sonarel::test
