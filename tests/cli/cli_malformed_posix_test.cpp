// Files a user could feed the console converter by mistake, made here: it answers each with
// the program's own message and a distinct exit status (or converts what is really there),
// never with a crash, a hang or a file that does not match its header. Each file is tried as
// it comes (questions answered No) and with -yes, which pushes it as far as it will go.
#include "app/byte_count.h"
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <cstring>
#include <filesystem>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void PutChunk(Bytes& b, const char* id, uint32_t size, const Bytes& body) {
    b.insert(b.end(), id, id + 4);
    Put32(b, size);
    b.insert(b.end(), body.begin(), body.end());
}

// An MPEG Layer-3 format record: 128 kbit/s, 44.1 kHz, stereo.
Bytes Mp3FormatRecord() {
    const uint8_t record[30] = {0x55, 0,  2, 0, 0x44, 0xAC, 0, 0, 0x80, 0x3E, 0, 0, 1, 0, 0,
                                0,    12, 0, 1, 0,    2,    0, 0, 0,    0xA1, 1, 1, 0, 0, 0};
    return Bytes(record, record + 30);
}

// A RIFF file: form type, then chunks given as (id, size field, body).
Bytes Riff(const char* form, uint32_t riffSize,
           const std::vector<std::tuple<const char*, uint32_t, Bytes>>& chunks) {
    Bytes b{'R', 'I', 'F', 'F'};
    Put32(b, riffSize);
    b.insert(b.end(), form, form + 4);
    for (const auto& [id, size, body] : chunks) {
        PutChunk(b, id, size, body);
    }
    return b;
}

Bytes FixtureBytes(const std::string& name) {
    return ReadFileBytes(FixturesDir() / "mp3" / name);
}

