// Reads the audio payload of a RIFF/WAVE (or RF64) file: the bytes of its "data"
// chunk, with the file's format record (PCM or MPEG Layer-3).
#pragma once

#include "io/file_source.h"
#include "io/riff_reader.h"
#include "io/wave_format.h"

#include <atomic>
#include <cstdint>
#include <string_view>

namespace sonarel {

class RiffWaveReader : public FileSource {
public:
    // Results of Open.
    static constexpr int kOpenOk = 0;
    static constexpr int kCannotOpen = 1;   // the file cannot be opened
    static constexpr int kBadStructure = 2; // not RIFF/WAVE, "fmt " or "data" missing, short read
    static constexpr int kBadFormatTag = 3; // neither PCM nor MPEG Layer-3

    explicit RiffWaveReader(std::string_view path) : FileSource(path) {}
    ~RiffWaveReader() override;

    int Open() override;
    void Close() override;
    int IsOpen() const override { return state_ == 2 ? 1 : 0; }
    // No open file: 0. Delivers at most up to the end of the data chunk;
    // -1 once it is used up or on a read error.
    int Read(uint8_t* buffer, int32_t length, int* format_changed) override;
    // Moves to the given second of the payload (by the format's average bytes
    // per second): 1 on success, 0 without a format or on failure, -1 when the
    // target lies past the data chunk. The position follows the move.
    int Seek(int32_t seconds) override;

    int IsPcm() const override;
    const WaveFormatHolder* GetFormat() const override;

    // Length of the data chunk (cut to the bytes present when the file is truncated);
    // both stop at 0xFFFFFFFF for RF64 data beyond 4 GiB.
    uint32_t GetSize() const override { return Clamp32(DataLength()); }
    uint32_t GetPosition() const override {
        return Clamp32(position_.load(std::memory_order_relaxed));
    }
    // The whole length of the data chunk, in 64 bits.
    uint64_t DataLength() const { return data_length_.load(std::memory_order_relaxed); }

private:
    int OpenFile();
    int ReadFormat(const RiffChunk& riff);
    static uint32_t Clamp32(uint64_t value) {
        return value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(value);
    }

    WaveFormatHolder format_;
    int state_ = 0; // 0 closed, 2 open
    std::atomic<uint64_t> position_{0};
    RiffReader file_;
    std::atomic<uint64_t> data_length_{0};
    uint64_t data_offset_ = 0;
};

} // namespace sonarel
