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

} // namespace sonarel
