// sonarel-cli with pipes, gapless output and exact sizes, end to end: "-" reads standard input
// and writes standard output, and what comes through is the audio a conversion between files
// writes; -gapless gives the original's sample count and mpg123's samples; the size shown
// before a conversion is the size written.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

// The output size the probe announced ("PCM: ... (1,234 bytes)"); -1 for "size unknown".
long long AnnouncedBytes(const std::string& status) {
    const size_t open = status.find('(', status.find("PCM: "));
    std::string digits;
    for (size_t i = open + 1; open != std::string::npos && i < status.size(); ++i) {
        if (std::isdigit(static_cast<unsigned char>(status[i])) != 0) {
            digits += status[i];
        } else if (status[i] != ',') {
            break;
        }
    }
    return digits.empty() ? -1 : std::stoll(digits);
}

class CliPipes : public CliTest {
protected:
    // The WAVE file a conversion between files writes.
    Bytes Named(const std::string& input) const {
        EXPECT_EQ(Run({"-overwrite", input, Scratch("named.wav")}).exitCode, cli::kExitDone);
        return CheckedWave(Scratch("named.wav")).error.empty() ? ReadFileBytes(Scratch("named.wav"))
                                                               : Bytes();
    }
};

// Every way through the pipes carries the named conversion's audio. The header holds exact
// sizes whenever they are known before the first byte (the whole input probed, or an Info
// frame's count); otherwise a pipe's header carries 0xFFFFFFFF and sox reads to the end.
TEST_F(CliPipes, PipesCarryTheSameWaveAsFiles) {
    fs::copy_file(Fixture("vbr_44100_stereo.mp3"), Scratch("small.mp3"));
    fs::copy_file(Fixture("id3v2_300k.mp3"), Scratch("tagged.mp3")); // a tag past the probe
    WriteLongInput(Scratch("joined.mp3"), 30);                       // its Info frame: 41 frames
    WriteLongInput(Scratch("bare.mp3"), 150, "crc_22050_mono.mp3");  // no Info frame, 500 KB
    const std::string fromStdin = "cat {IN} | {cli} -nobeep - {out.wav}";
    const std::string toStdout = "{cli} -nobeep {IN} - | cat > {out.wav}";
    const std::string both = "cat {IN} | {cli} -nobeep - - | cat > {out.wav}";
    const std::tuple<const char*, std::string, bool> kCases[] = {
        {"small.mp3", fromStdin, true}, {"small.mp3", toStdout, true},  {"small.mp3", both, true},
        {"tagged.mp3", both, true},     {"joined.mp3", toStdout, true}, {"joined.mp3", both, false},
        {"bare.mp3", both, false},      {"bare.mp3", fromStdin, true},
    };
    for (auto [input, line, exactHeader] : kCases) {
        SCOPED_TRACE(input + (": " + line));
        line.replace(line.find("IN}"), 3, std::string(input) + "}");
        fs::remove(Scratch("out.wav"));
        ProcessResult run = Shell("set -o pipefail; " + Expand(line, true));
        ASSERT_EQ(run.exitCode, cli::kExitDone) << run.err;
        const std::string status = run.out + run.err;
        EXPECT_TRUE(Contains(status, "Done!\n")) << status;
        const Bytes named = Named(Scratch(input));
        const Bytes got = ReadFileBytes(Scratch("out.wav"));
        const long long announced = AnnouncedBytes(status);
        EXPECT_TRUE(announced == -1 || announced == static_cast<long long>(got.size()))
            << announced << " announced, " << got.size() << " written";
        if (exactHeader) {
            EXPECT_TRUE(got == named); // header and data
            continue;
        }
        EXPECT_EQ(announced, -1);
        EXPECT_TRUE(Bytes(got.begin() + 4, got.begin() + 8) == Bytes(4, 0xFF));
        ASSERT_EQ(Shell(Expand("sox -V1 -t wav {out.wav} -t raw {sox.raw}", true)).exitCode, 0);
        EXPECT_TRUE(ReadFileBytes(Scratch("sox.raw")) == Bytes(named.begin() + 56, named.end()));
    }
}

// -gapless: a LAME file made from N samples gives exactly N, and mpg123's samples within one
// LSB; from standard input as from a file, and in a batch. Without a LAME tag the switch
// changes nothing. The size announced before each conversion is the size written.
TEST_F(CliPipes, GaplessGivesTheOriginalSamplesAsMpg123Does) {
    if (Shell("command -v sox && command -v lame && command -v mpg123").exitCode != 0) {
        GTEST_SKIP() << "sox, lame or mpg123 is not installed";
    }
    const std::tuple<int, std::string, bool> kCases[] = {
        {44100, "-b 128", true},  {44100, "-V 2", true},       {22050, "-b 64", true},
        {8000, "--abr 16", true}, {44100, "-t -b 128", false},
    };
    for (const auto& [rate, lame, tagged] : kCases) {
        SCOPED_TRACE(std::to_string(rate) + " " + lame);
        ASSERT_EQ(Shell(Expand("sox -n -r " + std::to_string(rate) +
                                   " -c 2 -b 16 {orig.wav} synth 1.37 sine 440 sine 660 vol 0.5 && "
                                   "lame --quiet " +
                                   lame +
                                   " {orig.wav} {in.mp3} && mpg123 -q -s "
                                   "{in.mp3} > ref.raw",
                               true))
                      .exitCode,
                  0);
        Bytes fromFile;
        for (const std::string input : {"{in.mp3}", "- < {in.mp3}"}) {
            ProcessResult run = Shell(Expand(
                "{cli} -nobeep -overwrite -gapless -output={gapless.wav} -input=" + input, true));
            ASSERT_EQ(run.exitCode, cli::kExitDone) << run.err;
            EXPECT_EQ(AnnouncedBytes(run.out), (long long)fs::file_size(Scratch("gapless.wav")));
            fromFile = fromFile.empty() ? ReadFileBytes(Scratch("gapless.wav")) : fromFile;
            EXPECT_TRUE(ReadFileBytes(Scratch("gapless.wav")) == fromFile);
        }
        ASSERT_EQ(Run({"-nobeep", "-overwrite", "-gapless", "-jobs", "1", Scratch("in.mp3"),
                       "-output=" + Scratch("batch") + "/"})
                      .exitCode,
                  cli::kExitDone);
        EXPECT_TRUE(ReadFileBytes(Scratch("batch/in.wav")) == fromFile);
        if (!tagged) {
            EXPECT_TRUE(fromFile == Named(Scratch("in.mp3")));
            continue;
        }
        const WaveFile wave = CheckedWave(Scratch("gapless.wav"));
        EXPECT_EQ(Frames(wave), Frames(CheckedWave(Scratch("orig.wav"))));
        const Bytes ref = ReadFileBytes(Scratch("ref.raw"));
        ASSERT_EQ(wave.data.size(), ref.size());
        int worst = 0;
        for (size_t i = 0; i + 1 < ref.size(); i += 2) {
            const auto a = static_cast<int16_t>(wave.data[i] | wave.data[i + 1] << 8);
            const auto b = static_cast<int16_t>(ref[i] | ref[i + 1] << 8);
            worst = std::max(worst, std::abs(a - b));
        }
        EXPECT_LE(worst, 1);
    }
}

} // namespace
} // namespace sonarel::test
