#include "platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace sonarel {

std::string CurrentFolder() {
    std::error_code error;
    std::filesystem::path folder = std::filesystem::current_path(error);
    return error ? std::string() : folder.string();
}

bool EntryExists(const std::string& path) {
    struct stat info;
    return !path.empty() && lstat(path.c_str(), &info) == 0;
}

bool IsFolderEntry(const std::string& path) {
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool RegularFileSize(const std::string& path, uint64_t& size) {
    struct stat info = {};
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return false;
    }
    size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
    return true;
}

bool CreateNewFile(const std::string& path) {
    // O_EXCL: fails rather than open anything that appeared meanwhile.
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
    if (fd < 0) {
        return false;
    }
    close(fd);
    return true;
}

bool RemoveFile(const std::string& path) {
    return unlink(path.c_str()) == 0;
}

bool ListFolder(const std::string& folder, const std::function<bool(std::string_view)>& visit) {
    DIR* stream = opendir(folder.empty() ? "." : folder.c_str());
    if (stream == nullptr) {
        return false;
    }
    while (const dirent* entry = readdir(stream)) {
        if (!visit(entry->d_name)) {
            break;
        }
    }
    closedir(stream);
    return true;
}

std::FILE* OpenRegularFile(const std::string& path, uint64_t& size) {
    size = 0;
    // O_NONBLOCK: a named pipe would block a plain open until a writer appears.
    int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        return nullptr;
    }
    struct stat info;
    int status = fcntl(fd, F_GETFL);
    std::FILE* file = nullptr;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && status >= 0 &&
        fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == 0) {
        file = fdopen(fd, "rb");
    }
    if (file == nullptr) {
        close(fd);
        return nullptr;
    }
    size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
    return file;
}

long ReadFileHead(const std::string& path, char* buffer, size_t size) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        return -1;
    }
    const ssize_t got = read(fd, buffer, size);
    close(fd);
    return got < 0 ? -1 : static_cast<long>(got);
}

bool IsStandardOutputFile(const std::string& path) {
    struct stat file = {};
    struct stat out = {};
    return stat(path.c_str(), &file) == 0 && fstat(STDOUT_FILENO, &out) == 0 &&
           file.st_dev == out.st_dev && file.st_ino == out.st_ino;
}

} // namespace sonarel
