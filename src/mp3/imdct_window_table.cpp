#include "mp3/imdct_window_table.h"

#include <cmath>

namespace sonarel::mp3 {

namespace {

constexpr double kPi = 3.14159265358979323846;

// The long transforms deliver their outputs divided by 2cos(pi(2i + 19)/72) and the
// short one by cos(pi(2i + 7)/24); the window puts those factors back.
double LongFactor(int i) {
    return 2.0 * std::cos(kPi * (2 * i + 19) / 72.0);
}
double ShortFactor(int i) {
    return std::cos(kPi * (2 * i + 7) / 24.0);
}

double LongSine(int i) {
    return std::sin(kPi * (i + 0.5) / 36.0);
}
double ShortSine(int i) {
    return std::sin(kPi * (i + 0.5) / 12.0);
}

// The standard Layer III window of block type t at sample i (0..35; 0..11 for short).
double BlockWindow(int type, int i) {
    switch (type) {
    case 1: // start: long rise, flat, short fall, silence
        if (i < 18) {
            return LongSine(i);
        }
        if (i < 24) {
            return 1.0;
        }
        return i < 30 ? ShortSine(i - 18) : 0.0;
    case 2:
        return i < 12 ? ShortSine(i) : 0.0;
    case 3: // stop: silence, short rise, flat, long fall
        if (i < 6) {
            return 0.0;
        }
        if (i < 12) {
            return ShortSine(i - 6);
        }
        return i < 18 ? 1.0 : LongSine(i);
    default:
        return LongSine(i);
    }
}

ImdctWindow BuildTable() {
    ImdctWindow table{};
    for (int type = 0; type < 4; ++type) {
        for (int i = 0; i < 36; ++i) {
            const double factor = type == 2 ? ShortFactor(i) : LongFactor(i);
            table.rows[type][i] = static_cast<float>(BlockWindow(type, i) * factor);
        }
    }
    return table;
}

} // namespace

const ImdctWindow& ImdctWindowTable() {
    static const ImdctWindow table = BuildTable();
    return table;
}

} // namespace sonarel::mp3
