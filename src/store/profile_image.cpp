#include "store/profile_image.h"

#include "platform/le.h"

#include <algorithm>
#include <cstring>

namespace velkarn {
namespace {

constexpr uint64_t kFourGiB = uint64_t{1} << 32;

uint32_t PoolSizeOf(const TextTable& texts) {
    return texts.Total() > 0 ? static_cast<uint32_t>(texts.Total()) : 0;
}

void PutUtf16(std::span<uint8_t> pool, size_t offset, const std::u16string& text) {
    for (size_t i = 0; i < text.size(); ++i)
        le::PutU16(pool, offset + 2 * i, static_cast<uint16_t>(text[i]));
    le::PutU16(pool, offset + 2 * text.size(), 0);
}

// The text at `offset` of the pool, or nothing when the offset lies outside
// it, no terminator follows inside it, or it runs longer than any path or
// text block a key is given. The length limit also bounds the work a crafted
// file can cause: 2048 entries never scan more than 2048 such texts.
bool ReadPoolText(std::span<const uint8_t> pool, uint64_t offset, std::u16string& text) {
    text.clear();
    const uint64_t end = std::min<uint64_t>(pool.size(), offset + 2 * (kMaxTextCharacters + 1));
    for (uint64_t at = offset; at + 2 <= end; at += 2) {
        const uint16_t c = le::U16(pool, static_cast<size_t>(at));
        if (c == 0)
            return true;
        text.push_back(static_cast<char16_t>(c));
    }
    text.clear();
    return false;
}

} // namespace

HeaderCheck CheckProfileHeader(std::span<const uint8_t> head, uint64_t fileSize) {
    if (fileSize >= kFourGiB || fileSize < kProfileBlockSize || head.size() < kFileHeaderSize)
        return HeaderCheck::kTooSmall;
    const uint32_t total = le::U32(head, profile_header::kTotalSize);
    const uint16_t macroCount = le::U16(head, profile_header::kMacroCount);
    const uint8_t flag = le::U8(head, profile_header::kFlagByte);
    const bool valid = le::U16(head, profile_header::kSignature) == profile_header::kSignatureValue &&
                       le::U16(head, profile_header::kHeaderSize) == kFileHeaderSize &&
                       le::U16(head, profile_header::kFormatWord1) == profile_header::kFormatWord1Value &&
                       le::U16(head, profile_header::kFormatWord2) == profile_header::kFormatWord2Value &&
                       total >= kProfileBlockSize &&
                       le::U16(head, profile_header::kEntryCount) == kTotalEntryCount &&
                       macroCount <= kMaxMacros && flag <= 1 &&
                       total == ProfileTotalSize(macroCount, le::U32(head, profile_header::kTextPoolSize)) &&
                       le::U8(head, profile_header::kChecksum) == HeaderChecksum(head) && fileSize >= total;
    return valid ? HeaderCheck::kValid : HeaderCheck::kRejected;
}

uint64_t ProfileImageExtent(std::span<const uint8_t> head) {
    return ProfileTotalSize(le::U16(head, profile_header::kMacroCount),
                            le::U32(head, profile_header::kTextPoolSize));
}

bool ParseProfileImage(std::span<const uint8_t> image, ProfileContents& out) {
    if (image.size() < kProfileBlockSize)
        return false;
    const uint16_t macroCount = le::U16(image, profile_header::kMacroCount);
    const uint32_t poolSize = le::U32(image, profile_header::kTextPoolSize);
    if (macroCount > kMaxMacros || image.size() < ProfileTotalSize(macroCount, poolSize))
        return false;

    out.block = std::make_unique<ProfileBlock>();
    std::copy_n(image.begin(), kProfileBlockSize, out.block->Bytes().begin());
    const size_t macroBytes = size_t{macroCount} * kMacroRecordSize;
    out.macros.clear();
    out.macros.reserve(macroCount);
    for (size_t i = 0; i < macroCount; ++i)
        out.macros.emplace_back(
            image.subspan(kProfileBlockSize + i * kMacroRecordSize).first<kMacroRecordSize>());

    const auto pool = image.subspan(kProfileBlockSize + macroBytes, poolSize);
    out.texts.Clear();
    std::u16string text;
    for (int k = 0; k < kTotalEntryCount; ++k) {
        if (!CarriesText(out.block->EntryType(k)))
            continue;
        // Writers start every text at an even offset; an odd value means the
        // text that starts one byte lower.
        if (ReadPoolText(pool, out.block->EntryValue(k) & ~uint32_t{1}, text))
            out.texts.Set(k, std::move(text));
    }
    return true;
}

std::vector<uint8_t> PackTextPool(ProfileBlock& block, const TextTable& texts) {
    const uint32_t total = PoolSizeOf(texts);
    std::vector<uint8_t> pool(total, 0);
    uint64_t s = 0;
    for (int k = 0; k < kTextSlotCount; ++k) {
        const TextSlot& slot = texts.Slot(k);
        if (slot.Empty() || s + slot.size > total || !CarriesText(block.EntryType(k)))
            continue;
        PutUtf16(pool, static_cast<size_t>(s & ~uint64_t{1}), slot.text);
        block.SetEntryValue(k, static_cast<uint32_t>(s));
        s += slot.size;
    }
    return pool;
}

std::vector<uint8_t> BuildProfileImage(ProfileBlock& block, std::span<const MacroRecord> macros,
                                       const TextTable& texts) {
    const std::vector<uint8_t> pool = PackTextPool(block, texts);
    WriteFileHeader(block.Bytes(), static_cast<uint16_t>(macros.size()), static_cast<uint32_t>(pool.size()),
                    0);
    std::vector<uint8_t> image;
    image.reserve(kProfileBlockSize + macros.size() * kMacroRecordSize + pool.size());
    const auto bytes = block.Bytes();
    image.insert(image.end(), bytes.begin(), bytes.end());
    for (const MacroRecord& macro : macros)
        image.insert(image.end(), macro.Bytes().begin(), macro.Bytes().end());
    image.insert(image.end(), pool.begin(), pool.end());
    return image;
}

} // namespace velkarn
