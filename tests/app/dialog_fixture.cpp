#include "dialog_fixture.h"

#include "support/given_names.h"
#include "support/wave_file.h"

namespace sonarel::test {

DialogTest::DialogTest() {
    dialog = std::make_unique<DecoderDialog>(view, settings, pipeline);
    view.handler = [this](MessageId id, WParam w, LParam l) {
        return dialog->HandleMessage(id, w, l);
    };
}

std::string DialogTest::CopyFixture(const std::string& fixture, const std::string& name) {
    WriteFileBytes(dir / name, ReadFileBytes(FixturesDir() / "mp3" / fixture));
    return Scratch(name);
}

std::string DialogTest::LongInput(const std::string& name, size_t bytes) {
    std::vector<unsigned char> one = ReadFileBytes(FixturesDir() / "mp3" / "cbr_44100_stereo.mp3");
    std::vector<unsigned char> all;
    while (all.size() < bytes) {
        all.insert(all.end(), one.begin(), one.end());
    }
    WriteFileBytes(dir / name, all);
    return Scratch(name);
}

std::string DialogTest::PcmWave(const std::string& name) {
    WriteFileBytes(dir / name, ReadFileBytes(FixturesDir() / "wave" / "python_pcm_stereo.wav"));
    return Scratch(name);
}

void DialogTest::ReadyWith(const std::string& input, const std::string& output) {
    GiveNames(dialog->Options(), input, output);
    dialog->Initialize();
}

void ExpectCompleteWave(const std::string& path, int rate, int channels) {
    WaveFile wave = ReadWaveFile(path, false);
    EXPECT_EQ(WaveInconsistency(wave), "") << path;
    EXPECT_EQ(wave.rate, static_cast<uint32_t>(rate));
    EXPECT_EQ(wave.channels, channels);
}

} // namespace sonarel::test
