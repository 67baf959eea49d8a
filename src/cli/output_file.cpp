#include "cli/output_file.h"

#include "app/dialog_texts.h"
#include "app/text_format.h"

#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sonarel::cli {
namespace {

constexpr size_t kWaveHeadBytes = 12;

bool IsWaveHead(const char* head) {
    const bool riff = std::memcmp(head, "RIFF", 4) == 0 || std::memcmp(head, "RF64", 4) == 0;
    return riff && std::memcmp(head + 8, "WAVE", 4) == 0;
}

} // namespace

bool HoldsData(const std::string& name) {
    struct stat info = {};
    return ::stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0;
}

bool IsStandardOutput(const std::string& name) {
    struct stat file = {};
    struct stat out = {};
    return ::stat(name.c_str(), &file) == 0 && ::fstat(STDOUT_FILENO, &out) == 0 &&
           file.st_dev == out.st_dev && file.st_ino == out.st_ino;
}

bool HoldsOtherThanWave(const std::string& name) {
    if (!HoldsData(name)) {
        return false;
    }
    char head[kWaveHeadBytes] = {};
    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return true;
    }
    const ssize_t got = ::read(fd, head, sizeof head);
    ::close(fd);
    return got != static_cast<ssize_t>(sizeof head) || !IsWaveHead(head);
}

bool RefusesToReplace(const std::string& question, const std::string& output) {
    return question == FormatText(text::kAskOverwrite, output.c_str()) &&
           HoldsOtherThanWave(output);
}

std::string NotWaveMessage(const std::string& name) {
    return name + " exists and is not a WAVE file: it is kept (-overwrite replaces it)";
}

} // namespace sonarel::cli
