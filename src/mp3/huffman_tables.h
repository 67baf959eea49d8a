// The Layer III Huffman code tables as 4-ary tries that are walked two bits per step.
#pragma once

#include <cstdint>

namespace sonarel::mp3 {

// One entry per table number: 0..31 the pair tables, 32 and 33 the quadruple tables A
// and B. Tables 0, 4 and 14 have no trie.
struct HuffmanTable {
    int32_t linbits;
    const uint32_t* trie;
};

struct HuffmanTableDirectory {
    HuffmanTable tables[34];

    const HuffmanTable& operator[](int number) const { return tables[number]; }
};

extern const HuffmanTableDirectory kHuffmanTables;

// A trie entry with bits 8..15 set is a leaf: code length in bits 8..15, value in 0..7.
inline bool IsTrieLeaf(uint32_t entry) {
    return (entry & 0xFF00) != 0;
}
inline int TrieLeafLength(uint32_t entry) {
    return static_cast<int>((entry >> 8) & 0xFF);
}
inline int TrieLeafValue(uint32_t entry) {
    return static_cast<int>(entry & 0xFF);
}

} // namespace sonarel::mp3
