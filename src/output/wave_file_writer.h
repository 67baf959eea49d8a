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
#pragma once

#include <cstdint>
#include <string_view>

#include "io/wave_format.h"
#include "paths/path_name.h"
#include "platform/output_file.h"

namespace sonarel {

class WaveFileWriter : public PathName {
public:
    // Results of Write (negative) and LastError.
    static constexpr int kErrorNotOpen = -1;
    static constexpr int kErrorWriteFailed = -2; // the system reported an I/O error
    static constexpr int kErrorDiskFull = -3;    // the file stored no more bytes
    static constexpr int kErrorSizeLimit = -4;   // the RIFF size limit was reached
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

    // Data bytes stored in the current (or last) file.
    uint64_t DataBytes() const { return data_bytes_; }
    // 0, or the first error since Open.
    int LastError() const { return last_error_; }
    // The largest data chunk a file with the held format can carry: keeps the
    // RIFF size within 32 bits, whole sample frames, and room for a pad byte.
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

    // Sample count for the fact chunk from the data byte count.
    uint32_t SampleCount(uint64_t data_bytes) const;
    // Writes the sizes and the sample count for `data_bytes` of data (and `pad`).
    bool PatchSizes(uint64_t data_bytes, uint64_t pad);

private:
    bool StoreAll(const uint8_t* data, size_t size, size_t& stored);
    void TrimToWholeFrames();
    void Fail(int error);
    void RefreshSizesOnceASecond();

    WaveFormatHolder format_;
    OutputFile file_;
    uint64_t data_bytes_ = 0;
    int last_error_ = 0;
    uint64_t fact_offset_ = 0; // where the sample count lives
    uint64_t data_offset_ = 0; // first data byte
    int64_t last_refresh_ms_ = 0;
};

} // namespace sonarel
