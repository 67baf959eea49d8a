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

constexpr int kSignedSize = 1 << kSignedLookupBits;
constexpr int kQuadTables = 32; // 32 and 33 decode quadruples

// What the code word at the top of the index's bits and its sign bits decode to.
SignedValues SignedEntry(int table, const HuffmanCode& code, uint32_t index) {
    const uint32_t bits = index << (32 - kSignedLookupBits);
    const uint32_t leaf = FindHuffmanLeaf(bits, code);
    int length = TrieLeafLength(leaf);
    const bool quad = table >= kQuadTables;
    const bool escapes = kHuffmanTables[table].linbits > 0;
    SignedValues entry{};
    for (int k = 0; k < (quad ? 4 : 2); ++k) {
        const int magnitude = quad ? static_cast<int>((leaf >> (3 - k)) & 1)
                                   : static_cast<int>(k == 0 ? (leaf >> 4) & 15 : leaf & 15);
        if (escapes && magnitude == 15) {
            return {};
        }
        int value = magnitude;
        if (magnitude != 0) {
            if (length >= kSignedLookupBits) {
                return {};
            }
            value = ((bits << length) >> 31) != 0 ? -magnitude : magnitude;
            ++length;
        }
        entry.values[k] = static_cast<int8_t>(value);
    }
    if (length > kSignedLookupBits) {
        return {};
    }
    entry.length = static_cast<uint8_t>(length);
    return entry;
}

// Tables that share a trie (16..23, 24..31) share its lookups, kept one after the other
// for the 17 distinct tries (pair tables 1-3, 5-13, 15, 16, 24 and the two quadruple
// tables), so that they fill as few pages as they can.
constexpr int kDistinctTries = 17;

struct LookupTables {
    std::array<std::array<uint16_t, kLookupSize>, kDistinctTries> entries;
    std::array<std::array<SignedValues, kSignedSize>, kDistinctTries> signed_entries;
    std::array<const uint16_t*, kTables> of_table{};
    std::array<const SignedValues*, kTables> signed_of_table{};

    LookupTables() {
        int slot = 0;
        for (int table = 0; table < kTables; ++table) {
            const uint32_t* trie = kHuffmanTables[table].trie;
            if (trie == nullptr) {
                continue;
            }
            if (table > 0 && trie == kHuffmanTables[table - 1].trie) {
                of_table[table] = of_table[table - 1];
                signed_of_table[table] = signed_of_table[table - 1];
                continue;
            }
            for (uint32_t index = 0; index < kLookupSize; ++index) {
                entries[slot][index] = EntryAfter(trie, index);
            }
            of_table[table] = entries[slot].data();
            const HuffmanCode code{of_table[table], trie, nullptr};
            for (uint32_t index = 0; index < kSignedSize; ++index) {
                signed_entries[slot][index] = SignedEntry(table, code, index);
            }
            signed_of_table[table] = signed_entries[slot].data();
            ++slot;
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
        return {nullptr, nullptr, nullptr};
    }
    const LookupTables& lookups = Lookups();
    return {lookups.of_table[table], trie, lookups.signed_of_table[table]};
}

} // namespace sonarel::mp3
