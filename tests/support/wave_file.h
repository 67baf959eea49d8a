// The one WAVE checker of the tests: walks a RIFF or RF64 file chunk by chunk without the
// program's own reader, and says whether every size field agrees with the file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace sonarel::test {

struct WaveFile {
    std::string error; // why the chunks could not be walked; empty when they could
    std::string form;  // "RIFF" or "RF64"
    uint64_t fileSize = 0;
    uint64_t riffSize = 0;           // from the header, or from "ds64" in an RF64 file
    std::vector<std::string> chunks; // chunk ids in file order
    std::vector<uint8_t> format;     // the "fmt " chunk's body
    uint16_t formatTag = 0;
    uint16_t channels = 0;
    uint32_t rate = 0;
    uint32_t byteRate = 0;
    uint16_t blockAlign = 0;
    uint16_t bitsPerSample = 0;
    std::optional<uint64_t> fact; // sample frames, from "fact" or "ds64"
    uint64_t dataOffset = 0;
    uint64_t dataSize = 0;     // from the data chunk's header, or from "ds64"
    std::vector<uint8_t> data; // the bytes after the data chunk's header (when read)
};

// Reads the file's chunks; with withData, also every byte after the data chunk's header.
WaveFile ReadWaveFile(const std::filesystem::path& path, bool withData = true);

// How complete a file must be for its sizes to agree.
enum class WaveEnd {
    kComplete,        // finished by the writer
    kPadMayBeMissing, // the disk filled up before the pad byte after odd data
    kInterrupted,     // the process died: bytes may follow what the header counts so far
};

// Empty when the sizes agree: the RIFF size with the file, the data size with the bytes that
// follow (and one pad byte after odd data), the block align and byte rate with the format, and
// the fact count with the whole sample frames of the data. Otherwise says what disagrees.
std::string WaveInconsistency(const WaveFile& wave, WaveEnd end = WaveEnd::kComplete);

// The file, read and checked: the running test fails when its sizes disagree.
WaveFile CheckedWave(const std::filesystem::path& path);

// True when `part` is the beginning of `whole` (a cut conversion's data against the full one).
bool IsPrefix(const std::vector<uint8_t>& part, const std::vector<uint8_t>& whole);

} // namespace sonarel::test
