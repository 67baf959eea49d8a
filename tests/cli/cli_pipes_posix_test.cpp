// sonarel-cli with pipes, gapless output and exact sizes, end to end: "-" reads standard input
// and writes standard output, and what comes through is the audio a conversion between files
// writes; -gapless gives the original's sample count and mpg123's samples; the size shown
// before a conversion is the size written.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <initializer_list>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

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

bool Have(const std::string& program) {
    return RunProcess({"/bin/sh", "-c", "command -v " + program}).exitCode == 0;
}

Bytes Tail(const Bytes& bytes, size_t from) {
    return Bytes(bytes.begin() + static_cast<long>(std::min(from, bytes.size())), bytes.end());
}

class CliPipes : public CliTest {
protected:
    // `copies` of a fixture one after another.
    std::string Joined(const std::string& fixture, int copies) const {
        const Bytes one = ReadFileBytes(Fixture(fixture));
        Bytes all;
        for (int i = 0; i < copies; ++i) {
            all.insert(all.end(), one.begin(), one.end());
        }
        const std::string path = Scratch(fixture + ".x" + std::to_string(copies) + ".mp3");
        WriteFileBytes(path, all);
        return path;
    }
    // The WAVE file a conversion between files writes.
    Bytes Named(const std::string& input, const std::string& options = "") const {
        const std::string out = Scratch("named.wav");
        Shell(Quoted(cli) + " -nobeep -overwrite " + options + " " + Quoted(input) + " " +
              Quoted(out) + " >/dev/null");
        return ReadFileBytes(out);
    }
};

// Every way through the pipes carries the named conversion's audio. The header holds exact
// sizes whenever they are known before the first byte (the whole input probed, or an Info
// frame's count); otherwise a pipe's header carries 0xFFFFFFFF and sox reads to the end.
TEST_F(CliPipes, PipesCarryTheSameWaveAsFiles) {
    const std::string small = Fixture("vbr_44100_stereo.mp3");
    const std::string tagged = Fixture("id3v2_300k.mp3");          // a tag beyond the probed part
    const std::string joined = Joined("cbr_44100_stereo.mp3", 30); // its Info frame: 41 frames
    const std::string bare = Joined("crc_22050_mono.mp3", 150);    // no Info frame, 500 KB
    const std::string fromStdin = "cat IN | CLI - OUT";
    const std::string toStdout = "CLI IN - | cat > OUT";
    const std::string both = "cat IN | CLI - - | cat > OUT";
    struct Case {
        std::string input;
        std::string line;
        bool exactHeader;
    } cases[] = {
        {small, fromStdin, true}, {small, toStdout, true},  {small, both, true},
        {tagged, both, true},     {joined, toStdout, true}, {joined, both, false},
        {bare, both, false},      {bare, fromStdin, true},
    };
    const std::string out = Scratch("out.wav");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input + ": " + c.line);
        std::string line = c.line;
        for (const auto& [key, value] : {std::pair{"IN", c.input}, {"CLI", cli}, {"OUT", out}}) {
            line.replace(line.find(key), std::strlen(key),
                         Quoted(value) + (key == std::string("CLI") ? " -nobeep -overwrite" : ""));
        }
        ProcessResult run = Shell("set -o pipefail; " + line);
        ASSERT_EQ(run.exitCode, cli::kExitDone) << run.err;
        const std::string status = run.out + run.err;
        EXPECT_NE(status.find("Done!\n"), std::string::npos) << status;
        const Bytes named = Named(c.input);
        const Bytes got = ReadFileBytes(out);
        const long long announced = AnnouncedBytes(status);
        EXPECT_TRUE(announced == -1 || announced == static_cast<long long>(got.size()))
            << announced << " announced, " << got.size() << " written";
        if (c.exactHeader) {
            EXPECT_TRUE(got == named); // header and data
            EXPECT_TRUE(WaveInconsistency(ReadWaveFile(out)).empty());
            continue;
        }
        EXPECT_EQ(announced, -1);
        EXPECT_TRUE(Bytes(got.begin() + 4, got.begin() + 8) == Bytes(4, 0xFF));
        ASSERT_TRUE(Have("sox"));
        const std::string raw = Scratch("sox.raw");
        ASSERT_EQ(Shell("sox -V1 -t wav " + Quoted(out) + " -t raw " + Quoted(raw)).exitCode, 0);
        EXPECT_TRUE(ReadFileBytes(raw) == Tail(named, 56));
    }
}

TEST_F(CliPipes, WhatAPipeCannotServeIsRefused) {
    const std::string mp3 = Quoted(Fixture("cbr_8000_mono.mp3"));
    const std::string riff = Quoted(Fixture("riff_mp3_22050_stereo.wav"));
    // Joined copies whose first Info frame claims 5000 frames: more than come, but a pipe's
    // header cannot be taken back.
    Bytes claims = ReadFileBytes(Joined("cbr_44100_stereo.mp3", 30));
    const size_t info = std::string(claims.begin(), claims.begin() + 200).find("Info");
    claims[info + 10] = 0x13; // the big-endian frame count after the tag and the flags
    claims[info + 11] = 0x88;
    WriteFileBytes(Scratch("claims.mp3"), claims);
    struct Case {
        std::string line;
        int exitCode;
        std::string message;
    } cases[] = {
        {"cat " + riff + " | CLI - out.wav", cli::kExitInputInvalid,
         "cannot be read from standard"},
        {"cat " + mp3 + " | CLI -", cli::kExitUsage, "needs an OUTPUT file name"},
        {"cat " + mp3 + " | CLI -input=- -output=.", cli::kExitUsage, "needs an OUTPUT file name"},
        {"cat claims.mp3 | CLI - - | cat >/dev/null; exit ${PIPESTATUS[1]}", cli::kExitWriteError,
         "differs from what its Info frame announced"},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.line);
        c.line.replace(c.line.find("CLI"), 3, Quoted(cli));
        ProcessResult run = Shell(c.line);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(fs::exists(Scratch("out.wav")));
    }
}

