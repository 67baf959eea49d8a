#include "dialog_fixture.h"

#include "app/decoding_stage.h"
#include "app/input_file_reader.h"

#include <algorithm>

namespace sonarel::test {

DialogTest::DialogTest() : pipeline(MakeWriter()) {
    dialog = std::make_unique<DecoderDialog>(view, settings, pipeline);
    view.handler = [this](MessageId id, WParam w, LParam l) {
        return dialog->HandleMessage(id, w, l);
    };
}

DialogTest::~DialogTest() {
    dialog.reset(); // before the pipeline it borrows
}

std::unique_ptr<WaveFileWriter> DialogTest::MakeWriter() {
    auto made = std::make_unique<LimitedWriter>();
    writer = made.get();
    return made;
}

std::string DialogTest::CopyFixture(const std::string& fixture, const std::string& name) {
    WriteFileBytes(dir / name, ReadFileBytes(FixturesDir() / "mp3" / fixture));
    return Scratch(name);
}

std::string DialogTest::PcmWave(const std::string& name) {
    WriteFileBytes(dir / name, ReadFileBytes(FixturesDir() / "wave" / "python_pcm_stereo.wav"));
    return Scratch(name);
}

void DialogTest::ReadyWith(const std::string& input, const std::string& output) {
    CommandLineOptions& options = dialog->Options();
    options.inputPath.Assign(input);
    options.outputPath.Assign(output);
    options.inputGiven = options.outputGiven = true;
    dialog->Initialize();
}

void DialogTest::InjectReaderFault(ReaderFault fault) {
    pipeline.source.SetReaderWrapper([fault](std::unique_ptr<FileSource> chosen) {
        return std::make_unique<FaultyReader>(std::move(chosen), fault);
    });
}

void ExpectCompleteWave(const std::string& path, int rate, int channels) {
    WaveFile wave = CheckedWave(path);
    EXPECT_EQ(wave.rate, static_cast<uint32_t>(rate));
    EXPECT_EQ(wave.channels, channels);
}

std::vector<uint8_t> DecodeAll(const std::string& input) {
    InputFileReader source(input);
    EXPECT_EQ(source.Open(), 0) << input;
    DecodingStage stage;
    stage.Attach(&source, false);
    EXPECT_EQ(stage.Open(), 0);
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> frame(static_cast<size_t>(stage.GetBufferSize()));
    for (int got = 0; got >= 0;) {
        got = stage.Read(frame.data(), static_cast<int32_t>(frame.size()), nullptr);
        pcm.insert(pcm.end(), frame.begin(), frame.begin() + std::max(got, 0));
    }
    stage.Close();
    source.Close();
    return pcm;
}

} // namespace sonarel::test
