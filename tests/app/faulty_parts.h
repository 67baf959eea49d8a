// A reader that fails or pauses at a chosen byte, slipped in below the conversion
// pipeline through the input source's reader wrapper, so that the dialog, the decoding stage
// and the pump run exactly as in the program; and a gate that holds the pump's thread.
#pragma once

#include "io/file_source.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>

namespace sonarel::test {

// Holds the pump's thread at a chosen point until the test lets it go on.
class Gate {
public:
    // Pump thread: reports the arrival and waits for Release.
    void Arrive();
    // Test thread: waits up to timeout_ms for the arrival.
    bool WaitArrived(int timeout_ms);
    void Release();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool arrived_ = false;
    bool released_ = false;
};

struct ReaderFault {
    enum Kind { kNone, kFail, kPause };
    Kind kind = kNone;
    uint64_t at = 0;      // payload byte where it happens
    Gate* gate = nullptr; // kPause: held here before the read that reaches `at`
};

// Forwards to the reader chosen by the extension and injects the fault. kFail delivers the
// bytes before `at`, then -1 with HasFailed set (an I/O error).
class FaultyReader : public FileSource {
public:
    FaultyReader(std::unique_ptr<FileSource> inner, ReaderFault fault);

    int Open() override { return inner_->Open(); }
    void Close() override { inner_->Close(); }
    int IsOpen() const override { return inner_->IsOpen(); }
    int Read(uint8_t* buffer, int32_t length, int* format_changed) override;
    int IsPcm() const override { return inner_->IsPcm(); }
    const WaveFormatHolder* GetFormat() const override { return inner_->GetFormat(); }
    bool HasFailed() const override { return failed_ || inner_->HasFailed(); }
    uint32_t GetSize() const override { return inner_->GetSize(); }
    uint32_t GetPosition() const override { return inner_->GetPosition(); }

private:
    std::unique_ptr<FileSource> inner_;
    ReaderFault fault_;
    uint64_t delivered_ = 0;
    bool paused_ = false;
    bool failed_ = false;
};

} // namespace sonarel::test
