#include "io/file_open.h"

#include <fcntl.h>
#include <unistd.h>

namespace sonarel {

int OpenWithoutWaiting(const char* path, int flags, int mode, struct stat& info) {
    int fd = open(path, flags | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, mode);
    if (fd < 0) {
        return -1;
    }
    int status = fcntl(fd, F_GETFL);
    if (fstat(fd, &info) != 0 || status < 0 || fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

std::FILE* OpenRegularFile(const char* path, uint64_t& size) {
    size = 0;
    struct stat info;
    int fd = OpenWithoutWaiting(path, O_RDONLY, 0, info);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = S_ISREG(info.st_mode) ? fdopen(fd, "rb") : nullptr;
    if (file == nullptr) {
        close(fd);
        return nullptr;
    }
    size = info.st_size > 0 ? static_cast<uint64_t>(info.st_size) : 0;
    return file;
}

} // namespace sonarel
