// A ByteSource over bytes in memory for the framer and bit reader tests.
#pragma once

#include "io/byte_source.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace sonarel::test {

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::vector<uint8_t> bytes, int max_chunk = 1 << 30)
        : bytes_(std::move(bytes)), max_chunk_(max_chunk) {}

    void Close() override { open_ = false; }
    int Open() override {
        ++open_calls_;
        open_ = open_result_ == 0;
        return open_result_;
    }
    int IsOpen() const override { return open_ ? 1 : 0; }
    // Like a raw file: the bytes in order, 0 at the end.
    int Read(uint8_t* buffer, int32_t length, int* /*format_changed*/) override {
        ++reads_;
        const size_t left = bytes_.size() - position_;
        const size_t n = std::min(
            {left, static_cast<size_t>(std::max(length, 0)), static_cast<size_t>(max_chunk_)});
        if (n > 0) {
            std::memcpy(buffer, bytes_.data() + position_, n);
        }
        position_ += n;
        return static_cast<int>(n);
    }

    void SetOpenResult(int result) { open_result_ = result; }
    int Reads() const { return reads_; }
    int OpenCalls() const { return open_calls_; }
    size_t Position() const { return position_; }

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
    int max_chunk_;
    int reads_ = 0;
    int open_calls_ = 0;
    int open_result_ = 0;
    bool open_ = false;
};

} // namespace sonarel::test
