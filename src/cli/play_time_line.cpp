#include "cli/play_time_line.h"

#include "cli/progress_line.h"
#include "output/pcm_level.h"
#include "platform/console.h"

#include <algorithm>

namespace sonarel::cli {
namespace {

constexpr int kLineWidth = 40;

} // namespace

std::string FormatPlayedTime(uint32_t ms) {
    char text[32];
    std::snprintf(text, sizeof text, "%u:%02u.%u", ms / 60000, ms / 1000 % 60, ms / 100 % 10);
    return text;
}

std::string FormatLevel(int16_t level) {
    if (level == kSilenceLevel) {
        return "silence";
    }
    const int magnitude = level < 0 ? -level : level;
    char text[32];
    std::snprintf(text, sizeof text, "%s%d.%d dB", level < 0 ? "-" : "", magnitude / 100,
                  magnitude / 10 % 10);
    return text;
}

PlayTimeLine::PlayTimeLine(std::FILE* stream) : stream_(stream), enabled_(IsTerminal(stream)) {
}

void PlayTimeLine::Show(uint32_t playedMs, int16_t level) {
    if (!enabled_) {
        return;
    }
    std::string line = "Playing " + FormatPlayedTime(playedMs) + "   " + FormatLevel(level);
    if (line == shown_) {
        return;
    }
    shown_ = line;
    width_ = FittingLineWidth(stream_, kLineWidth);
    line.resize(static_cast<size_t>(std::max(width_, 0)), ' ');
    std::fprintf(stream_, "\r%s", line.c_str());
    std::fflush(stream_);
    visible_ = true;
}

void PlayTimeLine::Clear() {
    if (!visible_) {
        return;
    }
    std::fprintf(stream_, "\r%*s\r", width_ + kEchoColumns, "");
    std::fflush(stream_);
    visible_ = false;
    shown_.clear();
}

} // namespace sonarel::cli
