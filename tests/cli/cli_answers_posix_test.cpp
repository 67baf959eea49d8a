// sonarel-cli on files a user could feed it by mistake, made here, and on inputs and outputs
// only a POSIX host has (named pipes, /proc, /dev/full, pipelines, a sound device that is not
// there): the program's own message and a distinct exit status, never a crash, a hang or a
// file reported as done. Each bad input is tried as it comes (questions answered No) and with
// -yes, which pushes it as far as it will go.
#include "app/byte_count.h"
#include "cli/exit_codes.h"
#include "cli_fixture.h"
#include "support/byte_strings.h"

#include <sys/stat.h>
#include <tuple>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;
using namespace cli;

// A RIFF file: form type, then chunks given as (id, size field, body).
Bytes Riff(const char* form, uint32_t riffSize,
           const std::vector<std::tuple<const char*, uint32_t, Bytes>>& chunks) {
    Bytes b = Text("RIFF") + LittleEndian32(riffSize) + Text(form);
    for (const auto& [id, size, body] : chunks) {
        b = b + Text(id) + LittleEndian32(size) + body;
    }
    return b;
}

// An MPEG Layer-3 format record: 128 kbit/s, 44.1 kHz, stereo.
const Bytes kMp3Format = {0x55, 0,  2, 0, 0x44, 0xAC, 0, 0, 0x80, 0x3E, 0, 0, 1, 0, 0,
                          0,    12, 0, 1, 0,    2,    0, 0, 0,    0xA1, 1, 1, 0, 0, 0};

// The first bytes of a fixture.
Bytes Head(const std::string& path, size_t size) {
    Bytes bytes = ReadFileBytes(path);
    bytes.resize(size);
    return bytes;
}

