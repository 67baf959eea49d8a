// The played time of sonarel-cli -play, redrawn in place on a terminal, with the level of
// the buffer just finished: "Playing 1:23.4   -12.3 dB", cut to the terminal's width.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace sonarel::cli {

// "m:ss.t", minutes as many as needed, tenths rounded down.
std::string FormatPlayedTime(uint32_t ms);

// A level in hundredths of a dB as "-12.3 dB"; the silence level as "silence".
std::string FormatLevel(int16_t level);

class PlayTimeLine {
public:
    // Draws nothing unless the stream is a terminal.
    explicit PlayTimeLine(std::FILE* stream);

    void Show(uint32_t playedMs, int16_t level);
    // Removes the line so that other text starts on a clean line.
    void Clear();

private:
    std::FILE* stream_;
    bool enabled_;
    bool visible_ = false;
    int width_ = 0; // columns of the drawn line
    std::string shown_;
};

} // namespace sonarel::cli
