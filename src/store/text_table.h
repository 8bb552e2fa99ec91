// The texts of the text-carrying key assignments (launch a program, type a
// text block): one slot per key entry of the block, slot k for entry k
// (k = area x 512 + entry index), and the byte total of all occupied slots.
//
// A slot keeps its text until it is overwritten or the table is cleared, even
// when its entry stops carrying a text; the total counts every occupied slot,
// and the profile file's text pool is built with exactly that size.
//
// Thread safety: plain data, guarded by the store lock of its ProfileStore.
#pragma once

#include "store/profile_block.h"

#include <array>
#include <cstdint>
#include <string>

namespace velkarn {

struct TextSlot {
    std::u16string text; // without the terminator
    uint32_t size = 0;   // bytes including the terminator; 0 = empty

    bool Empty() const { return size == 0; }
};

// Longest text a file may give an entry; a longer one loads as empty.
constexpr size_t kMaxTextCharacters = 32767;

// Texts that would push the total past this are refused: the total is a
// 32-bit signed count and the pool must stay addressable by the header.
constexpr int64_t kMaxTextTotal = 0x7FFFFFFF - 1;

class TextTable {
public:
    const TextSlot& Slot(int k) const { return m_slots[static_cast<size_t>(k)]; }
    int32_t Total() const { return m_total; }

    // Puts text into slot k, replacing what it held, and keeps the total
    // equal to the sum of the occupied sizes. False (slot unchanged) when the
    // total would overflow.
    bool Set(int k, std::u16string text);

    // Empties slot k.
    void Erase(int k);

    // Empties every slot; the total becomes 0.
    void Clear();

    // Only for callers that rebuild a table from a file and for tests that
    // need a total that disagrees with the slots; the pool writer copes with
    // any value.
    void ForceTotal(int32_t total) { m_total = total; }

private:
    std::array<TextSlot, kTextSlotCount> m_slots{};
    int32_t m_total = 0;
};

} // namespace velkarn
