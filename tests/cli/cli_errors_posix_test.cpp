// sonarel-cli on inputs and outputs only a POSIX host has (named pipes, /proc, read-only
// folders): the dialog's message on stderr, a distinct exit status, and no file written.
#include "cli/exit_codes.h"
#include "cli_fixture.h"

#include <fstream>
#include <sys/stat.h>

namespace sonarel::test {
namespace {

namespace fs = std::filesystem;

using CliErrors = CliTest;

TEST_F(CliErrors, UnusableInputsAreRefusedWithTheirMessage) {
    std::string output = Scratch("out.wav");
    ProcessResult missing = Run({Scratch("none.mp3"), output});
    EXPECT_EQ(missing.exitCode, cli::kExitInputMissing);
    EXPECT_TRUE(Contains(missing.err, Scratch("none.mp3") + " does not exist.\n"));

    WriteFileBytes(Scratch("empty.mp3"), {});
    ProcessResult empty = Run({Scratch("empty.mp3"), output});
    EXPECT_EQ(empty.exitCode, cli::kExitDeclined); // "may not be an MP3 file", answered No
    EXPECT_TRUE(Contains(empty.err, "empty.mp3 may not be an MP3 file.  Would you like to "
                                    "process the file anyway? No\n"));
    ProcessResult emptyYes = Run({"-yes", Scratch("empty.mp3"), output});
    EXPECT_EQ(emptyYes.exitCode, cli::kExitInputInvalid);
    EXPECT_TRUE(Contains(emptyYes.err, "Unable to get file format!\n"));

    ASSERT_EQ(mkfifo(Scratch("pipe.mp3").c_str(), 0600), 0); // no writer: must not wait
    ProcessResult pipe = Run({Scratch("pipe.mp3"), output});
    EXPECT_EQ(pipe.exitCode, cli::kExitInputInvalid);
    EXPECT_EQ(pipe.err, "Invalid Input File\n");

    std::ofstream(Scratch("notes.mp3")) << std::string(30000, 'z') << "\nnot audio\n";
    EXPECT_EQ(Run({Scratch("notes.mp3"), output}).exitCode, cli::kExitDeclined);

    EXPECT_FALSE(fs::exists(output));

    // Cut inside its third frame: the information frame, then one whole audio frame.
    std::vector<unsigned char> mp3 = ReadFileBytes(Fixture("cbr_44100_stereo.mp3"));
    mp3.resize(1000);
    WriteFileBytes(Scratch("cut.mp3"), mp3);
    EXPECT_EQ(Run({Scratch("cut.mp3"), output}).exitCode, cli::kExitDone);
    EXPECT_EQ(fs::file_size(output), 56u + 1152 * 4);
}

TEST_F(CliErrors, AnUnusableOutputIsRefusedBeforeAnythingIsWritten) {
    std::string input = Fixture("cbr_8000_mono.mp3");
    ProcessResult noFolder = Run({input, "/no/such/folder/out.wav"});
    EXPECT_EQ(noFolder.exitCode, cli::kExitOutputInvalid);
    EXPECT_EQ(noFolder.err, "Invalid file: /no/such/folder/out.wav\n"
                            "  (the folder /no/such/folder/ does not exist)\n");

    WriteFileBytes(Scratch("plain"), {1});
    EXPECT_EQ(Run({input, Scratch("plain/out.wav")}).exitCode, cli::kExitOutputInvalid);

    // A folder that exists but takes no files (read-only, even for root) is not an invalid
    // name: the output cannot be opened.
    ProcessResult readOnly = Run({input, "/proc/out.wav"});
    EXPECT_EQ(readOnly.exitCode, cli::kExitOutputOpenFailed);
    EXPECT_EQ(readOnly.err, "Unable to open output file!\n");

    std::string copy = Scratch("in.mp3");
    fs::copy_file(input, copy);
    EXPECT_EQ(Run({"-yes", copy, copy}).exitCode, cli::kExitOutputInvalid); // never the input
    EXPECT_EQ(ReadFileBytes(copy), ReadFileBytes(input));

    if (fs::exists("/dev/full")) { // a device that is always full
        ProcessResult full = Run({"-overwrite", input, "/dev/full"});
        EXPECT_NE(full.exitCode, cli::kExitDone);
        EXPECT_FALSE(Contains(full.out, "Done!"));
    }
}

} // namespace
} // namespace sonarel::test
