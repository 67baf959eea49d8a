// The command line: switches by prefix and in any letter case, bare names as input then
// output, and the host's rules ('-' and "--" introduce switches; '/' does on Windows only).
#include "app/decoder_command_line.h"
#include "platform/host.h"
#include "support/test_paths.h"

#include <filesystem>
#include <gtest/gtest.h>
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

// "flags|input|output": the switches set (a auto, x exit, b no beep, o overwrite), and each
// name as given ("" when not given, "." for the current folder, relative names without it).
std::string Described(const CommandLineOptions& options) {
    std::string flags = std::string(options.autoMode ? "a" : "") +
                        (options.exitWhenDone ? "x" : "") + (options.noBeep ? "b" : "") +
                        (options.overwrite ? "o" : "");
    auto name = [](bool given, const PathName& path) -> std::string {
        const std::string here = fs::current_path().string();
        if (!given) {
            return "";
        }
        if (path.Str() == here) {
            return ".";
        }
        bool inHere = path.Str().rfind(here, 0) == 0 && path.Str().size() > here.size();
        return inHere ? path.Str().substr(here.size() + 1) : path.Str();
    };
    return flags + "|" + name(options.inputGiven, options.inputPath) + "|" +
           name(options.outputGiven, options.outputPath);
}

TEST(CommandLine, SwitchesByPrefixInAnyCaseAndBareNamesAsInputThenOutput) {
    const std::string slashes = kWindowsHost ? "ax||o.wav" : "|/auto|/output=o.wav";
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } rows[] = {
        {{}, "||"},
        {{"a.mp3"}, "|a.mp3|"},
        {{"a.mp3", "b.wav", "c.wav"}, "|a.mp3|c.wav"}, // the last output wins
        {{"-output=x.wav", "a.mp3"}, "|a.mp3|x.wav"},
        {{"-input=a.mp3", "b.mp3"}, "|a.mp3|b.mp3"},
        {{"a.mp3", "-input=b.mp3"}, "|b.mp3|"},
        {{"-automatic"}, "ax||"},
        {{"-AUTO"}, "ax||"},
        {{"-exitnow"}, "x||"},
        {{"-NoBeep"}, "b||"},
        {{"-overwrite"}, "o||"},
        {{"-over"}, "||"}, // shorter than the keyword
        {{"-inputfile=a.mp3"}, "|a.mp3|"},
        {{"--output=o.wav"}, "||o.wav"},
        {{"/auto", "/output=o.wav"}, slashes}, // '/' introduces switches on Windows only
        {{"-output=/tmp/a=b.wav", "-input="}, "|.|/tmp/a=b.wav"},
        {{"-input", "-output", "-frobnicate", "-", "a.mp3"}, "|a.mp3|"},
    };
    for (const auto& row : rows) {
        std::string line;
        for (const std::string& arg : row.args) {
            line += arg + " ";
        }
        EXPECT_EQ(Described(Parse(row.args)), row.expected) << line;
    }
    // Names not given stand for the current folder.
    EXPECT_EQ(Parse({}).inputPath.Str(), fs::current_path().string());
    EXPECT_EQ(Parse({}).outputPath.Str(), fs::current_path().string());
}

TEST(CommandLine, OnlyBareNamesAreExpandedToTheirStoredSpelling) {
    test::ScratchDir dir;
    test::WriteFileBytes(dir / "Song.MP3", {1});
    std::string typed = (dir.Path() / "song.mp3").string();

    CommandLineOptions viaSwitch = Parse({"-input=" + typed});
    EXPECT_EQ(viaSwitch.inputPath.Str(), typed);

    CommandLineOptions bare = Parse({typed});
    EXPECT_EQ(bare.inputPath.Str(), (dir.Path() / "Song.MP3").string());
}

} // namespace
} // namespace sonarel
