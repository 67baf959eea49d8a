#include "platform/output_file.h"

#include "platform/file_system.h"
#include "platform/win32/wide_text.h"

#include <windows.h>

namespace sonarel {
namespace {

HANDLE AsHandle(intptr_t value) {
    return reinterpret_cast<HANDLE>(value);
}

// Opens an existing file without emptying it yet, or creates a new one. No other program
// may write it meanwhile (the share mode is this host's lock); readers may look.
HANDLE OpenOrCreate(const std::wstring& path, bool& created, bool& busy) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    created = file != INVALID_HANDLE_VALUE;
    if (!created && GetLastError() == ERROR_FILE_EXISTS) {
        file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
        busy = file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_SHARING_VIOLATION;
    }
    return file;
}

bool SeekTo(HANDLE file, uint64_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != 0;
}

} // namespace

OutputFile::OpenResult OutputFile::Open(const std::string& path) {
    Close();
    if (path == kStandardOutputPath) {
        // Used, never closed: the shell made it for us, so it is neither cut nor locked.
        const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
        if (out == nullptr || out == INVALID_HANDLE_VALUE) {
            return OpenResult::kFailed;
        }
        handle_ = reinterpret_cast<intptr_t>(out);
        created_ = false;
        regular_ = false;
        stream_ = GetFileType(out) != FILE_TYPE_DISK;
        return OpenResult::kOpened;
    }
    bool busy = false;
    HANDLE file = OpenOrCreate(WideFromUtf8(path), created_, busy);
    if (file == INVALID_HANDLE_VALUE) {
        return busy ? OpenResult::kBusy : OpenResult::kFailed;
    }
    const DWORD type = GetFileType(file);
    handle_ = reinterpret_cast<intptr_t>(file);
    regular_ = type == FILE_TYPE_DISK;
    stream_ = type == FILE_TYPE_PIPE;
    return OpenResult::kOpened;
}

int64_t OutputFile::Write(const uint8_t* data, size_t size) {
    DWORD written = 0;
    const DWORD wanted = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    if (WriteFile(AsHandle(handle_), data, wanted, &written, nullptr)) {
        return written;
    }
    const DWORD error = GetLastError();
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL ? 0 : -1;
}

bool OutputFile::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD written = 0;
    // A positioned write moves the file pointer: put it back at the end for the next append.
    LARGE_INTEGER end = {};
    LARGE_INTEGER zero = {};
    const HANDLE file = AsHandle(handle_);
    bool ok = SetFilePointerEx(file, zero, &end, FILE_CURRENT) &&
              WriteFile(file, data, static_cast<DWORD>(size), &written, &at) && written == size;
    return SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && ok;
}

bool OutputFile::Truncate(uint64_t size) {
    const HANDLE file = AsHandle(handle_);
    return SeekTo(file, size) && SetEndOfFile(file);
}

void OutputFile::Close() {
    if (handle_ != kNoHandle &&
        handle_ != reinterpret_cast<intptr_t>(GetStdHandle(STD_OUTPUT_HANDLE))) {
        CloseHandle(AsHandle(handle_));
    }
    handle_ = kNoHandle;
}

} // namespace sonarel
