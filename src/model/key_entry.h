// Byte views of the key maps as the profile block holds them: the 16-byte
// KeyEntry, the 512-entry key-map area, and where the four areas sit in the
// 32832-byte block. The views read and write the bytes in place, field by
// field, so the memory form and the file form stay one.
//
// Thread safety: a view is as safe as the bytes it looks at; the profile
// store's bytes are touched only under the store lock, the download copy's
// under the download lock.
#pragma once

#include "platform/le.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

namespace velkarn {

constexpr size_t kKeyEntrySize = 16;
constexpr int kKeyMapEntryCount = 512;
constexpr size_t kKeyMapAreaSize = kKeyEntrySize * kKeyMapEntryCount; // 8192
constexpr int kKeyMapAreaCount = 4;
constexpr size_t kProfileHeaderSize = 64;
constexpr size_t kProfileBlockSize = kProfileHeaderSize + kKeyMapAreaCount * kKeyMapAreaSize; // 32832
constexpr int kProfileCount = 3; // areas 0..2 belong to the onboard profiles; area 3 is carried only

// The two G-key entry sets: G1..G9 at 256.. while the bank is 0, 265.. while it is 1.
constexpr int kGKeyEntryFirst = 256;
constexpr int kGKeyEntriesPerBank = 9;
constexpr int kGKeyEntryEnd = kGKeyEntryFirst + 2 * kGKeyEntriesPerBank; // 274
// Code field of G key n (0..8) in a fresh area: 0x0301 + n for bank 0, 0x1301 + n for bank 1.
constexpr uint16_t kGKeyEntryCodeBank0 = 0x0301;
constexpr uint16_t kGKeyEntryCodeBank1 = 0x1301;

// Text slots number the 2048 entries of the block: area × 512 + entry.
constexpr int kTextSlotCount = kKeyMapAreaCount * kKeyMapEntryCount;
constexpr int TextSlotIndex(int area, int entry) {
    return area * kKeyMapEntryCount + entry;
}

constexpr size_t KeyMapAreaOffset(int area) {
    return kProfileHeaderSize + static_cast<size_t>(area) * kKeyMapAreaSize;
}

// One KeyEntry: type u16 @0, code u16 @2, value u32 @4, mark u32 @8, reserved u32 @12.
template <class Byte> class BasicKeyEntryView {
public:
    explicit BasicKeyEntryView(std::span<Byte, kKeyEntrySize> bytes) : m_bytes(bytes) {}

    uint16_t Type() const { return le::U16(m_bytes, 0); }
    uint16_t Code() const { return le::U16(m_bytes, 2); }
    uint32_t Value() const { return le::U32(m_bytes, 4); }
    uint32_t Mark() const { return le::U32(m_bytes, 8); }
    uint32_t Reserved() const { return le::U32(m_bytes, 12); }

    void SetType(uint16_t v) const requires(!std::is_const_v<Byte>) { le::PutU16(m_bytes, 0, v); }
    void SetCode(uint16_t v) const requires(!std::is_const_v<Byte>) { le::PutU16(m_bytes, 2, v); }
    void SetValue(uint32_t v) const requires(!std::is_const_v<Byte>) { le::PutU32(m_bytes, 4, v); }
    void SetMark(uint32_t v) const requires(!std::is_const_v<Byte>) { le::PutU32(m_bytes, 8, v); }
    void Clear() const requires(!std::is_const_v<Byte>) {
        std::fill(m_bytes.begin(), m_bytes.end(), Byte{0});
    }

    std::span<Byte, kKeyEntrySize> Bytes() const { return m_bytes; }

    operator BasicKeyEntryView<const uint8_t>() const requires(!std::is_const_v<Byte>) {
        return BasicKeyEntryView<const uint8_t>(m_bytes);
    }

private:
    std::span<Byte, kKeyEntrySize> m_bytes;
};

using KeyEntryView = BasicKeyEntryView<uint8_t>;
using ConstKeyEntryView = BasicKeyEntryView<const uint8_t>;

// One key-map area: 512 entries, entry n at n × 16.
template <class Byte> class BasicKeyMapAreaView {
public:
    explicit BasicKeyMapAreaView(std::span<Byte, kKeyMapAreaSize> bytes) : m_bytes(bytes) {}

    // Index 0..511; callers check indexes that come from data.
    BasicKeyEntryView<Byte> Entry(int index) const {
        return BasicKeyEntryView<Byte>(
            m_bytes.subspan(static_cast<size_t>(index) * kKeyEntrySize).template first<kKeyEntrySize>());
    }

    // The area as a fresh profile has it: everything zero but the code
    // fields of the two G-key sets.
    void ResetToDefault() const requires(!std::is_const_v<Byte>) {
        std::fill(m_bytes.begin(), m_bytes.end(), Byte{0});
        for (int n = 0; n < kGKeyEntriesPerBank; ++n) {
            Entry(kGKeyEntryFirst + n).SetCode(static_cast<uint16_t>(kGKeyEntryCodeBank0 + n));
            Entry(kGKeyEntryFirst + kGKeyEntriesPerBank + n)
                .SetCode(static_cast<uint16_t>(kGKeyEntryCodeBank1 + n));
        }
    }

    std::span<Byte, kKeyMapAreaSize> Bytes() const { return m_bytes; }

    operator BasicKeyMapAreaView<const uint8_t>() const requires(!std::is_const_v<Byte>) {
        return BasicKeyMapAreaView<const uint8_t>(m_bytes);
    }

private:
    std::span<Byte, kKeyMapAreaSize> m_bytes;
};

using KeyMapAreaView = BasicKeyMapAreaView<uint8_t>;
using ConstKeyMapAreaView = BasicKeyMapAreaView<const uint8_t>;

// Area 0..3 of a profile block.
inline KeyMapAreaView KeyMapAreaOf(std::span<uint8_t, kProfileBlockSize> block, int area) {
    return KeyMapAreaView(block.subspan(KeyMapAreaOffset(area)).first<kKeyMapAreaSize>());
}

inline ConstKeyMapAreaView KeyMapAreaOf(std::span<const uint8_t, kProfileBlockSize> block, int area) {
    return ConstKeyMapAreaView(block.subspan(KeyMapAreaOffset(area)).first<kKeyMapAreaSize>());
}

} // namespace velkarn