// A reader of the output that goes away ends the conversion with a write error at once; Ctrl-C
// ends one that waits for more input on standard input, leaving a complete WAVE file.
TEST_F(CliPipes, AClosedReaderOrCtrlCEndsTheConversion) {
    const std::string longInput = Joined("cbr_44100_stereo.mp3", 600);
    ProcessResult closed = Shell(Quoted(cli) + " -nobeep " + Quoted(longInput) +
                                 " - | head -c 1000 >/dev/null; exit ${PIPESTATUS[0]}");
    EXPECT_EQ(closed.exitCode, cli::kExitWriteError) << closed.err;

    const std::string fifo = Scratch("stdin.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const int feed = open(fifo.c_str(), O_RDWR); // holds the pipe open: the input never ends
    ASSERT_GE(feed, 0);
    const std::string output = Scratch("cut.wav");
    ChildOptions options = Options();
    options.stdinPath = fifo;
    ChildProcess child({cli, "-nobeep", "-", output}, options);
    const Bytes bytes = ReadFileBytes(longInput);
    ASSERT_EQ(write(feed, bytes.data(), 400'000), 400'000);
    ASSERT_TRUE(child.WaitForOutput("Writing", 20000));
    child.Signal(SIGINT);
    ProcessResult run = child.Finish(20000);
    close(feed);
    EXPECT_EQ(run.exitCode, cli::kExitCancelled) << run.err;
    WaveFile wave = CheckedWave(output);
    ASSERT_EQ(wave.error, "");
    EXPECT_GT(Frames(wave), 0);
}

// -gapless: a LAME file made from N samples gives exactly N, and mpg123's samples within one
// LSB; from standard input as from a file. Without a LAME tag the switch changes nothing. The
// size announced before each conversion is the size written.
TEST_F(CliPipes, GaplessGivesTheOriginalSamplesAsMpg123Does) {
    for (const char* program : {"sox", "lame", "mpg123"}) {
        if (!Have(program)) {
            GTEST_SKIP() << program << " is not installed";
        }
    }
    struct Case {
        int rate;
        std::string lame;
        bool tagged;
    } cases[] = {
        {44100, "-b 128", true},  {44100, "-V 2", true},       {22050, "-b 64", true},
        {8000, "--abr 16", true}, {44100, "-t -b 128", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.rate) + " " + c.lame);
        const std::string orig = Scratch("orig.wav");
        const std::string mp3 = Scratch("in.mp3");
        ASSERT_EQ(Shell("sox -n -r " + std::to_string(c.rate) + " -c 2 -b 16 " + Quoted(orig) +
                        " synth 1.37 sine 440 sine 660 vol 0.5 && lame --quiet " + c.lame + " " +
                        Quoted(orig) + " " + Quoted(mp3) + " && mpg123 -q -s " + Quoted(mp3) +
                        " > ref.raw")
                      .exitCode,
                  0);
        const long original = Frames(CheckedWave(orig));
        const std::string out = Scratch("gapless.wav");
        Bytes fromFile;
        for (const std::string& input : {Quoted(mp3), std::string("- < ") + Quoted(mp3)}) {
            ProcessResult run =
                Shell(Quoted(cli) + " -nobeep -overwrite -gapless -output=" + Quoted(out) +
                      " -input=" + input);
            ASSERT_EQ(run.exitCode, cli::kExitDone) << run.err;
            EXPECT_EQ(AnnouncedBytes(run.out), static_cast<long long>(fs::file_size(out)));
            fromFile = fromFile.empty() ? ReadFileBytes(out) : fromFile;
            EXPECT_TRUE(ReadFileBytes(out) == fromFile);
        }
        // A batch trims as well.
        const std::string folder = Scratch("batch") + "/";
        ASSERT_EQ(Shell(Quoted(cli) + " -nobeep -overwrite -gapless -jobs 1 " + Quoted(mp3) +
                        " -output=" + Quoted(folder))
                      .exitCode,
                  cli::kExitDone);
        EXPECT_TRUE(ReadFileBytes(folder + "in.wav") == fromFile);
        if (!c.tagged) {
            EXPECT_TRUE(fromFile == Named(mp3));
            continue;
        }
        WaveFile wave = CheckedWave(out);
        EXPECT_EQ(Frames(wave), original);
        const Bytes& ours = wave.data;
        const Bytes ref = ReadFileBytes(Scratch("ref.raw"));
        ASSERT_EQ(ours.size(), ref.size());
        int worst = 0;
        for (size_t i = 0; i + 1 < ours.size(); i += 2) {
            const auto a = static_cast<int16_t>(ours[i] | ours[i + 1] << 8);
            const auto b = static_cast<int16_t>(ref[i] | ref[i + 1] << 8);
            worst = std::max(worst, std::abs(a - b));
        }
        EXPECT_LE(worst, 1);
    }
}

} // namespace
} // namespace sonarel::test
