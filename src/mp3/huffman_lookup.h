// One-step lookup of Huffman code words: the first kHuffmanLookupBits bits of a code
// word index a table that holds the trie entry reached after those bits. That entry is
// the leaf of every code word of at most that many bits (nearly all of those that occur),
// or else the trie node where a two-bits-per-step walk finishes the longer ones.
#pragma once

#include "mp3/huffman_tables.h"

#include <cstdint>

namespace sonarel::mp3 {

inline constexpr int kHuffmanLookupBits = 8; // even: the walk goes on at a node

// A whole code word with the sign bits after it, decoded at once from the next
// kSignedLookupBits bits: the signed values and the bits they take, or length 0 when
// they take more bits than that (or, for tables with escapes, hold an escape).
inline constexpr int kSignedLookupBits = 10;

struct SignedValues {
    int8_t values[4]; // x, y for pairs; v, w, x, y for quadruples
    uint8_t length;
};

struct HuffmanCode {
    const uint16_t* lookup; // 1 << kHuffmanLookupBits trie entries
    const uint32_t* trie;
    const SignedValues* signed_values; // 1 << kSignedLookupBits entries
};

// The code of table number 0..33; the pointers are null for tables without a trie.
HuffmanCode HuffmanCodeFor(int table);

// The leaf of the code word at the top of bits (first bit in bit 31; a code word with
// its continuation never exceeds 32 bits).
inline uint32_t FindHuffmanLeaf(uint32_t bits, const HuffmanCode& code) {
    uint32_t entry = code.lookup[bits >> (32 - kHuffmanLookupBits)];
    if (IsTrieLeaf(entry)) {
        return entry;
    }
    bits <<= kHuffmanLookupBits;
    do {
        entry = code.trie[4 * entry + (bits >> 30)];
        bits <<= 2;
    } while (!IsTrieLeaf(entry));
    return entry;
}

} // namespace sonarel::mp3
