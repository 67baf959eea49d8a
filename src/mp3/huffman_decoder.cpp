#include "mp3/huffman_decoder.h"

#include "mp3/sf_band_table.h"

#include <algorithm>
#include <cstring>

namespace sonarel::mp3 {

namespace {

constexpr int kLastLongBound = 22;

int LongBound(const SfBandTable& bands, int index) {
    // Valid streams stay within the 23 boundaries; larger region counts mean "to the end".
    return bands.long_bounds[std::min(index, kLastLongBound)];
}

void RegionEnds(const GranuleInfo& gi, const FrameParams& params, int* ends) {
    const SfBandTable& bands = SfBandTableFor(params);
    const int16_t* s = bands.short_bounds;
    if (!IsShortBlock(gi)) {
        ends[0] = LongBound(bands, gi.region0_count + 1);
        ends[1] = LongBound(bands, gi.region0_count + gi.region1_count + 2);
    } else if (!gi.mixed_block_flag) {
        ends[0] = 3 * s[(gi.region0_count + 1) / 3];
        ends[1] = kGranuleLines;
    } else if (params.is_mpeg1) {
        ends[0] = LongBound(bands, gi.region0_count + 1);
        ends[1] = kGranuleLines;
    } else {
        ends[0] = bands.long_bounds[6] + 2 * (s[4] - s[3]);
        ends[1] = kGranuleLines;
    }
    const int big_end = 2 * gi.big_values;
    ends[0] = std::min(ends[0], big_end);
    ends[1] = std::min(ends[1], big_end);
    ends[2] = big_end;
}

// Takes bits from the top of a peeked word.
class PeekedBits {
public:
    explicit PeekedBits(uint32_t bits) : bits_(bits) {}
    uint32_t Take(int n) {
        const uint32_t value = bits_ >> (32 - n);
        bits_ <<= n;
        used_ += n;
        return value;
    }
    // The magnitude with its sign bit applied; a zero magnitude has no sign bit. Without
    // branches: the signs of real spectra are random and would defeat prediction. The
    // next bit is applied either way, as 0 or -1: (m ^ -1) + 1 = -m, and m = 0 stays 0.
    int32_t Signed(int32_t magnitude) {
        const int32_t sign = static_cast<int32_t>(bits_) >> 31;
        const int present = magnitude != 0 ? 1 : 0;
        bits_ <<= present;
        used_ += present;
        return (magnitude ^ sign) - sign;
    }
    int Used() const { return used_; }

private:
    uint32_t bits_;
    int used_ = 0;
};

// A pair without escapes: code word and both sign bits fit in one peek (at most 19 + 2).
void DecodePair(BitCursor& cursor, const HuffmanCode& code, int32_t* pair) {
    const uint32_t word = cursor.Peek32();
    const uint32_t leaf = FindHuffmanLeaf(word, code);
    const int length = TrieLeafLength(leaf);
    PeekedBits rest(word << length);
    pair[0] = rest.Signed(static_cast<int32_t>((leaf >> 4) & 15));
    pair[1] = rest.Signed(static_cast<int32_t>(leaf & 15));
    cursor.Drop(length + rest.Used());
}

// A pair with escapes: after the code word, two escapes and signs take at most 28 bits.
void DecodeEscapedPair(BitCursor& cursor, const HuffmanCode& code, int linbits, int32_t* pair) {
    const uint32_t leaf = FindHuffmanLeaf(cursor.Peek32(), code);
    cursor.Drop(TrieLeafLength(leaf));
    PeekedBits rest(cursor.Peek32());
    for (int k = 0; k < 2; ++k) {
        int32_t magnitude = static_cast<int32_t>(k == 0 ? (leaf >> 4) & 15 : leaf & 15);
        if (magnitude == 15) {
            magnitude += static_cast<int32_t>(rest.Take(linbits));
        }
        pair[k] = rest.Signed(magnitude);
    }
    cursor.Drop(rest.Used());
}

// Most pairs are decoded with their signs by one lookup; the rest through the trie.
template <bool kEscapes>
int DecodePairs(BitCursor& cursor, int32_t* ix, int i, int end, const HuffmanCode& code,
                int linbits) {
    for (; i < end; i += 2) {
        const SignedValues& entry = code.signed_values[cursor.Peek32() >> (32 - kSignedLookupBits)];
        if (entry.length != 0) [[likely]] {
            ix[i] = entry.values[0];
            ix[i + 1] = entry.values[1];
            cursor.Drop(entry.length);
        } else if (kEscapes) {
            DecodeEscapedPair(cursor, code, linbits, ix + i);
        } else {
            DecodePair(cursor, code, ix + i);
        }
    }
    return i;
}

int DecodeRegion(BitCursor& cursor, int32_t* ix, int i, int end, int table_number) {
    const HuffmanCode code = HuffmanCodeFor(table_number);
    const int linbits = kHuffmanTables[table_number].linbits;
    if (code.trie == nullptr) {
        for (; i < end; ++i) {
            ix[i] = 0;
        }
        return i;
    }
    return linbits == 0 ? DecodePairs<false>(cursor, ix, i, end, code, 0)
                        : DecodePairs<true>(cursor, ix, i, end, code, linbits);
}

// A quadruple: code word (at most 6 bits) and up to four sign bits, always within the
// signed lookup.
void DecodeQuad(BitCursor& cursor, const HuffmanCode& code, int32_t* quad) {
    const SignedValues& entry = code.signed_values[cursor.Peek32() >> (32 - kSignedLookupBits)];
    for (int k = 0; k < 4; ++k) {
        quad[k] = entry.values[k];
    }
    cursor.Drop(entry.length);
}

// Smallest k in [0, limit] with bound(k) >= count, or limit when there is none.
template <typename Bound> int FirstBandReaching(int count, int limit, Bound bound) {
    for (int k = 0; k < limit; ++k) {
        if (bound(k) >= count) {
            return k;
        }
    }
    return limit;
}

bool WindowBandHasLines(const int32_t* ix, const int16_t* s, int band, int window) {
    const int width = s[band + 1] - s[band];
    const int32_t* lines = ix + 3 * s[band] + window * width;
    for (int j = 0; j < width; ++j) {
        if (lines[j] != 0) {
            return true;
        }
    }
    return false;
}

void ShortBandCounts(const int32_t* ix, GranuleInfo& gi, const SfBandTable& bands) {
    const int16_t* s = bands.short_bounds;
    gi.short_band_count = FirstBandReaching(gi.nonzero_count, 13, [s](int k) { return 3 * s[k]; });
    // A window whose lines are all zero has every band free for intensity stereo, so its
    // count is 0, not the granule's.
    for (int window = 0; window < 3; ++window) {
        gi.window_band_count[window] = 0;
        for (int band = gi.short_band_count - 1; band >= 0; --band) {
            if (WindowBandHasLines(ix, s, band, window)) {
                gi.window_band_count[window] = band + 1;
                break;
            }
        }
    }
}

void BandCounts(const int32_t* ix, GranuleInfo& gi, const FrameParams& params) {
    const SfBandTable& bands = SfBandTableFor(params);
    const int16_t* l = bands.long_bounds;
    if (!IsShortBlock(gi)) {
        gi.long_bands_apply = 1;
    } else if (!gi.mixed_block_flag) {
        gi.long_bands_apply = 0;
    } else {
        gi.long_bands_apply = gi.nonzero_count <= l[params.is_mpeg1 ? 7 : 5] ? 1 : 0;
    }
    if (gi.long_bands_apply) {
        gi.long_band_count = FirstBandReaching(gi.nonzero_count, 22, [l](int k) { return l[k]; });
    } else {
        ShortBandCounts(ix, gi, bands);
    }
}

} // namespace

int DecodeBigValues(BitRingBuffer& reader, int32_t* ix, const int32_t* tables, const int* ends) {
    BitCursor cursor(reader);
    int i = 0;
    for (int region = 0; region < 3; ++region) {
        i = DecodeRegion(cursor, ix, i, ends[region], tables[region]);
    }
    cursor.Commit(reader);
    return i;
}

int DecodeCount1(BitRingBuffer& reader, int32_t* ix, int table, int first, int end_bits) {
    const HuffmanCode code = HuffmanCodeFor(table);
    const int start_bits = reader.ConsumedBits();
    BitCursor cursor(reader);
    int i = first;
    while (start_bits + cursor.Used() < end_bits && i <= kGranuleLines - 4) {
        DecodeQuad(cursor, code, ix + i);
        i += 4;
    }
    cursor.Commit(reader);
    // A quadruple that ran past the granule's end is not part of it. (When the big values
    // alone ran past it, damaged data, there is no quadruple to drop.)
    if (reader.ConsumedBits() > end_bits && i > first) {
        i -= 4;
    }
    const int overrun = reader.ConsumedBits() - end_bits;
    if (overrun > 0) {
        reader.Rewind(overrun);
    } else {
        reader.Skip(-overrun);
    }
    int n = i - 1;
    while (n > 0 && ix[n] == 0) {
        --n;
    }
    const int nonzero_count = (i == 0) ? 0 : n + 1;
    std::memset(ix + nonzero_count, 0, sizeof(int32_t) * (kGranuleLines - nonzero_count));
    return nonzero_count;
}

void DecodeSpectrum(BitRingBuffer& reservoir, int32_t* ix, GranuleInfo& gi,
                    const FrameParams& params) {
    int ends[3];
    RegionEnds(gi, params, ends);
    const int first = DecodeBigValues(reservoir, ix, gi.table_select, ends);
    gi.nonzero_count =
        DecodeCount1(reservoir, ix, 32 + gi.count1table_select, first, gi.part2_3_length);
    BandCounts(ix, gi, params);
}

} // namespace sonarel::mp3