class CliMalformed : public CliTest {
protected:
    std::string Make(const std::string& name, const Bytes& bytes) {
        WriteFileBytes(dir / name, bytes);
        return Scratch(name);
    }
    std::string Output() const { return Scratch("out.wav"); }
    // Runs the converter with the file size limited to `room` bytes (0: none).
    ProcessResult RunLimited(std::vector<std::string> args, uint64_t room = 0) const {
        args.insert(args.begin(), cli);
        ChildOptions options = Options();
        options.fileSizeLimit = room;
        return RunProcess(args, options, 120'000);
    }
    // The PCM a conversion of the input writes.
    Bytes ConvertedPcm(const std::string& input) const {
        EXPECT_EQ(Run({"-overwrite", input, Scratch("reference.wav")}).exitCode, cli::kExitDone);
        return CheckedWave(Scratch("reference.wav")).data;
    }

    // Runs with and without -yes; both must end by themselves with the given status.
    ProcessResult RunBoth(const std::string& input, int asIs, int withYes) {
        fs::remove(Output());
        ProcessResult plain = RunLimited({input, Output()});
        ExpectOwnEnd(plain, asIs);
        fs::remove(Output());
        ProcessResult yes = RunLimited({"-yes", input, Output()});
        ExpectOwnEnd(yes, withYes);
        return yes;
    }

    static void ExpectOwnEnd(const ProcessResult& run, int exitCode) {
        EXPECT_FALSE(run.timedOut);
        EXPECT_EQ(run.signal, 0) << run.err;
        EXPECT_EQ(run.exitCode, exitCode) << run.err;
        if (exitCode != cli::kExitDone && exitCode != cli::kExitDoneWithSkips) {
            EXPECT_EQ(run.out.find("Done!"), std::string::npos);
        }
    }
};

TEST_F(CliMalformed, FilesWithoutMpegAudioAreRefusedWithTheProbesMessages) {
    const std::pair<const char*, Bytes> cases[] = {
        {"empty.mp3", {}},
        {"one.mp3", {0xFF}},
        {"ff.mp3", Bytes(300'000, 0xFF)}, // a sync pattern at every bit, never a frame
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        std::string input = Make(name, bytes);
        ProcessResult yes = RunBoth(input, cli::kExitDeclined, cli::kExitInputInvalid);
        EXPECT_TRUE(Contains(yes.err, input + " may not be an MP3 file."));
        EXPECT_TRUE(Contains(yes.err, "Unable to get file format!\n"));
        EXPECT_FALSE(fs::exists(Output()));
    }
}

TEST_F(CliMalformed, BrokenRiffFilesAreInvalidInput) {
    Bytes stream = FixtureBytes("cbr_44100_stereo.mp3");
    stream.resize(5000);
    const std::pair<const char*, Bytes> cases[] = {
        // A chunk before "fmt " whose size runs far past the end (negative as a 32-bit int).
        {"negative_list.wav", Riff("WAVE", 5100,
                                   {{"LIST", 0xFFFFFFF8u, {'a', 'b', 'c', 'd'}},
                                    {"fmt ", 30, Mp3FormatRecord()},
                                    {"data", 5000, stream}})},
        {"negative_fmt.wav",
         Riff("WAVE", 5100, {{"fmt ", 0x80000000u, Mp3FormatRecord()}, {"data", 5000, stream}})},
        // RIFF, but not WAVE.
        {"riff_avi.wav",
         Riff("AVI ", 5100, {{"fmt ", 30, Mp3FormatRecord()}, {"data", 5000, stream}})},
        {"riff_only.wav", Riff("WAVE", 4, {})},
    };
    for (const auto& [name, bytes] : cases) {
        SCOPED_TRACE(name);
        ProcessResult yes =
            RunBoth(Make(name, bytes), cli::kExitInputInvalid, cli::kExitInputInvalid);
        EXPECT_EQ(yes.err, "Invalid Input File\n");
        EXPECT_FALSE(fs::exists(Output()));
    }
}

TEST_F(CliMalformed, AHugeDataChunkSizeConvertsTheFramesThatAreThere) {
    Bytes stream = FixtureBytes("cbr_44100_stereo.mp3");
    stream.resize(6000);
    std::string input =
        Make("huge.wav", Riff("WAVE", 0xFFFFFFFFu,
                              {{"fmt ", 30, Mp3FormatRecord()}, {"data", 0xFFFFFFF0u, stream}}));
    RunBoth(input, cli::kExitDone, cli::kExitDone);
    WaveFile wave = CheckedWave(Output());
    EXPECT_EQ(wave.data, ConvertedPcm(Make("plain.mp3", stream)));
    EXPECT_GE(wave.dataSize, 10u * 4608); // 14 frames are there; the first and last may go
}

TEST_F(CliMalformed, AStreamCutInsideAFrameConvertsItsWholeFrames) {
    Bytes stream = FixtureBytes("cbr_44100_stereo.mp3");
    stream.resize(10'000); // 23 frames and a piece of the 24th
    std::string input = Make("cut.mp3", stream);
    RunBoth(input, cli::kExitDone, cli::kExitDone);
    WaveFile wave = CheckedWave(Output());
    Bytes whole = ConvertedPcm((FixturesDir() / "mp3" / "cbr_44100_stereo.mp3").string());
    EXPECT_TRUE(IsPrefix(wave.data, whole));
    EXPECT_GE(wave.dataSize, 21u * 4608);
    EXPECT_LT(wave.dataSize, whole.size());
}

TEST_F(CliMalformed, AShortLeadInAtAnotherRateIsLeftOutAndReported) {
    // Four 22.05 kHz stereo frames in front of a second of 44.1 kHz mono (cat a.mp3 b.mp3):
    // the output takes the format of the second, which carries most of the audio.
    Bytes both = FixtureBytes("cbr_22050_stereo.mp3");
    both.resize(1043); // its information frame and four audio frames
    Bytes song = FixtureBytes("cbr_44100_mono.mp3");
    both.insert(both.end(), song.begin(), song.end());
    ProcessResult yes =
        RunBoth(Make("switch.mp3", both), cli::kExitDoneWithSkips, cli::kExitDoneWithSkips);
    EXPECT_TRUE(Contains(yes.out, "kbit/sec, 44100 Hz, Mono")) << yes.out;
    EXPECT_TRUE(Contains(yes.out, "Done! 0.1 s at another sampling rate skipped"));
    WaveFile wave = CheckedWave(Output());
    EXPECT_EQ(wave.rate, 44100u);
    EXPECT_EQ(wave.channels, 1u);
    const std::string written = FormatByteCount(int64_t(fs::file_size(Output())));
    EXPECT_TRUE(Contains(yes.out, "Mono (" + written)) << "the size shown is the size written";
    // The song's information frame is no longer at the start of the stream: like other
    // decoders, this one plays it as the silent frame it is.
    const Bytes songPcm = ConvertedPcm(Make("song.mp3", song));
    ASSERT_EQ(wave.data.size(), songPcm.size() + 2304);
    EXPECT_TRUE(std::equal(songPcm.begin(), songPcm.end(), wave.data.begin() + 2304));
}

TEST_F(CliMalformed, AFullDiskEndsWithAnErrorAndAFileOfWholeSampleFrames) {
    Bytes three = FixtureBytes("cbr_44100_stereo.mp3");
    for (int i = 0; i < 2; ++i) {
        three.insert(three.end(), three.begin(), three.begin() + 17'135);
    }
    std::string input = Make("long.mp3", three);
    constexpr uint64_t kRoom = 100'003; // bytes the file may reach
    ProcessResult run = RunLimited({input, Output()}, kRoom);
    ExpectOwnEnd(run, cli::kExitWriteError);
    EXPECT_TRUE(Contains(run.err, "Write error: the output file is incomplete!"));
    EXPECT_TRUE(Contains(run.out, "Failed!"));
    WaveFile wave = CheckedWave(Output()); // the part-stored sample frame is cut off
    EXPECT_EQ(wave.fileSize, kRoom - (kRoom - 56) % 4);
    EXPECT_TRUE(IsPrefix(wave.data, ConvertedPcm(input)));
}

} // namespace
} // namespace sonarel::test
