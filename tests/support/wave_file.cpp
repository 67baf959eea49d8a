#include "support/wave_file.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

namespace sonarel::test {
namespace {

constexpr uint32_t kSizeInDs64 = 0xFFFFFFFF;

uint64_t LittleEndian(const uint8_t* bytes, int count) {
    uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

// Up to `count` bytes of the file from `at` (fewer at its end).
std::vector<uint8_t> ReadAt(std::ifstream& in, uint64_t at, uint64_t count) {
    in.clear();
    in.seekg(0, std::ios::end);
    const uint64_t size = static_cast<uint64_t>(std::max<std::streamoff>(in.tellg(), 0));
    std::vector<uint8_t> bytes(std::min(count, size > at ? size - at : 0));
    in.seekg(static_cast<std::streamoff>(at));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return bytes;
}

void ReadFormat(WaveFile& wave, std::vector<uint8_t> body) {
    wave.format = std::move(body);
    if (wave.format.size() < 16) {
        wave.error = "the format chunk is shorter than 16 bytes";
        return;
    }
    const uint8_t* f = wave.format.data();
    wave.formatTag = static_cast<uint16_t>(LittleEndian(f, 2));
    wave.channels = static_cast<uint16_t>(LittleEndian(f + 2, 2));
    wave.rate = static_cast<uint32_t>(LittleEndian(f + 4, 4));
    wave.byteRate = static_cast<uint32_t>(LittleEndian(f + 8, 4));
    wave.blockAlign = static_cast<uint16_t>(LittleEndian(f + 12, 2));
    wave.bitsPerSample = static_cast<uint16_t>(LittleEndian(f + 14, 2));
}

// ds64: RIFF size, data size, sample count (8 bytes each).
void ReadDs64(WaveFile& wave, const std::vector<uint8_t>& body, uint64_t& dataSize) {
    if (body.size() < 24) {
        wave.error = "the ds64 chunk is shorter than 24 bytes";
        return;
    }
    wave.riffSize = LittleEndian(body.data(), 8);
    dataSize = LittleEndian(body.data() + 8, 8);
    wave.fact = LittleEndian(body.data() + 16, 8);
    if (body.size() < 28 || 28 + 12 * LittleEndian(body.data() + 24, 4) > body.size()) {
        wave.error = "the ds64 table runs past its chunk";
    }
}

} // namespace

WaveFile ReadWaveFile(const std::filesystem::path& path, bool withData) {
    WaveFile wave;
    std::error_code ec;
    wave.fileSize = std::filesystem::file_size(path, ec);
    std::ifstream file(path, std::ios::binary);
    const std::vector<uint8_t> start = ReadAt(file, 0, 12);
    const uint8_t* header = start.data();
    if (ec || start.size() < 12) {
        wave.error = "shorter than a RIFF header";
        return wave;
    }
    wave.form.assign(header, header + 4);
    if ((wave.form != "RIFF" && wave.form != "RF64") ||
        std::string(header + 8, header + 12) != "WAVE") {
        wave.error = "not a RIFF/RF64 WAVE file";
        return wave;
    }
    wave.riffSize = LittleEndian(header + 4, 4);
    uint64_t ds64DataSize = 0;
    for (uint64_t at = 12; wave.error.empty();) {
        const std::vector<uint8_t> bytes = ReadAt(file, at, 8);
        const uint8_t* chunk = bytes.data();
        if (bytes.size() < 8) {
            wave.error = "no data chunk";
            break;
        }
        std::string id(chunk, chunk + 4);
        uint64_t size = LittleEndian(chunk + 4, 4);
        wave.chunks.push_back(id);
        if (id == "data") {
            wave.dataOffset = at + 8;
            wave.dataSize = (wave.form == "RF64" && size == kSizeInDs64) ? ds64DataSize : size;
            if (withData) {
                wave.data = ReadAt(file, wave.dataOffset, wave.fileSize - wave.dataOffset);
            }
            break;
        }
        std::vector<uint8_t> body = ReadAt(file, at + 8, size);
        if (id == "fmt ") {
            ReadFormat(wave, std::move(body));
        } else if (id == "fact" && body.size() >= 4) {
            wave.fact = LittleEndian(body.data(), 4);
        } else if (id == "ds64") {
            ReadDs64(wave, body, ds64DataSize);
        }
        at += 8 + size + (size & 1);
    }
    return wave;
}

std::string WaveInconsistency(const WaveFile& wave, WaveEnd end) {
    if (!wave.error.empty()) {
        return wave.error;
    }
    auto say = [](const std::string& what, uint64_t stored, uint64_t actual) {
        return what + " " + std::to_string(stored) + ", expected " + std::to_string(actual);
    };
    uint64_t pad = wave.dataSize % 2;
    if (end == WaveEnd::kPadMayBeMissing && wave.dataOffset + wave.dataSize == wave.fileSize) {
        pad = 0;
    }
    uint64_t counted = wave.dataOffset + wave.dataSize + pad; // what the header accounts for
    bool bytesMayFollow = end == WaveEnd::kInterrupted;
    if (counted > wave.fileSize || (counted < wave.fileSize && !bytesMayFollow)) {
        return say("data size", wave.dataSize, wave.fileSize - wave.dataOffset - pad);
    }
    uint64_t size = bytesMayFollow ? counted : wave.fileSize;
    if (wave.riffSize != size - 8) {
        return say("RIFF size", wave.riffSize, size - 8);
    }
    if (wave.formatTag == 1 && wave.blockAlign != wave.channels * ((wave.bitsPerSample + 7) / 8)) {
        return say("block align", wave.blockAlign, wave.channels * ((wave.bitsPerSample + 7) / 8));
    }
    if (wave.formatTag == 1 && wave.byteRate != uint64_t{wave.rate} * wave.blockAlign) {
        return say("byte rate", wave.byteRate, uint64_t{wave.rate} * wave.blockAlign);
    }
    if (wave.formatTag == 1 && wave.blockAlign != 0) {
        if (wave.dataSize % wave.blockAlign != 0) {
            return "the data ends inside a sample frame";
        }
        if (wave.fact && *wave.fact != wave.dataSize / wave.blockAlign) {
            return say("fact", *wave.fact, wave.dataSize / wave.blockAlign);
        }
    }
    return {};
}

WaveFile CheckedWave(const std::filesystem::path& path) {
    WaveFile wave = ReadWaveFile(path);
    EXPECT_EQ(WaveInconsistency(wave), "") << path.string();
    return wave;
}

bool IsPrefix(const std::vector<uint8_t>& part, const std::vector<uint8_t>& whole) {
    return part.size() <= whole.size() && std::equal(part.begin(), part.end(), whole.begin());
}

} // namespace sonarel::test
