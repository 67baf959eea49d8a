// Windows of the Layer III IMDCT with the output factors of the fast transforms folded in.
#pragma once

namespace sonarel::mp3 {

// One row of 36 values per block type: 0 normal, 1 start, 2 short (first 12 used), 3 stop.
struct ImdctWindow {
    float rows[4][36];
};

// Built once, on first use.
const ImdctWindow& ImdctWindowTable();

} // namespace sonarel::mp3
