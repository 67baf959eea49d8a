#include "cli_fixture.h"

#include <sstream>

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
