#include "cli_fixture.h"

#include "cli/exit_codes.h"

#include <chrono>
#include <sstream>
#include <thread>

namespace sonarel::test {

bool WaitForSize(const std::string& path, uintmax_t bytes, int timeout_ms) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    std::error_code error;
    while (std::filesystem::file_size(path, error) < bytes || error) {
        if (std::chrono::steady_clock::now() > deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

ChildOptions CliTest::Options(std::vector<std::string> env) const {
    env.push_back("XDG_CONFIG_HOME=" + Scratch("config"));
    return {env, dir.Path().string(), "", 0};
}

ProcessResult CliTest::Run(std::vector<std::string> args) const {
    args.insert(args.begin(), cli);
    return RunProcess(args, Options());
}

ProcessResult CliTest::Shell(const std::string& line) const {
    return RunProcess({"/bin/bash", "-c", line}, Options());
}

std::string CliTest::Fixture(const std::string& name) const {
    return (FixturesDir() / "mp3" / name).string();
}

std::string CliTest::Expand(std::string text, bool quoted) const {
    for (size_t open = text.find('{'); open != std::string::npos; open = text.find('{', open)) {
        const size_t close = text.find('}', open);
        if (open > 0 && text[open - 1] == '$') { // bash's own ${...}
            open = close;
            continue;
        }
        const std::string name = text.substr(open + 1, close - open - 1);
        std::string full = name == "cli"  ? cli
                           : name == "in" ? Fixture("cbr_8000_mono.mp3")
                                          : Scratch(name);
        full = quoted ? "'" + full + "'" : full;
        text.replace(open, close - open + 1, full);
        open += full.size();
    }
    return text;
}

void CliTest::ExpectAnswers(const std::vector<Answer>& answers) const {
    const std::string out = Scratch("out.wav");
    const ChildOptions options = Options({"SONAREL_AUDIO_DEVICE=null"});
    ASSERT_EQ(Run({Expand("{in}"), Scratch("reference.wav")}).exitCode, cli::kExitDone);
    const std::vector<unsigned char> converted = ReadFileBytes(Scratch("reference.wav"));
    CheckedWave(Scratch("reference.wav"));
    for (const Answer& answer : answers) {
        SCOPED_TRACE(answer.line);
        std::filesystem::remove(out);
        const std::string before = answer.before.value_or("");
        if (answer.before) {
            WriteFileBytes(out, std::vector<unsigned char>(before.begin(), before.end()));
        }
        std::vector<std::string> args = {cli};
        std::istringstream words(answer.line);
        for (std::string word; words >> word;) {
            args.push_back(Expand(word));
        }
        if (Contains(answer.line, "{cli}")) {
            args = {"/bin/bash", "-c", Expand(answer.line, true)};
        }
        const ProcessResult run = RunProcess(args, options);
        EXPECT_EQ(run.exitCode, answer.exitCode) << run.out << run.err;
        const std::string said = answer.exitCode == cli::kExitDone ? run.out + run.err : run.err;
        EXPECT_TRUE(Contains(said, Expand(answer.text))) << said;
        if (answer.exitCode != cli::kExitDone && answer.exitCode != cli::kExitDoneWithSkips) {
            EXPECT_FALSE(Contains(run.out, "Done!")) << run.out;
        }
        EXPECT_TRUE(answer.exitCode != cli::kExitUsage || run.out.empty()) << run.out;
        EXPECT_FALSE(Contains(run.err, "ALSA lib")) << run.err; // no library chatter
        if (answer.after == kAbsent) {
            EXPECT_FALSE(std::filesystem::exists(out));
        } else if (answer.after == kKept) {
            EXPECT_EQ(ReadFileBytes(out), std::vector<unsigned char>(before.begin(), before.end()));
        } else if (answer.after == kWave) {
            EXPECT_TRUE(ReadFileBytes(out) == converted);
        } else {
            EXPECT_EQ(std::filesystem::file_size(out), static_cast<uintmax_t>(answer.after));
        }
    }
}

} // namespace sonarel::test
