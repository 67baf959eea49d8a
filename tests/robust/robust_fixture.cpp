#include "robust_fixture.h"

#include "app/decoding_stage.h"
#include "app/input_file_reader.h"
#include "support/given_names.h"

#include <algorithm>

namespace sonarel::test {
namespace {

constexpr size_t kHeaderBytes = 56;

uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

uint16_t Le16(const std::vector<unsigned char>& b, size_t at) {
    return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

std::string Id(const std::vector<unsigned char>& b, size_t at) {
    return std::string(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at) + 4);
}

} // namespace

WaveFile ReadWave(const std::string& path) {
    std::vector<unsigned char> b = ReadFileBytes(path);
    WaveFile wave;
    wave.fileSize = b.size();
    EXPECT_GE(b.size(), kHeaderBytes) << path;
    if (b.size() < kHeaderBytes) {
        return wave;
    }
    EXPECT_EQ(Id(b, 0), "RIFF");
    EXPECT_EQ(Id(b, 8), "WAVE");
    EXPECT_EQ(Id(b, 12), "fmt ");
    EXPECT_EQ(Le32(b, 16), 16u);
    EXPECT_EQ(Le16(b, 20), 1u); // PCM
    EXPECT_EQ(Le16(b, 34), 16u);
    EXPECT_EQ(Id(b, 36), "fact");
    EXPECT_EQ(Id(b, 48), "data");
    wave.riffSize = Le32(b, 4);
    wave.channels = Le16(b, 22);
    wave.rate = Le32(b, 24);
    wave.blockAlign = Le16(b, 32);
    wave.fact = Le32(b, 44);
    wave.dataSize = Le32(b, 52);
    wave.data.assign(b.begin() + kHeaderBytes, b.end());
    return wave;
}

void ExpectSelfConsistent(const WaveFile& wave) {
    EXPECT_EQ(wave.riffSize, wave.fileSize - 8);
    EXPECT_EQ(wave.blockAlign, 2u * wave.channels);
    EXPECT_LE(wave.dataSize, wave.data.size());
    uint64_t pad = wave.data.size() - std::min<uint64_t>(wave.data.size(), wave.dataSize);
    EXPECT_EQ(pad, wave.dataSize % 2) << "data " << wave.dataSize << ", file " << wave.fileSize;
    if (wave.blockAlign != 0) {
        EXPECT_EQ(wave.dataSize % wave.blockAlign, 0u) << "the data ends inside a sample frame";
        EXPECT_EQ(wave.fact, wave.dataSize / wave.blockAlign);
    }
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
