#include "dialog_fixture.h"

#include <cstdint>
#include <vector>

#include "support/given_names.h"

namespace sonarel::test {
namespace {

uint32_t Le32(const std::vector<unsigned char>& b, size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

void Put32(std::vector<unsigned char>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<unsigned char>(v >> (8 * i)));
    }
}

void Put16(std::vector<unsigned char>& b, uint16_t v) {
    b.push_back(static_cast<unsigned char>(v & 0xFF));
    b.push_back(static_cast<unsigned char>(v >> 8));
}

void PutText(std::vector<unsigned char>& b, const char* text) {
    for (int i = 0; i < 4; ++i) {
        b.push_back(static_cast<unsigned char>(text[i]));
    }
}

} // namespace

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
    const uint32_t dataBytes = 4410 * 4;
    std::vector<unsigned char> b;
    PutText(b, "RIFF");
    Put32(b, 36 + dataBytes);
    PutText(b, "WAVE");
    PutText(b, "fmt ");
    Put32(b, 16);
    Put16(b, 1); // PCM
    Put16(b, 2); // two channels
    Put32(b, 44100);
    Put32(b, 44100 * 4);
    Put16(b, 4);
    Put16(b, 16);
    PutText(b, "data");
    Put32(b, dataBytes);
    b.resize(b.size() + dataBytes, 0);
    WriteFileBytes(dir / name, b);
    return Scratch(name);
}

void DialogTest::ReadyWith(const std::string& input, const std::string& output) {
    GiveNames(dialog->Options(), input, output);
    dialog->Initialize();
}

void ExpectCompleteWave(const std::string& path, int rate, int channels) {
    std::vector<unsigned char> b = ReadFileBytes(path);
    ASSERT_GE(b.size(), 56u);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "RIFF");
    EXPECT_EQ(Le32(b, 4), b.size() - 8);
    EXPECT_EQ(Le32(b, 24), static_cast<uint32_t>(rate));
    EXPECT_EQ(b[22], channels);
    EXPECT_EQ(std::string(b.begin() + 48, b.begin() + 52), "data");
    uint32_t data = Le32(b, 52);
    EXPECT_EQ(data, b.size() - 56);
    EXPECT_EQ(Le32(b, 44), data / (2u * static_cast<uint32_t>(channels))); // fact: samples
}

} // namespace sonarel::test
