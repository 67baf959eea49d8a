#include "platform/stream_input.h"

#include <windows.h>

#include <io.h>

namespace sonarel {
namespace {

constexpr DWORD kCancelPollMs = 100;

int64_t ReadOnce(HANDLE input, uint8_t* buffer, size_t length) {
    DWORD got = 0;
    const DWORD wanted = length > 0x40000000u ? 0x40000000u : static_cast<DWORD>(length);
    if (ReadFile(input, buffer, wanted, &got, nullptr)) {
        return got;
    }
    return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1; // the writer closed its end
}

} // namespace

int64_t ReadStream(int descriptor, uint8_t* buffer, size_t length,
                   const std::function<bool()>& cancelled) {
    const HANDLE input = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
    if (input == INVALID_HANDLE_VALUE) {
        return -1;
    }
    if (GetFileType(input) != FILE_TYPE_PIPE) {
        return ReadOnce(input, buffer, length);
    }
    // A pipe: wait until bytes are there (or the writer is gone), asking cancelled meanwhile.
    for (;;) {
        if (cancelled && cancelled()) {
            return 0;
        }
        DWORD available = 0;
        if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr) || available > 0) {
            return ReadOnce(input, buffer, length);
        }
        Sleep(kCancelPollMs);
    }
}

} // namespace sonarel
