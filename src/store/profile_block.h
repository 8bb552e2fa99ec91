// The 32832-byte profile block: the header and device descriptor of a
// profile file followed by four key-map areas of 512 16-byte key entries.
// Memory and file share this one byte layout, so loading and saving move the
// block as a whole and every field is read and written through the
// little-endian helpers at its offset.
//
// Thread safety: a ProfileBlock is plain data. The store's block is guarded by
// the store lock; a download copy by the download lock.
#pragma once

#include "model/key_assignment.h"
#include "model/key_entry.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace velkarn {

// Sizes shared with the key-map views of model/key_entry.h.
constexpr size_t kFileHeaderSize = 32;
constexpr size_t kDescriptorOffset = 32;
constexpr size_t kKeyMapAreasOffset = kProfileHeaderSize;
constexpr int kEntriesPerArea = kKeyMapEntryCount;
constexpr size_t kEntrySize = kKeyEntrySize;
constexpr int kTotalEntryCount = kKeyMapAreaCount * kEntriesPerArea; // 2048
constexpr int kOnboardProfileCount = kProfileCount;

// Header fields of a profile file (offsets from the start of the file).
namespace profile_header {
constexpr size_t kSignature = 0;     // u16 0x4446, "FD"
constexpr size_t kHeaderSize = 2;    // u16 32
constexpr size_t kFormatWord1 = 4;   // u16 3
constexpr size_t kFormatWord2 = 6;   // u16 1
constexpr size_t kTotalSize = 8;     // u32
constexpr size_t kEntryCount = 12;   // u16 2048
constexpr size_t kMacroCount = 14;   // u16
constexpr size_t kTextPoolSize = 16; // u32
constexpr size_t kFlagByte = 30;     // u8, 0 or 1
constexpr size_t kChecksum = 31;     // u8, sum of bytes 0..30

constexpr uint16_t kSignatureValue = 0x4446;
constexpr uint16_t kFormatWord1Value = 3;
constexpr uint16_t kFormatWord2Value = 1;
} // namespace profile_header

// Assignment types whose entry carries a text (program path, text block).
inline bool CarriesText(uint16_t type) {
    return type == kAssignProgram || type == kAssignText;
}

class ProfileBlock {
public:
    // A zeroed block; FillDefaultBlock gives it the content of a new block.
    ProfileBlock() = default;

    std::span<uint8_t, kProfileBlockSize> Bytes() { return m_bytes; }
    std::span<const uint8_t, kProfileBlockSize> Bytes() const { return m_bytes; }

    // Key-map area 0..3; the caller checks the range.
    std::span<uint8_t, kKeyMapAreaSize> Area(int area);
    std::span<const uint8_t, kKeyMapAreaSize> Area(int area) const;

    KeyMapAreaView AreaView(int area) { return KeyMapAreaView(Area(area)); }
    ConstKeyMapAreaView AreaView(int area) const { return ConstKeyMapAreaView(Area(area)); }

    // The 16 bytes of entry k of the whole table (k = area x 512 + index).
    std::span<uint8_t, kEntrySize> EntryBytes(int k);
    std::span<const uint8_t, kEntrySize> EntryBytes(int k) const;
    KeyEntryView Entry(int k) { return KeyEntryView(EntryBytes(k)); }
    ConstKeyEntryView Entry(int k) const { return ConstKeyEntryView(EntryBytes(k)); }

    uint16_t EntryType(int k) const;
    uint32_t EntryValue(int k) const;
    void SetEntryValue(int k, uint32_t value);

private:
    std::array<uint8_t, kProfileBlockSize> m_bytes{};
};

// Sum of header bytes 0..30, modulo 256.
uint8_t HeaderChecksum(std::span<const uint8_t> header);

// Total size a file with these counts must have.
uint64_t ProfileTotalSize(uint32_t macroCount, uint32_t textPoolSize);

// Rewrites the 32-byte file header for the given counts, with the flag byte
// and the checksum computed last. Leaves the device descriptor alone.
void WriteFileHeader(std::span<uint8_t> block, uint16_t macroCount, uint32_t textPoolSize, uint8_t flagByte);

// Writes the 32-byte device descriptor (only for blocks built from scratch).
void WriteDeviceDescriptor(std::span<uint8_t> block);

// Resets one key-map area to the area default: every entry zero, then the
// G-key codes 0x0301..0x0309 in entries 256..264 and 0x1301..0x1309 in
// 265..273.
void ResetAreaToDefault(std::span<uint8_t, kKeyMapAreaSize> area);

// The block of a new store: header for no macros and no texts with
// headerByte30 as flag byte, the device descriptor, area 0 with the G-key
// codes and areas 1..3 all zero.
void FillDefaultBlock(ProfileBlock& block, uint8_t headerByte30);
std::unique_ptr<ProfileBlock> MakeDefaultBlock(uint8_t headerByte30);

} // namespace velkarn
