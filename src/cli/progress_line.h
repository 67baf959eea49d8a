// A one-line progress bar with percentage, redrawn in place on a terminal.
#pragma once

#include <cstdio>

namespace sonarel::cli {

class ProgressLine {
public:
    // Draws nothing unless the stream is a terminal.
    explicit ProgressLine(std::FILE* stream);

    // percent 0..100; redraws only when the text would change.
    void Show(int percent);
    // Removes the bar so that other text starts on a clean line.
    void Clear();

private:
    std::FILE* stream_;
    bool enabled_;
    bool visible_ = false;
    int shown_ = -1;
};

} // namespace sonarel::cli
