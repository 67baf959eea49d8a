#include "mp3/requantize_tables.h"

#include <cmath>

namespace sonarel::mp3 {

namespace {

std::array<float, kGainSteps> BuildGainTable() {
    std::array<float, kGainSteps> table{};
    for (int k = 0; k < kGainSteps; ++k) {
        table[k] = static_cast<float>(32768.0 * std::pow(2.0, -k / 4.0));
    }
    return table;
}

std::array<float, kPowTableSize> BuildPowTable() {
    std::array<float, kPowTableSize> table{};
    for (int m = 0; m < kPowTableSize; ++m) {
        table[m] = static_cast<float>(std::pow(static_cast<double>(m), 4.0 / 3.0));
    }
    return table;
}

std::array<float, kSignedPowTableSize>
BuildSignedPowTable(const std::array<float, kPowTableSize>& powers) {
    std::array<float, kSignedPowTableSize> table{};
    for (int q = 1 - kPowTableSize; q < kPowTableSize; ++q) {
        const float magnitude = powers[static_cast<size_t>(q < 0 ? -q : q)];
        table[static_cast<size_t>(q + kPowTableSize - 1)] = q < 0 ? -magnitude : magnitude;
    }
    return table;
}

} // namespace

const std::array<float, kGainSteps> kGainTable = BuildGainTable();
const std::array<float, kPowTableSize> kPowTable = BuildPowTable();
const std::array<float, kSignedPowTableSize> kSignedPowTable = BuildSignedPowTable(kPowTable);

const int kPretab[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

} // namespace sonarel::mp3
