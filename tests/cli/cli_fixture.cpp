#include "cli_fixture.h"

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace sonarel::test {
namespace {

constexpr const char* kWaveScript = R"(
import sys, wave
try:
    with wave.open(sys.argv[1], 'rb') as w:
        frames = w.readframes(w.getnframes())
        if len(frames) != w.getnframes() * w.getnchannels() * w.getsampwidth():
            raise ValueError('data chunk shorter than its header says')
        open(sys.argv[2], 'wb').write(frames)
        print(w.getframerate(), w.getnchannels(), w.getsampwidth(), w.getnframes())
except Exception as e:
    print('error', e)
)";

} // namespace

WaveInfo ReadWaveWithPython(const std::string& path, const std::string& pcmOut) {
    ProcessResult run =
        RunProcess({"/usr/bin/env", "python3", "-c", kWaveScript, path, pcmOut}, {}, "/");
    WaveInfo info;
    std::istringstream line(run.out);
    if (run.exitCode != 0 || run.out.rfind("error", 0) == 0 ||
        !(line >> info.rate >> info.channels >> info.sampleWidth >> info.frames)) {
        info.error = run.out + run.err;
        return info;
    }
    info.valid = true;
    return info;
}

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
    cli = (BinDir() / "sonarel-cli").string();
    if (!std::filesystem::exists(cli)) {
        GTEST_SKIP() << "sonarel-cli is not built at " << cli;
    }
}

std::vector<std::string> CliTest::Env() const {
    return {"XDG_CONFIG_HOME=" + Scratch("config")};
}

ProcessResult CliTest::Run(std::vector<std::string> args) const {
    args.insert(args.begin(), cli);
    return RunProcess(args, Env(), dir.Path().string());
}

std::string CliTest::Fixture(const std::string& name) const {
    return (FixturesDir() / "mp3" / name).string();
}

} // namespace sonarel::test
