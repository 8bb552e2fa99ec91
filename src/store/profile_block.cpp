#include "store/profile_block.h"

#include "model/macro.h"
#include "platform/le.h"

#include <algorithm>

namespace velkarn {
namespace {

// Device descriptor fields (offsets from the start of the file).
constexpr uint16_t kDescriptorSignature = 0x484B; // "KH"
constexpr uint16_t kDescriptorSize = 32;
constexpr uint16_t kDescriptorSpan = 32800; // descriptor plus the four areas
constexpr uint16_t kDescriptorWord52 = 0x1C4F;
constexpr uint16_t kDescriptorWord54 = 0x000E;

} // namespace

std::span<uint8_t, kKeyMapAreaSize> ProfileBlock::Area(int area) {
    return KeyMapAreaOf(Bytes(), area).Bytes();
}

std::span<const uint8_t, kKeyMapAreaSize> ProfileBlock::Area(int area) const {
    return KeyMapAreaOf(Bytes(), area).Bytes();
}

// The areas lie back to back, so entry k of the whole table is entry
// k mod 512 of area k / 512.
std::span<uint8_t, kEntrySize> ProfileBlock::EntryBytes(int k) {
    return AreaView(k / kEntriesPerArea).Entry(k % kEntriesPerArea).Bytes();
}

std::span<const uint8_t, kEntrySize> ProfileBlock::EntryBytes(int k) const {
    return AreaView(k / kEntriesPerArea).Entry(k % kEntriesPerArea).Bytes();
}

uint16_t ProfileBlock::EntryType(int k) const {
    return Entry(k).Type();
}

uint32_t ProfileBlock::EntryValue(int k) const {
    return Entry(k).Value();
}

void ProfileBlock::SetEntryValue(int k, uint32_t value) {
    Entry(k).SetValue(value);
}

uint8_t HeaderChecksum(std::span<const uint8_t> header) {
    unsigned sum = 0;
    for (size_t i = 0; i < profile_header::kChecksum; ++i)
        sum += header[i];
    return static_cast<uint8_t>(sum & 0xFF);
}

uint64_t ProfileTotalSize(uint32_t macroCount, uint32_t textPoolSize) {
    return uint64_t{kProfileBlockSize} + uint64_t{macroCount} * kMacroRecordSize + textPoolSize;
}

void WriteFileHeader(std::span<uint8_t> block, uint16_t macroCount, uint32_t textPoolSize, uint8_t flagByte) {
    std::fill_n(block.begin(), kFileHeaderSize, uint8_t{0});
    le::PutU16(block, profile_header::kSignature, profile_header::kSignatureValue);
    le::PutU16(block, profile_header::kHeaderSize, static_cast<uint16_t>(kFileHeaderSize));
    le::PutU16(block, profile_header::kFormatWord1, profile_header::kFormatWord1Value);
    le::PutU16(block, profile_header::kFormatWord2, profile_header::kFormatWord2Value);
    // The field is 32 bits wide; the counts the store can hold keep it far
    // below that (100 macros and a pool of 2048 texts of bounded size).
    le::PutU32(block, profile_header::kTotalSize,
               static_cast<uint32_t>(ProfileTotalSize(macroCount, textPoolSize)));
    le::PutU16(block, profile_header::kEntryCount, static_cast<uint16_t>(kTotalEntryCount));
    le::PutU16(block, profile_header::kMacroCount, macroCount);
    le::PutU32(block, profile_header::kTextPoolSize, textPoolSize);
    le::PutU8(block, profile_header::kFlagByte, flagByte);
    le::PutU8(block, profile_header::kChecksum, HeaderChecksum(block));
}

void WriteDeviceDescriptor(std::span<uint8_t> block) {
    std::fill_n(block.begin() + kDescriptorOffset, 32, uint8_t{0});
    le::PutU16(block, 32, kDescriptorSignature);
    le::PutU16(block, 34, kDescriptorSize);
    le::PutU16(block, 36, kDescriptorSpan);
    le::PutU16(block, 40, static_cast<uint16_t>(kKeyMapAreaCount));
    le::PutU16(block, 42, static_cast<uint16_t>(kEntriesPerArea));
    le::PutU16(block, 48, static_cast<uint16_t>(VELKARN_KEYBOARD_VENDOR_ID));
    le::PutU16(block, 50, static_cast<uint16_t>(VELKARN_KEYBOARD_PRODUCT_ID));
    le::PutU16(block, 52, kDescriptorWord52);
    le::PutU16(block, 54, kDescriptorWord54);
}

void ResetAreaToDefault(std::span<uint8_t, kKeyMapAreaSize> area) {
    KeyMapAreaView(area).ResetToDefault();
}

void FillDefaultBlock(ProfileBlock& block, uint8_t headerByte30) {
    auto bytes = block.Bytes();
    std::fill(bytes.begin(), bytes.end(), uint8_t{0});
    WriteFileHeader(bytes, 0, 0, headerByte30);
    WriteDeviceDescriptor(bytes);
    ResetAreaToDefault(block.Area(0));
}

std::unique_ptr<ProfileBlock> MakeDefaultBlock(uint8_t headerByte30) {
    auto block = std::make_unique<ProfileBlock>();
    FillDefaultBlock(*block, headerByte30);
    return block;
}

} // namespace velkarn
