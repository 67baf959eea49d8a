// A WAVE writer on a disk that tests can limit, which keeps the length of every write of the
// file it has open and can stop once on the way, before storing the bytes that reach a chosen
// file offset.
#pragma once

#include "output/wave_file_writer.h"

#include <climits>
#include <cstdint>
#include <functional>
#include <vector>

namespace sonarel::test {

struct Disk {
    uint64_t capacity = UINT64_MAX; // bytes in all, header included, before the disk is full
    uint64_t per_call = UINT64_MAX; // the most one call stores
    uint64_t data_limit = 0;        // in place of the real size limit, when not 0
    int good_calls = INT_MAX;       // calls that succeed before the system fails every one
    int real_calls = INT_MAX;       // calls that store; later ones only pretend to (no limits)
    bool truncates = true;
};

class LimitedWriter : public WaveFileWriter {
public:
    using WaveFileWriter::WaveFileWriter;
    int Open() override {
        used_ = 0; // a new file
        stopped_ = false;
        writes.clear();
        return WaveFileWriter::Open();
    }
    int Write(const uint8_t* data, int32_t length) override {
        writes.push_back(length);
        return WaveFileWriter::Write(data, length);
    }

    Disk disk;
    std::vector<int32_t> writes;
    int raw_calls = 0;
    std::function<void()> stop; // called once, before storing the bytes that reach stop_at
    uint64_t stop_at = 0;

protected:
    int64_t WriteRaw(const uint8_t* data, size_t size) override {
        if (stop && !stopped_ && used_ + size > stop_at) {
            stopped_ = true;
            stop();
        }
        if (++raw_calls > disk.good_calls || raw_calls > disk.real_calls) {
            return raw_calls > disk.good_calls ? -1 : static_cast<int64_t>(size);
        }
        const auto n =
            static_cast<size_t>(std::min({uint64_t{size}, disk.per_call, disk.capacity - used_}));
        const int64_t stored = n > 0 ? WaveFileWriter::WriteRaw(data, n) : 0;
        used_ += static_cast<uint64_t>(std::max<int64_t>(stored, 0));
        return stored;
    }
    uint64_t DataLimit() const override {
        return disk.data_limit != 0 ? disk.data_limit : MaxDataBytes();
    }
    bool TruncateRaw(uint64_t size) override {
        if (!disk.truncates) {
            return false;
        }
        used_ = std::min(used_, size);
        return WaveFileWriter::TruncateRaw(size);
    }

private:
    uint64_t used_ = 0;
    bool stopped_ = false;
};

} // namespace sonarel::test
