// A conversion killed at any moment (SIGKILL: no handler runs) leaves a WAVE file that an
// independent reader accepts: the header is brought up to date while the file is written.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>

#include "cli_runner.h"
#include "robust_fixture.h"
#include "support/test_paths.h"

namespace sonarel::test {
namespace {

// Python's wave module must read the file; its sizes must describe whole sample frames
// within the bytes the file holds. Prints "ok" or what is wrong.
constexpr const char* kCheckScript = R"(
import os, struct, sys, wave
path = sys.argv[1]
with wave.open(path, 'rb') as w:
    frames = w.getnframes()
    block = w.getnchannels() * w.getsampwidth()
    data = w.readframes(frames)
with open(path, 'rb') as f:
    head = f.read(56)
riff, fact, size = struct.unpack('<I', head[4:8])[0], struct.unpack('<I', head[44:48])[0], struct.unpack('<I', head[52:56])[0]
problems = []
if len(data) != frames * block: problems.append('data shorter than its size')
if size % block: problems.append('not whole sample frames')
if fact != size // block: problems.append('fact %d for %d frames' % (fact, size // block))
if riff != 48 + size: problems.append('riff size %d' % riff)
if 56 + size > os.path.getsize(path): problems.append('sizes beyond the file')
print('ok' if not problems else '; '.join(problems))
)";

std::string CheckWithPython(const ScratchDir& dir, const std::string& path) {
    const std::string script = (dir / "check.py").string();
    if (std::FILE* file = std::fopen(script.c_str(), "w")) {
        std::fputs(kCheckScript, file);
        std::fclose(file);
    }
    const std::string command = "python3 '" + script + "' '" + path + "' 2>&1";
    std::FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return "python3 could not be started";
    }
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    pclose(pipe);
    return out;
}

TEST(Kill, AtTwentyRandomMomentsTheFileStaysReadable) {
    ScratchDir dir;
    const std::string input = RepeatFixture(dir, "cbr_44100_stereo.mp3", "long.mp3", 30u << 20);
    const std::string output = (dir / "out.wav").string();
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> moment_ms(50, 1600);
    int cut_short = 0;
    for (int round = 0; round < 20; ++round) {
        const int kill_after = moment_ms(rng);
        SCOPED_TRACE("killed after " + std::to_string(kill_after) + " ms");
        const CliRun run =
            RunCli({"-overwrite", "-nobeep", input, output}, dir.Path().string(), 0, kill_after);
        cut_short += run.timedOut ? 1 : 0;
        EXPECT_EQ(CheckWithPython(dir, output), "ok\n");
    }
    EXPECT_GT(cut_short, 10) << "the conversions ended before the kills";
}

} // namespace
} // namespace sonarel::test
