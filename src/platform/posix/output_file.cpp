#include "platform/output_file.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonarel {
namespace {

// open(2) that never waits on a named pipe: the returned descriptor is blocking again.
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

// Opens an existing file without emptying it yet, or creates a new one.
int OpenOrCreate(const char* path, struct stat& info, bool& created) {
    int fd = OpenWithoutWaiting(path, O_WRONLY | O_CREAT | O_EXCL, 0666, info);
    created = fd >= 0;
    if (fd < 0 && errno == EEXIST) {
        fd = OpenWithoutWaiting(path, O_WRONLY, 0, info);
    }
    return fd;
}

} // namespace

OutputFile::OpenResult OutputFile::Open(const std::string& path) {
    Close();
    struct stat info;
    int fd = OpenOrCreate(path.c_str(), info, created_);
    if (fd < 0) {
        return OpenResult::kFailed;
    }
    if (S_ISREG(info.st_mode)) {
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool busy = errno == EWOULDBLOCK;
            close(fd);
            return busy ? OpenResult::kBusy : OpenResult::kFailed;
        }
    }
    handle_ = fd;
    regular_ = S_ISREG(info.st_mode);
    stream_ = !regular_ && lseek(fd, 0, SEEK_CUR) < 0 && errno == ESPIPE;
    return OpenResult::kOpened;
}

int64_t OutputFile::Write(const uint8_t* data, size_t size) {
    for (;;) {
        ssize_t written = ::write(static_cast<int>(handle_), data, size);
        if (written >= 0) {
            return written;
        }
        if (errno == ENOSPC || errno == EDQUOT) {
            return 0;
        }
        if (errno != EINTR) {
            return -1;
        }
    }
}

bool OutputFile::WriteAt(uint64_t offset, const uint8_t* data, size_t size) {
    ssize_t written = pwrite(static_cast<int>(handle_), data, size, static_cast<off_t>(offset));
    return written == static_cast<ssize_t>(size);
}

bool OutputFile::Truncate(uint64_t size) {
    const int fd = static_cast<int>(handle_);
    return ftruncate(fd, static_cast<off_t>(size)) == 0 &&
           lseek(fd, static_cast<off_t>(size), SEEK_SET) == static_cast<off_t>(size);
}

void OutputFile::Close() {
    if (handle_ != kNoHandle) {
        close(static_cast<int>(handle_));
    }
    handle_ = kNoHandle;
}

} // namespace sonarel
