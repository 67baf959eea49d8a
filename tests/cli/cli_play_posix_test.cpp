// sonarel-cli -play on ALSA's "null" device, which needs no sound card: fixtures play to
// the end with their whole playing time, the written file is the converter's, a device
// that cannot be opened fails cleanly, and a signal stops playback at once.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

// The "Played m:ss.t" line in seconds, or -1.
double PlayedSeconds(const std::string& out) {
    const size_t at = out.find("\nPlayed ");
    unsigned minutes = 0;
    unsigned seconds = 0;
    unsigned tenths = 0;
    if (at == std::string::npos ||
        std::sscanf(out.c_str() + at, "\nPlayed %u:%u.%u\n", &minutes, &seconds, &tenths) != 3) {
        return -1;
    }
    return minutes * 60.0 + seconds + tenths / 10.0;
}

class CliPlay : public CliTest {
protected:
    ProcessResult Play(std::vector<std::string> args, const std::string& device = "null") const {
        args.insert(args.begin(), {cli, "-play"});
        return RunProcess(args, Options({"SONAREL_AUDIO_DEVICE=" + device}));
    }
};

TEST_F(CliPlay, FixturesPlayToTheEndWithTheirWholeTime) {
    for (const char* name : {"cbr_44100_stereo.mp3", "cbr_8000_mono.mp3", "cbr_22050_stereo.mp3",
                             "vbr_44100_stereo.mp3", "riff_mp3_22050_stereo.wav"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Run({"-nobeep", "-overwrite", Fixture(name), Scratch("ref.wav")}).exitCode,
                  cli::kExitDone);
        WaveFile wave = CheckedWave(Scratch("ref.wav"));
        ASSERT_EQ(wave.error, "");

        ProcessResult run = Play({Fixture(name)});
        ASSERT_EQ(run.exitCode, cli::kExitDone) << run.err;
        EXPECT_EQ(run.err, "");
        EXPECT_TRUE(Contains(run.out, "Playing on \"null\"\n")) << run.out;
        EXPECT_TRUE(Contains(run.out, "\nDone!\n")) << run.out;
        // Each finished buffer adds its time rounded down to the millisecond.
        const double seconds = static_cast<double>(Frames(wave)) / wave.rate;
        EXPECT_NEAR(PlayedSeconds(run.out), seconds, 0.15) << run.out;
    }
}

TEST_F(CliPlay, WithAnOutputTheConvertersFileIsWrittenWhilePlaying) {
    const std::string input = Fixture("cbr_22050_mono.mp3");
    ASSERT_EQ(Run({"-nobeep", input, Scratch("converted.wav")}).exitCode, cli::kExitDone);
    ProcessResult run = Play({input, "-output=" + Scratch("played.wav")});
    ASSERT_EQ(run.exitCode, cli::kExitDone) << run.err;
    EXPECT_TRUE(Contains(run.out, "Writing " + Scratch("played.wav") + "\n")) << run.out;
    EXPECT_TRUE(ReadFileBytes(Scratch("played.wav")) == ReadFileBytes(Scratch("converted.wav")));

    // A folder gets the input's name; an existing file is kept unless allowed.
    fs::create_directory(Scratch("into"));
    ASSERT_EQ(Play({input, Scratch("into")}).exitCode, cli::kExitDone);
    EXPECT_TRUE(fs::exists(Scratch("into/cbr_22050_mono.wav")));
    ProcessResult declined = Play({input, Scratch("played.wav")});
    EXPECT_EQ(declined.exitCode, cli::kExitDeclined);
    EXPECT_TRUE(Contains(declined.err, "Overwrite " + Scratch("played.wav") + "? No"));
    EXPECT_EQ(Play({"-overwrite", input, Scratch("played.wav")}).exitCode, cli::kExitDone);
}

TEST_F(CliPlay, ADeviceThatCannotBeOpenedIsAClearFailure) {
    ProcessResult run =
        Play({Fixture("cbr_44100_stereo.mp3"), Scratch("never.wav")}, "sonarel_no_such_device");
    EXPECT_EQ(run.exitCode, cli::kExitSoundDeviceFailed);
    EXPECT_TRUE(
        Contains(run.err, "ERROR: Could not open the sound device \"sonarel_no_such_device\": "))
        << run.err;
    EXPECT_FALSE(Contains(run.err, "ALSA lib")) << run.err; // no library chatter
    EXPECT_FALSE(fs::exists(Scratch("never.wav")));         // nothing created for nothing
}

TEST_F(CliPlay, InputsAreCheckedWithTheConvertersMessages) {
    ProcessResult missing = Play({Scratch("none.mp3")});
    EXPECT_EQ(missing.exitCode, cli::kExitInputMissing);
    EXPECT_EQ(missing.err, Scratch("none.mp3") + " does not exist.\n");

    ASSERT_EQ(Run({"-nobeep", Fixture("cbr_8000_mono.mp3"), Scratch("pcm.wav")}).exitCode,
              cli::kExitDone);
    ProcessResult pcm = Play({Scratch("pcm.wav")});
    EXPECT_EQ(pcm.exitCode, cli::kExitInputIsPcm);
    EXPECT_EQ(pcm.err, "This is not an MP3 compressed File!\n");

    ProcessResult help = Run({"-help"});
    EXPECT_TRUE(Contains(help.out, "  -play "));
    EXPECT_TRUE(Contains(help.out, "  16  -play: the sound device could not be opened"));
}

TEST_F(CliPlay, ASignalStopsPlaybackAtOnce) {
    WriteLongInput(Scratch("long.mp3")); // far longer than the test waits
    ChildProcess child({cli, "-play", Scratch("long.mp3"), Scratch("cut.wav")},
                       Options({"SONAREL_AUDIO_DEVICE=null"}));
    ASSERT_TRUE(child.WaitForOutput("Playing on", 20000));
    const auto signalled = std::chrono::steady_clock::now();
    child.Signal(SIGINT);
    ProcessResult run = child.Finish();
    EXPECT_LT(std::chrono::steady_clock::now() - signalled, std::chrono::seconds(3));
    EXPECT_EQ(run.exitCode, cli::kExitCancelled) << run.err;
    EXPECT_TRUE(Contains(run.out, "\nCancelled!\n")) << run.out;
    EXPECT_LT(PlayedSeconds(run.out), 1800);

    WaveFile wave = CheckedWave(Scratch("cut.wav")); // the written part is a complete file
    EXPECT_LT(Frames(wave), 1800L * 44100);
}

} // namespace
} // namespace sonarel::test
