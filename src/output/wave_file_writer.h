// Writes PCM into a RIFF/WAVE file: "fmt ", "fact" (sample count) and "data".
// The header goes out with placeholder sizes on Open; Close patches the sizes
// and the sample count and adds the pad byte after an odd data chunk.
//
// Every byte the file really stores is counted, in 64 bits, and the sizes
// written on Close always describe exactly what is in the file. A RIFF file
// cannot exceed 4 GiB: bytes beyond that are refused with kErrorSizeLimit,
// and the file keeps everything up to the limit. A write that stores nothing
// (disk full) ends with kErrorDiskFull instead of retrying; a sample frame
// that was stored only in part is then cut off again, so the data chunk ends
// on a whole frame. After any error further writes are refused until the
// next Open, so the data chunk holds a clean, gap-free prefix of the stream.
//
// While a file is written it is locked, so that a second conversion to the same name fails
// at Open and touches nothing, and its sizes are brought up to date once a second, so that
// a conversion killed at any moment leaves a readable file of whole sample frames.
//
// Outputs beyond 4 GiB: when the expected data passes 2 GiB, a 28-byte "JUNK" chunk is
// reserved right after "WAVE"; should the data pass the RIFF limit, the file turns into an
// RF64 file (EBU Tech 3306): "RIFF" becomes "RF64", the JUNK chunk becomes "ds64" with the
// 64-bit sizes, and the 32-bit sizes read 0xFFFFFFFF. Without the reservation the limit
// stays an error, and files of smaller expected size are written as they always were.
//
// A pipe (or any output that cannot seek) cannot be patched: its header is written once,
// with the exact sizes when they were announced as exact, otherwise with the streaming
// convention of 0xFFFFFFFF for the unknown sizes. Data beyond an announced length is
// refused (kErrorLengthChanged), and FinishData reports data that fell short of it.
#pragma once

#include "io/wave_format.h"
#include "paths/path_name.h"
#include "platform/output_file.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace sonarel {

class WaveFileWriter : public PathName {
public:
    // Results of Write (negative) and LastError.
    static constexpr int kErrorNotOpen = -1;
    static constexpr int kErrorWriteFailed = -2;   // the system reported an I/O error
    static constexpr int kErrorDiskFull = -3;      // the file stored no more bytes
    static constexpr int kErrorSizeLimit = -4;     // the RIFF size limit was reached
    static constexpr int kErrorLengthChanged = -5; // a pipe got another length than announced
    // Expected data above this reserves room for RF64 sizes.
    static constexpr uint64_t kRf64ReserveAbove = uint64_t{1} << 31;
    // Bytes of the reserved chunk (and of the "ds64" chunk it becomes), header included.
    static constexpr uint64_t kRf64ReserveBytes = 8 + 28;
    // Results of Open.
    static constexpr int kOpenFailed = -1;
    static constexpr int kOpenBusy = -2; // another writer holds the file

    WaveFileWriter() = default;
    explicit WaveFileWriter(std::string_view path) : PathName(path) {}
    // Closes an open file, completing its sizes.
    ~WaveFileWriter() override;

    WaveFileWriter(const WaveFileWriter&) = delete;
    WaveFileWriter& operator=(const WaveFileWriter&) = delete;

    // The held record; null when none was set.
    virtual const WaveFormatHolder* GetFormat() const;
    // Creates (or empties) the file at the path, locks it and writes the header.
    // kOpenBusy when another writer holds the file (it is left untouched);
    // kOpenFailed when the file cannot be created, no format is set or the header
    // cannot be written (a file created here is removed again); otherwise 0.
    virtual int Open();
    // Patches the sizes and closes; does nothing when not open.
    virtual void Close();
    // Appends length bytes. Returns length, or a negative error when not all
    // of them could be stored; the bytes that were stored stay counted.
    virtual int Write(const uint8_t* data, int32_t length);

    // Copies the record (null: none); set it before Open, the open file keeps
    // the layout it was started with.
    void SetFormat(const WaveFormatHolder* format);
    bool IsOpen() const { return file_.IsOpen(); }
    // The data bytes the next file is expected to hold (0: not known); `exact` when that is
    // certain, so that a pipe's header can carry it. Set before Open; Open keeps it.
    void SetExpectedDataBytes(uint64_t bytes, bool exact);
    // Called once no more data will come. On an output whose header announced exact sizes,
    // less data than announced fails with kErrorLengthChanged. Returns LastError.
    int FinishData();
    // The open output cannot be patched (a pipe): its header was written once.
    bool IsStreaming() const { return streaming_; }
    // The file has become (or, on a pipe, was started as) an RF64 file.
    bool IsRf64() const { return rf64_; }

    // Data bytes stored in the current (or last) file.
    uint64_t DataBytes() const { return data_bytes_; }
    // 0, or the first error since Open.
    int LastError() const { return last_error_; }
    // The largest data chunk a RIFF file with the held format (and the reserved chunk, when
    // there is one) can carry: keeps the RIFF size within 32 bits, whole sample frames, and
    // room for a pad byte.
    uint64_t MaxDataBytes() const;

protected:
    // Writes the header (placeholder sizes); false when it could not be stored.
    virtual bool WriteHeader();
    // Adds the pad byte and patches the sizes and the sample count.
    virtual bool Finalize();
    // Stores bytes at the end of the file: the count stored (0 means the
    // device is full), or -1 on an I/O error. Tests replace it to simulate a
    // full disk.
    virtual int64_t WriteRaw(const uint8_t* data, size_t size);
    // Cuts the file to size bytes and moves the write position there; false
    // when the system refused.
    virtual bool TruncateRaw(uint64_t size);
    // Overwrites bytes at a file offset; false on failure.
    virtual bool PatchRaw(uint64_t offset, const uint8_t* data, size_t size);
    // The data limit used by Write; tests lower it to reach it cheaply.
    virtual uint64_t DataLimit() const { return MaxDataBytes(); }

    // Sample count (per channel) from the data byte count.
    uint64_t SampleCount(uint64_t data_bytes) const;
    // Writes the sizes and the sample count for `data_bytes` of data (and `pad`).
    bool PatchSizes(uint64_t data_bytes, uint64_t pad);
    // The whole header for `data_bytes` of data and `pad`; with `unknown` the sizes read
    // 0xFFFFFFFF.
    std::vector<uint8_t> Header(uint64_t data_bytes, uint64_t pad, bool unknown) const;

private:
    bool StoreAll(const uint8_t* data, size_t size, size_t& stored);
    void TrimToWholeFrames();
    void Fail(int error);
    void RefreshSizesOnceASecond();
    uint64_t WriteLimit();
    uint64_t HeaderBytes() const;

    WaveFormatHolder format_;
    OutputFile file_;
    uint64_t data_bytes_ = 0;
    int last_error_ = 0;
    uint64_t data_offset_ = 0; // first data byte
    int64_t last_refresh_ms_ = 0;
    uint64_t expected_bytes_ = 0;
    bool expected_exact_ = false;
    bool reserved_ = false; // the header holds the JUNK chunk for RF64 sizes
    bool rf64_ = false;
    bool streaming_ = false;
};

} // namespace sonarel
