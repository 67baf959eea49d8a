// The file readers on arbitrary files: the RIFF/WAVE reader (chunk walk, format record,
// data bounds, seeking) and the raw reader (ID3v2 tags skipped at the start).
// The whole input is the file; read sizes follow from its length.
#include "fuzz_support.h"
#include "io/raw_file_reader.h"
#include "io/riff_wave_reader.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using sonarel::FileSource;
using sonarel::RawFileReader;
using sonarel::RiffWaveReader;
using sonarel::fuzz::Check;
using sonarel::fuzz::Rng;

// One scratch file per fuzzing process, rewritten for every input.
const std::string& ScratchFile() {
    static const std::string path = [] {
        const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string name = std::string(dir) + "/sonarel-fuzz-XXXXXX";
        int fd = mkstemp(name.data());
        Check(fd >= 0);
        close(fd);
        std::atexit([] { std::remove(ScratchFile().c_str()); });
        return name;
    }();
    return path;
}

void WriteFile(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    Check(file != nullptr);
    Check(size == 0 || std::fwrite(data, 1, size, file) == size);
    Check(std::fclose(file) == 0);
}

// Reads until the reader reports the end; the count delivered.
uint64_t ReadAll(FileSource& reader, Rng& rng) {
    std::vector<uint8_t> buffer(4096);
    uint64_t total = 0;
    for (;;) {
        int32_t length = static_cast<int32_t>(rng.Size(static_cast<uint32_t>(buffer.size())));
        int got = reader.Read(buffer.data(), length, nullptr);
        if (got <= 0) {
            return total;
        }
        Check(got <= length);
        total += static_cast<uint64_t>(got);
    }
}

void CheckRiff(const std::string& path, Rng& rng) {
    RiffWaveReader reader(path);
    int opened = reader.Open();
    if (opened != RiffWaveReader::kOpenOk) {
        Check(opened == RiffWaveReader::kCannotOpen || opened == RiffWaveReader::kBadStructure ||
              opened == RiffWaveReader::kBadFormatTag);
        Check(reader.IsOpen() == 0);
        return;
    }
    const sonarel::WaveFormatHolder* format = reader.GetFormat();
    Check(format != nullptr);
    uint16_t tag = format->Header().format_tag;
    Check(tag == sonarel::kWaveFormatPcm || tag == sonarel::kWaveFormatMpegLayer3);
    Check((reader.IsPcm() != 0) == (tag == sonarel::kWaveFormatPcm));
    // The data chunk never reaches past the end of the file.
    uint64_t total = ReadAll(reader, rng);
    Check(total == reader.GetSize() && reader.GetPosition() == reader.GetSize());
    Check(reader.Read(nullptr, 16, nullptr) < 0);
    // Seeking stays inside the data chunk; the payload after it stays bounded.
    int seconds = static_cast<int>(rng.Next() % 4);
    if (reader.Seek(seconds) == 1) {
        Check(ReadAll(reader, rng) <= reader.GetSize());
    }
    reader.Close();
}

void CheckRaw(const std::string& path, size_t file_size, Rng& rng) {
    RawFileReader reader(path);
    Check(reader.Open() == 0);
    Check(reader.GetSize() <= file_size);
    uint64_t total = ReadAll(reader, rng);
    Check(total == reader.GetSize() && reader.GetPosition() == total);
    Check(!reader.HasFailed());
    reader.Close();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string& path = ScratchFile();
    WriteFile(path, data, size);
    Rng rng(static_cast<uint32_t>(size * 2654435761u));
    CheckRiff(path, rng);
    CheckRaw(path, size, rng);
    return 0;
}
