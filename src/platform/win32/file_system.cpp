#include "platform/file_system.h"

#include "platform/win32/wide_text.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

namespace sonarel {
namespace {

DWORD AttributesOf(const std::string& path) {
    return path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(WideFromUtf8(path).c_str());
}

// A handle that closes itself.
struct Handle {
    HANDLE value;
    explicit Handle(HANDLE h) : value(h) {}
    ~Handle() {
        if (value != INVALID_HANDLE_VALUE) {
            CloseHandle(value);
        }
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return value != INVALID_HANDLE_VALUE; }
};

HANDLE OpenForReading(const std::string& path) {
    return CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsDiskFile(HANDLE handle, uint64_t& size) {
    LARGE_INTEGER length;
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileSizeEx(handle, &length)) {
        return false;
    }
    size = length.QuadPart > 0 ? static_cast<uint64_t>(length.QuadPart) : 0;
    return true;
}

} // namespace

std::string CurrentFolder() {
    DWORD length = GetCurrentDirectoryW(0, nullptr);
    if (length == 0) {
        return std::string();
    }
    std::wstring folder(length, L'\0');
    length = GetCurrentDirectoryW(length, folder.data());
    folder.resize(length);
    return Utf8FromWide(folder);
}

bool EntryExists(const std::string& path) {
    if (path == kStandardInputPath || path == kStandardOutputPath) {
        return true;
    }
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsFolderEntry(const std::string& path) {
    DWORD attributes = AttributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RegularFileSize(const std::string& path, uint64_t& size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() ||
        !GetFileAttributesExW(WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return false;
    }
    size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}

bool CreateNewFile(const std::string& path) {
    Handle file(CreateFileW(WideFromUtf8(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid();
}

bool RemoveFile(const std::string& path) {
    return DeleteFileW(WideFromUtf8(path).c_str()) != 0;
}

bool ListFolder(const std::string& folder, const std::function<bool(std::string_view)>& visit) {
    std::string pattern = folder.empty() ? std::string(".\\*") : folder;
    if (!folder.empty()) {
        pattern += (pattern.back() == '\\' || pattern.back() == '/') ? "*" : "\\*";
    }
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW(WideFromUtf8(pattern).c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return false;
    }
    do {
        if (!visit(Utf8FromWide(entry.cFileName))) {
            break;
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return true;
}

std::FILE* OpenRegularFile(const std::string& path, uint64_t& size) {
    size = 0;
    HANDLE handle = OpenForReading(path);
    if (handle == INVALID_HANDLE_VALUE) {
        return nullptr;
    }
    uint64_t length = 0;
    int fd = -1;
    if (IsDiskFile(handle, length)) {
        fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    }
    if (fd < 0) {
        CloseHandle(handle);
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "rb");
    if (file == nullptr) {
        _close(fd);
        return nullptr;
    }
    size = length;
    return file;
}

long ReadFileHead(const std::string& path, char* buffer, size_t size) {
    Handle file(OpenForReading(path));
    DWORD got = 0;
    if (!file.Valid() || !ReadFile(file.value, buffer, static_cast<DWORD>(size), &got, nullptr)) {
        return -1;
    }
    return static_cast<long>(got);
}

bool IsStandardOutputFile(const std::string& path) {
    if (path == kStandardOutputPath) {
        return true;
    }
    Handle file(OpenForReading(path));
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    BY_HANDLE_FILE_INFORMATION a;
    BY_HANDLE_FILE_INFORMATION b;
    return file.Valid() && out != nullptr && out != INVALID_HANDLE_VALUE &&
           GetFileInformationByHandle(file.value, &a) && GetFileInformationByHandle(out, &b) &&
           a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

} // namespace sonarel
