// Huffman decoding of one granule's spectrum into 576 quantised lines.
#pragma once

#include "mp3/bit_ring_buffer.h"
#include "mp3/huffman_lookup.h"
#include "mp3/layer3_types.h"

#include <cstdint>

namespace sonarel::mp3 {

// Decodes the big-values and count1 parts that follow the scale factors, stops exactly
// part2_3_length bits after the start of the scale factors, and derives the counts that
// let later stages skip the silent lines: nonzero_count, long_bands_apply and either
// long_band_count or short_band_count with window_band_count.
void DecodeSpectrum(BitRingBuffer& reservoir, int32_t* ix, GranuleInfo& gi,
                    const FrameParams& params);

// Decodes value pairs up to ends[2] with one table per region; returns the first line of
// the count1 part.
int DecodeBigValues(BitRingBuffer& reader, int32_t* ix, const int32_t* tables, const int* ends);

// Decodes quadruples from line first while the consumed-bit count is below end_bits, then
// leaves the reader exactly at end_bits and clears the lines above the last non-zero one.
// Returns nonzero_count.
int DecodeCount1(BitRingBuffer& reader, int32_t* ix, int table, int first, int end_bits);

// Decodes one code word of the table and returns its value byte.
inline int HuffmanStep(BitRingBuffer& reader, int table) {
    const uint32_t leaf = FindHuffmanLeaf(reader.PeekBits32(), HuffmanCodeFor(table));
    reader.Advance(TrieLeafLength(leaf));
    return TrieLeafValue(leaf);
}

} // namespace sonarel::mp3
