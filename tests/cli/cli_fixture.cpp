#include "cli_fixture.h"

#include <chrono>
#include <fstream>
#include <thread>

namespace sonarel::test {

void WriteLongInput(const std::string& path, int seconds) {
    std::vector<unsigned char> one = ReadFileBytes(FixturesDir() / "mp3" / "cbr_44100_stereo.mp3");
    std::ofstream out(path, std::ios::binary);
    for (int i = 0; i < seconds; ++i) {
        out.write(reinterpret_cast<const char*>(one.data()), static_cast<long>(one.size()));
    }
}

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

void CliTest::SetUp() {
    cli = ProgramPath("sonarel-cli");
    if (!std::filesystem::exists(cli)) {
        GTEST_SKIP() << "sonarel-cli is not built at " << cli;
    }
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

} // namespace sonarel::test
