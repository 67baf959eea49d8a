// The command line: switches by prefix and in any letter case, bare names as input then
// output, and the host's rules ('-' and "--" introduce switches; '/' does on Windows only).
#include "app/decoder_command_line.h"
#include "platform/host.h"
#include "support/test_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace sonarel {
namespace {

namespace fs = std::filesystem;

CommandLineOptions Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "sonarel-cli");
    std::vector<const char*> argv;
    for (const std::string& arg : args) {
        argv.push_back(arg.c_str());
    }
    CommandLineOptions options;
    DecoderCommandLine(options).Parse(static_cast<int>(argv.size()), argv.data());
    return options;
}

std::string InCurrentFolder(const std::string& name) {
    return (fs::current_path() / name).string();
}

TEST(CommandLine, NoArgumentsLeavesEverythingOffAndBothNamesAtTheCurrentFolder) {
    CommandLineOptions options = Parse({});
    EXPECT_FALSE(options.autoMode || options.exitWhenDone || options.noBeep || options.overwrite ||
                 options.inputGiven || options.outputGiven);
    EXPECT_EQ(options.inputPath.Str(), fs::current_path().string());
    EXPECT_EQ(options.outputPath.Str(), fs::current_path().string());
}

TEST(CommandLine, BareNamesAreInputThenOutputAndTheLastOutputWins) {
    CommandLineOptions one = Parse({"a.mp3"});
    EXPECT_TRUE(one.inputGiven);
    EXPECT_FALSE(one.outputGiven);
    EXPECT_EQ(one.inputPath.Str(), InCurrentFolder("a.mp3"));

    CommandLineOptions three = Parse({"a.mp3", "b.wav", "c.wav"});
    EXPECT_EQ(three.inputPath.Str(), InCurrentFolder("a.mp3"));
    EXPECT_TRUE(three.outputGiven);
    EXPECT_EQ(three.outputPath.Str(), InCurrentFolder("c.wav"));
}

TEST(CommandLine, SwitchesAndBareNamesMix) {
    CommandLineOptions outputFirst = Parse({"-output=x.wav", "a.mp3"});
    EXPECT_EQ(outputFirst.inputPath.Str(), InCurrentFolder("a.mp3"));
    EXPECT_EQ(outputFirst.outputPath.Str(), InCurrentFolder("x.wav"));

    CommandLineOptions inputFirst = Parse({"-input=a.mp3", "b.mp3"});
    EXPECT_EQ(inputFirst.inputPath.Str(), InCurrentFolder("a.mp3"));
    EXPECT_EQ(inputFirst.outputPath.Str(), InCurrentFolder("b.mp3"));

    CommandLineOptions replaced = Parse({"a.mp3", "-input=b.mp3"});
    EXPECT_EQ(replaced.inputPath.Str(), InCurrentFolder("b.mp3"));
    EXPECT_FALSE(replaced.outputGiven);
}

TEST(CommandLine, OnlyBareNamesAreExpandedToTheirStoredSpelling) {
    test::ScratchDir dir;
    test::WriteFileBytes(dir / "Song.MP3", {1});
    std::string typed = (dir.Path() / "song.mp3").string();

    CommandLineOptions viaSwitch = Parse({"-input=" + typed});
    EXPECT_EQ(viaSwitch.inputPath.Str(), typed);

    CommandLineOptions bare = Parse({typed});
    EXPECT_EQ(bare.inputPath.Str(), (dir.Path() / "Song.MP3").string());

    std::string missing = (dir.Path() / "none.mp3").string();
    EXPECT_EQ(Parse({missing}).inputPath.Str(), missing);
}

TEST(CommandLine, KeywordsMatchByTheirBeginningInAnyCase) {
    CommandLineOptions automatic = Parse({"-automatic"});
    EXPECT_TRUE(automatic.autoMode);
    EXPECT_TRUE(automatic.exitWhenDone);

    EXPECT_TRUE(Parse({"-AUTO"}).autoMode);
    EXPECT_TRUE(Parse({"-EXIT"}).exitWhenDone);
    EXPECT_TRUE(Parse({"-exit=1"}).exitWhenDone);
    EXPECT_FALSE(Parse({"-exit=1"}).autoMode);
    EXPECT_TRUE(Parse({"-exitnow"}).exitWhenDone);
    EXPECT_TRUE(Parse({"-NoBeep"}).noBeep);
    EXPECT_TRUE(Parse({"-overwrite"}).overwrite);
    EXPECT_FALSE(Parse({"-over"}).overwrite); // shorter than the keyword

    CommandLineOptions inputFile = Parse({"-inputfile=a.mp3"});
    EXPECT_TRUE(inputFile.inputGiven);
    EXPECT_EQ(inputFile.inputPath.Str(), InCurrentFolder("a.mp3"));
}

TEST(CommandLine, DoubleDashIsASwitchAndSlashOnlyOnWindows) {
    EXPECT_TRUE(Parse({"--auto"}).autoMode);
    EXPECT_TRUE(Parse({"--output=o.wav"}).outputGiven);

    CommandLineOptions slash = Parse({"/auto", "/output=o.wav"});
    EXPECT_EQ(slash.autoMode, kWindowsHost);
    EXPECT_EQ(slash.inputGiven, !kWindowsHost); // elsewhere a path
    EXPECT_EQ(slash.outputGiven, true);
}

TEST(CommandLine, NamesOfSwitchesComeAfterTheFirstEquals) {
    CommandLineOptions options = Parse({"-output=/tmp/a=b.wav", "-input="});
    EXPECT_EQ(options.outputPath.Str(), "/tmp/a=b.wav");
    EXPECT_TRUE(options.inputGiven); // an empty name is the current folder
    EXPECT_EQ(options.inputPath.Str(), fs::current_path().string());
}

TEST(CommandLine, InputOrOutputWithoutEqualsAndUnknownSwitchesAreIgnored) {
    CommandLineOptions options = Parse({"-input", "-output", "-frobnicate", "-", "a.mp3"});
    EXPECT_TRUE(options.inputGiven);
    EXPECT_EQ(options.inputPath.Str(), InCurrentFolder("a.mp3"));
    EXPECT_FALSE(options.outputGiven);
    EXPECT_FALSE(options.autoMode || options.exitWhenDone || options.noBeep || options.overwrite);
}

} // namespace
} // namespace sonarel