class CliBadUse : public CliTest {
protected:
    void MakeFiles() {
        const Bytes stream = Head(Fixture("cbr_44100_stereo.mp3"), 5000);
        const std::vector<std::pair<const char*, Bytes>> files = {
            {"empty.mp3", {}},
            {"ff.mp3", Bytes(300'000, 0xFF)}, // a sync pattern at every bit, never a frame
            // A chunk before "fmt " whose size runs far past the end (negative as an int).
            {"negative_list.wav", Riff("WAVE", 5100,
                                       {{"LIST", 0xFFFFFFF8u, {'a', 'b', 'c', 'd'}},
                                        {"fmt ", 30, kMp3Format},
                                        {"data", 5000, stream}})},
            {"negative_fmt.wav",
             Riff("WAVE", 5100, {{"fmt ", 0x80000000u, kMp3Format}, {"data", 5000, stream}})},
        };
        for (const auto& [name, bytes] : files) {
            WriteFileBytes(dir / name, bytes);
        }
        ASSERT_EQ(mkfifo(Scratch("pipe.mp3").c_str(), 0600), 0); // no writer: must not wait
        WriteFileBytes(dir / "plain", {1});
        ASSERT_EQ(Run({Fixture("cbr_8000_mono.mp3"), Scratch("pcm.wav")}).exitCode, kExitDone);
        fs::copy_file(Fixture("cbr_8000_mono.mp3"), dir / "in.mp3");
        fs::copy_file(Fixture("riff_mp3_22050_stereo.wav"), dir / "riff.wav");
        WriteLongInput(Scratch("long.mp3"), 600);
        WriteLongInput(Scratch("two_minutes.mp3"), 120);
        // Copies whose first Info frame claims 5000 frames: more than come, but a pipe's header
        // cannot be taken back.
        Bytes claims = Head(Scratch("long.mp3"), 30 * 17'135);
        const size_t info = std::string(claims.begin(), claims.begin() + 200).find("Info");
        claims[info + 10] = 0x13; // the big-endian frame count after the tag and the flags
        claims[info + 11] = 0x88;
        WriteFileBytes(dir / "claims.mp3", claims);
    }
};

const std::string kMayNot =
    " may not be an MP3 file.  Would you like to process the file anyway? No";
const std::string kNoFormat = "Unable to get file format!\n";
const std::string kInvalid = "Invalid Input File\n";
const std::string kRiff("RIFF\x10\0\0\0WAVE", 12);

TEST_F(CliBadUse, EachGetsItsStatusAndMessageAndNoFileIsDone) {
    MakeFiles();
    const std::string level(200, 'd');
    const std::string deep = "cd {deep} && for i in $(seq 25); do mkdir " + level + " && cd " +
                             level +
                             "; done && cp {in} in.mp3 && {cli} -nobeep in.mp3 out.wav && "
                             "test $(pwd | wc -c) -gt 4096 && test -s out.wav";
    fs::create_directory(dir / "deep");
    ExpectAnswers({
        {"-play {pcm.wav}", kExitInputIsPcm, "This is not an MP3 compressed File!\n"},
        {"{none.mp3} {out.wav}", kExitInputMissing, "{none.mp3} does not exist.\n"},
        {"{empty.mp3} {out.wav}", kExitDeclined, "{empty.mp3}" + kMayNot},
        {"-yes {empty.mp3} {out.wav}", kExitInputInvalid, kNoFormat},
        {"-yes {ff.mp3} {out.wav}", kExitInputInvalid, kNoFormat},
        {"{pipe.mp3} {out.wav}", kExitInputInvalid, kInvalid},
        // (Other RIFF files that are not WAVE files: tests/io/riff_wave_reader_test.cpp.)
        {"{negative_list.wav} {out.wav}", kExitInputInvalid, kInvalid},
        {"{negative_fmt.wav} {out.wav}", kExitInputInvalid, kInvalid},
        {"{in} /no/such/folder/out.wav", kExitOutputInvalid,
         "Invalid file: /no/such/folder/out.wav\n  (the folder /no/such/folder/ does not exist)\n"},
        {"{in} {plain}/out.wav", kExitOutputInvalid, "Invalid file: {plain}/out.wav\n"},
        // A folder that takes no files (read-only, even for root) is not an invalid name.
        {"{in} /proc/out.wav", kExitOutputOpenFailed, "Unable to open output file!\n"},
        {"-yes {in.mp3} {in.mp3}", kExitOutputInvalid, "Invalid file: "}, // never the input
        {"-overwrite {in} /dev/full", kExitOutputOpenFailed, "Unable to open output file!\n"},
        {"cat {riff.wav} | {cli} - {out.wav}", kExitInputInvalid, "cannot be read from standard"},
        {"cat {in} | {cli} -input=- -output=.", kExitUsage, "needs an OUTPUT file name"},
        {"cat {claims.mp3} | {cli} - - | cat >/dev/null; exit ${PIPESTATUS[1]}", kExitWriteError,
         "differs from what its Info frame announced"},
        // A reader of the output that goes away ends the conversion with a write error at once.
        {"{cli} -nobeep {long.mp3} - | head -c 1000 >/dev/null; exit ${PIPESTATUS[0]}",
         kExitWriteError, "Write error"},
        // With standard output as the output file, every status line goes to stderr and the
        // file holds the same WAVE as a conversion to a name.
        {"{cli} -nobeep {in} /dev/stdout > {out.wav}",
         kExitDone,
         "Writing /dev/stdout\n",
         {},
         kWave},
        {"{cli} -nobeep {in} {out.wav} > {out.wav}", kExitDone, "Writing {out.wav}\n", {}, kWave},
        // Playing on the null device to the end (41 frames of 576 samples at 22.05 kHz: 1.07 s).
        // It writes the converter's file; an existing one is kept unless allowed; a folder gets
        // the input's name.
        {"-play {riff.wav}", kExitDone, "\nPlaying on \"null\"\nPlayed 0:01.0\nDone!\n"},
        {"-play {in} -output={out.wav}", kExitDone, "Writing {out.wav}\n", {}, kWave},
        {"-play {in} {out.wav}", kExitDeclined, "Overwrite {out.wav}? No", kRiff, kKept},
        {"-play -overwrite {in} {out.wav}", kExitDone, "Playing on \"null\"\n", kRiff, kWave},
        {"-play {in} {deep}", kExitDone, "Writing {deep}/cbr_8000_mono.wav\n"},
        {"SONAREL_AUDIO_DEVICE=sonarel_no_such_device {cli} -play {in} {out.wav}",
         kExitSoundDeviceFailed,
         "ERROR: Could not open the sound device \"sonarel_no_such_device\": "},
        // A reader of the status lines that goes away does not cut the file. 41 frames per
        // copy; the information frame that opens the stream is not audio.
        {"{cli} -nobeep {two_minutes.mp3} {out.wav} | head -c 1 >/dev/null; exit ${PIPESTATUS[0]}",
         kExitDone, "", std::nullopt, 56 + (120 * 47232 - 1152) * 4},
        // A current folder deeper than the system's longest path: relative names still work.
        {deep, kExitDone, ""},
    });
    EXPECT_EQ(ReadFileBytes(dir / "in.mp3"), ReadFileBytes(Fixture("cbr_8000_mono.mp3")));
}

// Damaged streams convert the frames that are there, as they come and with -yes: after `skip`
// bytes the output holds the PCM of a reference stream (all of it, or else its beginning), in
// its format, and the size shown before the conversion is the size written.
TEST_F(CliBadUse, DamagedStreamsConvertTheFramesThatAreThere) {
    const std::string whole = Fixture("cbr_44100_stereo.mp3");
    const Bytes stream = Head(whole, 6000);
    // Four 22.05 kHz stereo frames (and their information frame) in front of a second of
    // 44.1 kHz mono (cat a.mp3 b.mp3): the output takes the format of the second, which
    // carries most of the audio; its information frame, no longer at the start, is played as
    // the silent frame it is.
    Bytes switched = Head(Fixture("cbr_22050_stereo.mp3"), 1043);
    const Bytes song = ReadFileBytes(Fixture("cbr_44100_mono.mp3"));
    switched.insert(switched.end(), song.begin(), song.end());
    WriteFileBytes(dir / "plain.mp3", stream);
    const std::tuple<const char*, Bytes, int, std::string, size_t, std::string> kCases[] = {
        {"huge.wav",
         Riff("WAVE", 0xFFFFFFFFu, {{"fmt ", 30, kMp3Format}, {"data", 0xFFFFFFF0u, stream}}),
         cli::kExitDone, Scratch("plain.mp3"), 0, "Done!"},
        {"cut.mp3", Head(whole, 10'000), cli::kExitDone, whole, 0, ""}, // 23 frames and a piece
        {"switch.mp3", switched, cli::kExitDoneWithSkips, Fixture("cbr_44100_mono.mp3"), 2304,
         "Done! 0.1 s at another sampling rate skipped"},
    };
    for (const auto& [name, bytes, exitCode, reference, skip, said] : kCases) {
        SCOPED_TRACE(name);
        WriteFileBytes(dir / name, bytes);
        ASSERT_EQ(Run({"-overwrite", reference, Scratch("reference.wav")}).exitCode, 0);
        const WaveFile expected = CheckedWave(Scratch("reference.wav"));
        for (const char* mode : {"-nobeep", "-yes"}) {
            fs::remove(Scratch("out.wav"));
            ProcessResult run = Run({mode, Scratch(name), Scratch("out.wav")});
            EXPECT_EQ(run.exitCode, exitCode) << run.err;
            EXPECT_TRUE(Contains(run.out, said)) << run.out;
            const std::string shown = FormatByteCount(int64_t(fs::file_size(Scratch("out.wav"))));
            EXPECT_TRUE(Contains(run.out, "(" + shown + " bytes)")) << run.out;
            const WaveFile wave = CheckedWave(Scratch("out.wav"));
            EXPECT_EQ(wave.format, expected.format);
            ASSERT_GE(wave.data.size(), skip + 10 * 4608);
            const Bytes tail(wave.data.begin() + static_cast<long>(skip), wave.data.end());
            EXPECT_TRUE(IsPrefix(tail, expected.data));
            EXPECT_TRUE(tail.size() == expected.data.size() || *name == 'c');
        }
    }
}

TEST_F(CliBadUse, AFullDiskEndsWithAnErrorAndAFileOfWholeSampleFrames) {
    WriteLongInput(Scratch("long.mp3"), 3);
    ASSERT_EQ(Run({Scratch("long.mp3"), Scratch("whole.wav")}).exitCode, cli::kExitDone);
    ChildOptions options = Options();
    constexpr uint64_t kRoom = 100'003; // bytes the file may reach
    options.fileSizeLimit = kRoom;
    ProcessResult run = RunProcess({cli, Scratch("long.mp3"), Scratch("out.wav")}, options);
    EXPECT_EQ(run.exitCode, cli::kExitWriteError);
    EXPECT_TRUE(Contains(run.err, "Write error: the output file is incomplete!"));
    EXPECT_TRUE(Contains(run.out, "Failed!"));
    EXPECT_FALSE(Contains(run.out, "Done!"));
    const WaveFile wave = CheckedWave(Scratch("out.wav")); // the part-stored frame is cut off
    EXPECT_EQ(wave.fileSize, kRoom - (kRoom - 56) % 4);
    EXPECT_TRUE(IsPrefix(wave.data, CheckedWave(Scratch("whole.wav")).data));
}

} // namespace
} // namespace sonarel::test
