#include "platform/stream_input.h"

#include <cerrno>
#include <poll.h>
#include <unistd.h>

namespace sonarel {
namespace {

constexpr int kCancelPollMs = 100;

} // namespace

int64_t ReadStream(int descriptor, uint8_t* buffer, size_t length,
                   const std::function<bool()>& cancelled) {
    for (;;) {
        if (cancelled && cancelled()) {
            return 0;
        }
        pollfd ready = {descriptor, POLLIN, 0};
        const int polled = poll(&ready, 1, kCancelPollMs);
        if (polled == 0 || (polled < 0 && errno == EINTR)) {
            continue;
        }
        const ssize_t got = read(descriptor, buffer, length);
        if (got >= 0) {
            return got;
        }
        if (errno != EINTR && errno != EAGAIN) {
            return -1;
        }
    }
}

} // namespace sonarel
