// A file the program writes, opened by the host's rules, one implementation per host.
#pragma once

#include "platform/file_system.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace sonarel {

class OutputFile {
public:
    enum class OpenResult { kOpened, kFailed, kBusy };

    OutputFile() = default;
    ~OutputFile() { Close(); }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, or opens an existing one for this object alone (kBusy when another
    // writer holds it), keeping its content: the first writes replace it from the start and
    // Truncate cuts what is left, so the file never lies empty. A named pipe without a reader
    // is refused at once rather than waited on; one with a reader, a socket or a device
    // (/dev/null, NUL) is opened unlocked.
    OpenResult Open(const std::string& path);
    bool IsOpen() const { return handle_ != kNoHandle; }
    // The file did not exist before Open.
    bool Created() const { return created_; }
    // A regular disk file: locked, and it can be cut.
    bool IsRegular() const { return regular_; }
    // Only appended to (a pipe, a socket): WriteAt fails.
    bool IsStream() const { return stream_; }

    // Appends up to size bytes: the count written, 0 when the disk (or quota) is full, -1 on
    // any other failure.
    int64_t Write(const uint8_t* data, size_t size);
    // Writes size bytes at offset without moving the append position.
    bool WriteAt(uint64_t offset, const uint8_t* data, size_t size);
    // Cuts the file to size bytes and appends from there.
    bool Truncate(uint64_t size);
    void Close();

private:
    static constexpr intptr_t kNoHandle = -1;
    intptr_t handle_ = kNoHandle; // a descriptor, or a HANDLE on Windows
    bool created_ = false;
    bool regular_ = false;
    bool stream_ = false;
};

} // namespace sonarel
