#include "cli/progress_line.h"

#include <algorithm>
#include <string>
#include <unistd.h>

namespace sonarel::cli {
namespace {

constexpr int kBarWidth = 40;

} // namespace

ProgressLine::ProgressLine(std::FILE* stream)
    : stream_(stream), enabled_(::isatty(::fileno(stream)) != 0) {
}

void ProgressLine::Show(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (!enabled_ || percent == shown_) {
        return;
    }
    int filled = percent * kBarWidth / 100;
    std::string bar(static_cast<size_t>(filled), '#');
    bar.append(static_cast<size_t>(kBarWidth - filled), '-');
    std::fprintf(stream_, "\r[%s] %3d%%", bar.c_str(), percent);
    std::fflush(stream_);
    visible_ = true;
    shown_ = percent;
}

void ProgressLine::Clear() {
    if (!visible_) {
        return;
    }
    std::fprintf(stream_, "\r%*s\r", kBarWidth + 8, "");
    std::fflush(stream_);
    visible_ = false;
    shown_ = -1;
}

} // namespace sonarel::cli
