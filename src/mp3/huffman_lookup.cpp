#include "mp3/huffman_lookup.h"

#include <array>

namespace sonarel::mp3 {

namespace {

constexpr int kTables = 34;
constexpr int kLookupSize = 1 << kHuffmanLookupBits;

// The trie entry after walking the index's bits, or the leaf met before their end.
uint16_t EntryAfter(const uint32_t* trie, uint32_t index) {
    uint32_t bits = index << (32 - kHuffmanLookupBits);
    uint32_t entry = trie[bits >> 30];
    for (int step = 1; step < kHuffmanLookupBits / 2 && !IsTrieLeaf(entry); ++step) {
        bits <<= 2;
        entry = trie[4 * entry + (bits >> 30)];
    }
    return static_cast<uint16_t>(entry); // leaves and node numbers fit 16 bits
}

// Tables that share a trie (16..23, 24..31) share its lookup.
struct LookupTables {
    std::array<std::array<uint16_t, kLookupSize>, kTables> entries{};
    std::array<const uint16_t*, kTables> of_table{};

    LookupTables() {
        for (int table = 0; table < kTables; ++table) {
            const uint32_t* trie = kHuffmanTables[table].trie;
            if (trie == nullptr) {
                continue;
            }
            if (table > 0 && trie == kHuffmanTables[table - 1].trie) {
                of_table[table] = of_table[table - 1];
                continue;
            }
            for (uint32_t index = 0; index < kLookupSize; ++index) {
                entries[table][index] = EntryAfter(trie, index);
            }
            of_table[table] = entries[table].data();
        }
    }
};

const LookupTables& Lookups() {
    static const LookupTables tables;
    return tables;
}

} // namespace

HuffmanCode HuffmanCodeFor(int table) {
    const uint32_t* trie = kHuffmanTables[table].trie;
    if (trie == nullptr) {
        return {nullptr, nullptr};
    }
    return {Lookups().of_table[table], trie};
}

} // namespace sonarel::mp3
