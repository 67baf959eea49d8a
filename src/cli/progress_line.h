// A one-line progress bar with percentage, redrawn in place on a terminal. The line fits the
// terminal's width, with room left for the cursor and the "^C" a terminal echoes on Ctrl-C, so
// that it never wraps and clearing it leaves a clean line.
#pragma once

#include <cstdio>
#include <string>

namespace sonarel::cli {

// The widest line for stream: preferred, or less on a terminal too narrow for it.
int FittingLineWidth(std::FILE* stream, int preferred);

// Columns that a line drawn in place may hold beyond its own text: a "^C" echo.
inline constexpr int kEchoColumns = 2;

class ProgressLine {
public:
    // Draws nothing unless the stream is a terminal.
    explicit ProgressLine(std::FILE* stream);

    // percent 0..100, and a note after the bar (cut to the line); redraws only when the text
    // would change.
    void Show(int percent, const std::string& note = {});
    // Removes the bar so that other text starts on a clean line.
    void Clear();

private:
    std::FILE* stream_;
    bool enabled_;
    std::string shown_;   // the text drawn last
    int shown_width_ = 0; // columns the drawn line covers; 0 when none is drawn
};

} // namespace sonarel::cli
