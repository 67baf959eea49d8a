#include "robust_fixture.h"

#include "app/decoding_stage.h"
#include "app/input_file_reader.h"
#include "support/given_names.h"

#include <algorithm>

namespace sonarel::test {
WaveFile CheckedWave(const std::string& path) {
    WaveFile wave = ReadWaveFile(path);
    EXPECT_EQ(WaveInconsistency(wave), "") << path;
    return wave;
}

ProcessResult RunCli(std::vector<std::string> args, const std::string& workDir,
                     uint64_t fileSizeLimit, int timeout_ms) {
    args.insert(args.begin(), ProgramPath("sonarel-cli"));
    ChildOptions options{{"XDG_CONFIG_HOME=" + workDir}, workDir, "", fileSizeLimit};
    return RunProcess(args, options, timeout_ms);
}

bool IsPrefix(const std::vector<uint8_t>& part, const std::vector<uint8_t>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

std::vector<uint8_t> DecodeAll(const std::string& input) {
    InputFileReader source(input);
    EXPECT_EQ(source.Open(), 0) << input;
    DecodingStage stage;
    stage.Attach(&source, false);
    EXPECT_EQ(stage.Open(), 0);
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> frame(static_cast<size_t>(stage.GetBufferSize()));
    for (;;) {
        int got = stage.Read(frame.data(), static_cast<int32_t>(frame.size()), nullptr);
        if (got < 0) {
            break;
        }
        pcm.insert(pcm.end(), frame.begin(), frame.begin() + got);
    }
    stage.Close();
    source.Close();
    return pcm;
}

std::string RepeatFixture(const ScratchDir& dir, const std::string& fixture,
                          const std::string& name, size_t bytes) {
    std::vector<unsigned char> one = ReadFileBytes(FixturesDir() / "mp3" / fixture);
    std::vector<unsigned char> all;
    while (all.size() < bytes) {
        all.insert(all.end(), one.begin(), one.end());
    }
    WriteFileBytes(dir / name, all);
    return (dir / name).string();
}

PipelineTest::PipelineTest() : pipeline(MakeWriter()) {
    dialog = std::make_unique<DecoderDialog>(view, settings, pipeline);
    view.handler = [this](MessageId id, WParam w, LParam l) {
        return dialog->HandleMessage(id, w, l);
    };
    dialog->Options().noBeep = true;
    dialog->Options().overwrite = true; // conversions here replace each other's output
}

PipelineTest::~PipelineTest() {
    dialog.reset(); // before the pipeline it borrows
}

std::unique_ptr<WaveFileWriter> PipelineTest::MakeWriter() {
    auto made = std::make_unique<FullDiskWriter>();
    writer = made.get();
    return made;
}

void PipelineTest::Ready(const std::string& input, const std::string& output) {
    GiveNames(dialog->Options(), input, output);
    dialog->Initialize();
}

bool PipelineTest::Convert() {
    dialog->OnDecode();
    if (!dialog->IsDecoding()) {
        return false;
    }
    return view.PumpUntil([this] { return !dialog->IsDecoding(); }, 60000);
}

void PipelineTest::InjectReaderFault(ReaderFault fault) {
    pipeline.source.SetReaderWrapper([fault](std::unique_ptr<FileSource> chosen) {
        return std::make_unique<FaultyReader>(std::move(chosen), fault);
    });
}

} // namespace sonarel::test
