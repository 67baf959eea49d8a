#include "cli/progress_line.h"

#include "platform/console.h"

#include <algorithm>
#include <string>

namespace sonarel::cli {
namespace {

constexpr int kBarWidth = 40;
constexpr int kFrameWidth = 7; // "[", "] " and "100%" around the bar
constexpr int kSmallestBar = 10;
constexpr int kBarWidthBesideNote = 20;
constexpr int kNoteGap = 2;

// "[####------] 42%", or only " 42%" when the width leaves no room for a useful bar.
std::string FormatProgress(int percent, int width) {
    char number[8];
    std::snprintf(number, sizeof number, "%3d%%", percent);
    const int bar = width - kFrameWidth;
    if (bar < kSmallestBar) {
        return number;
    }
    const int filled = percent * bar / 100;
    std::string line = "[";
    line.append(static_cast<size_t>(filled), '#');
    line.append(static_cast<size_t>(bar - filled), '-');
    return line + "] " + number;
}

} // namespace

// One column stays free for the cursor, which some terminals wrap once it passes the last.
int FittingLineWidth(std::FILE* stream, int preferred) {
    const int columns = TerminalColumns(stream);
    return columns <= 0 ? preferred : std::min(preferred, columns - 1 - kEchoColumns);
}

ProgressLine::ProgressLine(std::FILE* stream) : stream_(stream), enabled_(IsTerminal(stream)) {
}

void ProgressLine::Show(int percent, const std::string& note) {
    if (!enabled_) {
        return;
    }
    percent = std::clamp(percent, 0, 100);
    const int noteWidth = note.empty() ? 0 : kNoteGap + static_cast<int>(note.size());
    const int bar = note.empty() ? kBarWidth : kBarWidthBesideNote;
    const int fitting = FittingLineWidth(stream_, bar + kFrameWidth + noteWidth);
    std::string line = FormatProgress(percent, std::min(fitting, bar + kFrameWidth));
    const int room = fitting - static_cast<int>(line.size()) - kNoteGap;
    if (!note.empty() && room > 0) {
        line += std::string(kNoteGap, ' ') + note.substr(0, static_cast<size_t>(room));
    }
    if (line == shown_) {
        return;
    }
    const int width = static_cast<int>(line.size());
    // A shorter line (the terminal got narrower) covers what is left of the longer one.
    std::fprintf(stream_, "\r%s%*s", line.c_str(), std::max(shown_width_ - width, 0), "");
    std::fflush(stream_);
    shown_width_ = std::max(shown_width_, width);
    shown_ = line;
}

void ProgressLine::Clear() {
    if (shown_width_ == 0) {
        return;
    }
    std::fprintf(stream_, "\r%*s\r", shown_width_ + kEchoColumns, "");
    std::fflush(stream_);
    shown_width_ = 0;
    shown_.clear();
}

} // namespace sonarel::cli
