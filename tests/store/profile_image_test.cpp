// The profile file's bytes: the header and its checksum, the default block,
// the import test of the header and the text pool.
#include "platform/le.h"
#include "store/profile_image.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace velkarn {
namespace {

std::vector<uint8_t> Header(uint16_t macros, uint32_t pool) {
    std::vector<uint8_t> block(kProfileBlockSize, 0);
    WriteFileHeader(block, macros, pool, 0);
    return std::vector<uint8_t>(block.begin(), block.begin() + 32);
}

TEST(ProfileHeader, EmptyStoreMatchesTheWorkedExample) {
    const std::vector<uint8_t> expected = {0x46, 0x44, 0x20, 0x00, 0x03, 0x00, 0x01, 0x00, 0x40, 0x80, 0x00,
                                           0x00, 0x00, 0x08, 0x00, 0x00, 0,    0,    0,    0,    0,    0,
                                           0,    0,    0,    0,    0,    0,    0,    0,    0,    0x76};
    EXPECT_EQ(Header(0, 0), expected);
}

TEST(ProfileHeader, TwoMacrosAndFortyBytePool) {
    const auto header = Header(2, 40);
    EXPECT_EQ(le::U32(header, 8), 65896u);
    EXPECT_EQ(le::U16(header, 14), 2);
    EXPECT_EQ(le::U32(header, 16), 40u);
    EXPECT_EQ(header[31], 0x4A);
}

TEST(DefaultBlock, CodesOnlyInAreaZeroGKeyEntries) {
    const auto block = MakeDefaultBlock(0);
    for (int area = 0; area < 4; ++area) {
        for (int e = 0; e < 512; ++e) {
            const auto entry = block->AreaView(area).Entry(e);
            uint16_t code = 0;
            if (area == 0 && e >= 256 && e < 265)
                code = static_cast<uint16_t>(0x0301 + (e - 256));
            if (area == 0 && e >= 265 && e < 274)
                code = static_cast<uint16_t>(0x1301 + (e - 265));
            ASSERT_EQ(entry.Code(), code) << "area " << area << " entry " << e;
            ASSERT_EQ(entry.Type(), 0);
            ASSERT_EQ(entry.Value(), 0u);
        }
    }
    const auto bytes = block->Bytes();
    EXPECT_EQ(bytes[31], 0x76);
    // The device descriptor of a block built from scratch.
    EXPECT_EQ(le::U16(bytes, 32), 0x484B);
    EXPECT_EQ(le::U16(bytes, 36), 32800);
    EXPECT_EQ(le::U16(bytes, 40), 4);
    EXPECT_EQ(le::U16(bytes, 42), 512);
    EXPECT_EQ(le::U16(bytes, 52), 0x1C4F);
    EXPECT_EQ(le::U16(bytes, 54), 0x000E);
}

TEST(DefaultBlock, HeaderByteThirtyEntersTheChecksum) {
    const auto block = MakeDefaultBlock(1);
    EXPECT_EQ(block->Bytes()[30], 1);
    EXPECT_EQ(block->Bytes()[31], 0x77);
}

// Entries of the whole table run on across the area boundaries: entry k sits
// at 64 + 16 k in the block, whichever area it falls in.
TEST(ProfileBlockEntries, NumberedAcrossTheFourAreas) {
    auto block = std::make_unique<ProfileBlock>();
    for (int k : {0, 511, 512, 1300, 2047}) {
        const size_t at = 64 + static_cast<size_t>(k) * 16;
        le::PutU16(block->Bytes(), at, static_cast<uint16_t>(k + 1));
        block->SetEntryValue(k, 0xA0000000u + static_cast<uint32_t>(k));
        EXPECT_EQ(block->EntryType(k), k + 1) << k;
        EXPECT_EQ(le::U32(block->Bytes(), at + 4), 0xA0000000u + static_cast<uint32_t>(k)) << k;
        EXPECT_EQ(block->EntryValue(k), 0xA0000000u + static_cast<uint32_t>(k)) << k;
        EXPECT_EQ(block->EntryBytes(k).data(), block->Area(k / 512).data() + (k % 512) * 16) << k;
    }
}

// A valid image with `macros` zero records and a pool of `pool` bytes.
std::vector<uint8_t> ValidImage(uint16_t macros = 0, uint32_t pool = 0) {
    std::vector<uint8_t> image(ProfileTotalSize(macros, pool), 0);
    const auto block = MakeDefaultBlock(0);
    std::copy(block->Bytes().begin(), block->Bytes().end(), image.begin());
    WriteFileHeader(image, macros, pool, 0);
    return image;
}

struct HeaderCase {
    const char* name;
    void (*change)(std::vector<uint8_t>&);
    HeaderCheck expected;
};

void Reseal(std::vector<uint8_t>& image) {
    image[31] = HeaderChecksum(image);
}

const HeaderCase kHeaderCases[] = {
    {"valid", [](std::vector<uint8_t>&) {}, HeaderCheck::kValid},
    {"one byte short", [](std::vector<uint8_t>& i) { i.pop_back(); }, HeaderCheck::kTooSmall},
    {"longer than its total", [](std::vector<uint8_t>& i) { i.resize(i.size() + 1000, 0xEE); },
     HeaderCheck::kValid},
    {"flag byte 1",
     [](std::vector<uint8_t>& i) {
         i[30] = 1;
         Reseal(i);
     },
     HeaderCheck::kValid},
    {"flag byte 2",
     [](std::vector<uint8_t>& i) {
         i[30] = 2;
         Reseal(i);
     },
     HeaderCheck::kRejected},
    {"wrong checksum", [](std::vector<uint8_t>& i) { i[31] ^= 1; }, HeaderCheck::kRejected},
    {"signature",
     [](std::vector<uint8_t>& i) {
         i[0] = 'X';
         Reseal(i);
     },
     HeaderCheck::kRejected},
    {"header size",
     [](std::vector<uint8_t>& i) {
         i[2] = 33;
         Reseal(i);
     },
     HeaderCheck::kRejected},
    {"format word",
     [](std::vector<uint8_t>& i) {
         i[4] = 4;
         Reseal(i);
     },
     HeaderCheck::kRejected},
    {"entry count 2047",
     [](std::vector<uint8_t>& i) {
         le::PutU16(i, 12, 2047);
         Reseal(i);
     },
     HeaderCheck::kRejected},
    {"total disagrees with counts",
     [](std::vector<uint8_t>& i) {
         le::PutU32(i, 8, 32834);
         Reseal(i);
     },
     HeaderCheck::kRejected},
    {"total below a block",
     [](std::vector<uint8_t>& i) {
         le::PutU32(i, 8, 100);
         Reseal(i);
     },
     HeaderCheck::kRejected},
    // The pool is counted but missing from the file: loading would come up short.
    {"shorter than its total", [](std::vector<uint8_t>& i) { WriteFileHeader(i, 0, 64, 0); },
     HeaderCheck::kRejected},
};

TEST(ProfileHeader, ImportChecks) {
    for (const auto& c : kHeaderCases) {
        auto image = ValidImage();
        c.change(image);
        EXPECT_EQ(CheckProfileHeader(image, image.size()), c.expected) << c.name;
    }
}

TEST(ProfileHeader, MacroCountLimit) {
    const auto hundred = ValidImage(100);
    EXPECT_EQ(CheckProfileHeader(hundred, hundred.size()), HeaderCheck::kValid);
    const auto hundredOne = ValidImage(101);
    EXPECT_EQ(CheckProfileHeader(hundredOne, hundredOne.size()), HeaderCheck::kRejected);
}

TEST(ProfileHeader, FourGiBAndMoreIsTooLarge) {
    const auto image = ValidImage();
    EXPECT_EQ(CheckProfileHeader(image, uint64_t{1} << 32), HeaderCheck::kTooSmall);
}

// An image whose entry k (area 0) carries a text at `value` in a pool of
// the given bytes.
std::vector<uint8_t> ImageWithText(uint32_t value, const std::vector<uint8_t>& pool, uint16_t type = 6) {
    auto image = ValidImage(0, static_cast<uint32_t>(pool.size()));
    std::copy(pool.begin(), pool.end(), image.begin() + kProfileBlockSize);
    const size_t entry = 64 + 5 * 16;
    le::PutU16(image, entry, type);
    le::PutU32(image, entry + 4, value);
    return image;
}

std::vector<uint8_t> Utf16Pool(std::u16string_view text, size_t pad = 0) {
    std::vector<uint8_t> pool(pad, 0);
    for (char16_t c : text) {
        pool.push_back(static_cast<uint8_t>(c));
        pool.push_back(static_cast<uint8_t>(c >> 8));
    }
    pool.push_back(0);
    pool.push_back(0);
    return pool;
}

TEST(ProfileText, OddOffsetReadsFromTheOffsetOneLower) {
    ProfileContents contents;
    ASSERT_TRUE(ParseProfileImage(ImageWithText(5, Utf16Pool(u"abc", 4)), contents));
    EXPECT_EQ(contents.texts.Slot(5).text, u"abc");
    EXPECT_EQ(contents.texts.Slot(5).size, 8u);
    EXPECT_EQ(contents.texts.Total(), 8);
}

TEST(ProfileText, LongestTextLoads) {
    ProfileContents contents;
    const std::u16string longest(kMaxTextCharacters, u'x');
    ASSERT_TRUE(ParseProfileImage(ImageWithText(0, Utf16Pool(longest)), contents));
    EXPECT_EQ(contents.texts.Slot(5).text, longest);
}

TEST(ProfileText, TypesOtherThanThreeAndSixCarryNoText) {
    ProfileContents contents;
    ASSERT_TRUE(ParseProfileImage(ImageWithText(0, Utf16Pool(u"abc"), 2), contents));
    EXPECT_TRUE(contents.texts.Slot(5).Empty());
    EXPECT_EQ(contents.texts.Total(), 0);
}

TEST(ProfileText, BadTextsLoadEmptyWithoutReadingPastThePool) {
    struct Case {
        const char* name;
        uint32_t value;
        std::vector<uint8_t> pool;
    };
    std::vector<uint8_t> unterminated = {'a', 0, 'b', 0};
    const Case cases[] = {
        {"offset past the pool", 100, Utf16Pool(u"abc")},
        {"offset at the pool's end", 8, Utf16Pool(u"abc")},
        {"huge offset", 0xFFFFFFFF, Utf16Pool(u"abc")},
        {"no terminator", 0, unterminated},
        {"longer than a text may be", 0, Utf16Pool(std::u16string(kMaxTextCharacters + 1, u'x'))},
        {"empty pool", 0, {}},
    };
    for (const auto& c : cases) {
        ProfileContents contents;
        ASSERT_TRUE(ParseProfileImage(ImageWithText(c.value, c.pool), contents)) << c.name;
        EXPECT_TRUE(contents.texts.Slot(5).Empty()) << c.name;
        EXPECT_EQ(contents.texts.Total(), 0) << c.name;
    }
}

TEST(ProfileImage, ShortImagesAreRefused) {
    ProfileContents contents;
    auto image = ValidImage(2, 40);
    EXPECT_TRUE(ParseProfileImage(image, contents));
    image.pop_back();
    EXPECT_FALSE(ParseProfileImage(image, contents));
    EXPECT_FALSE(ParseProfileImage(std::span(image).first(kProfileBlockSize - 1), contents));
    auto tooMany = ValidImage(101);
    EXPECT_FALSE(ParseProfileImage(tooMany, contents));
}

TEST(TextPool, PacksInSlotOrderAndSkipsWhatDoesNotFit) {
    ProfileBlock block;
    TextTable texts;
    for (int k : {3, 700, 2047}) {
        block.Entry(k).SetType(k == 700 ? 3 : 6);
        block.Entry(k).SetValue(0xDEAD);
    }
    texts.Set(2047, u"z");  // 4 bytes
    texts.Set(700, u"abc"); // 8 bytes
    texts.Set(3, u"hello"); // 12 bytes
    texts.Set(9, u"stale"); // entry 9 carries no text: left out, still counted
    ASSERT_EQ(texts.Total(), 36);
    auto pool = PackTextPool(block, texts);
    ASSERT_EQ(pool.size(), 36u);
    EXPECT_EQ(block.Entry(3).Value(), 0u);
    EXPECT_EQ(block.Entry(700).Value(), 12u);
    EXPECT_EQ(block.Entry(2047).Value(), 20u);
    EXPECT_EQ(pool[12], 'a');
    EXPECT_EQ(pool[20], 'z');
    EXPECT_TRUE(std::all_of(pool.begin() + 24, pool.end(), [](uint8_t b) { return b == 0; }));

    // A total too small for every text: the text that would overrun is left
    // out and its entry keeps its value.
    block.Entry(2047).SetValue(0xBEEF);
    texts.ForceTotal(22);
    pool = PackTextPool(block, texts);
    EXPECT_EQ(pool.size(), 22u);
    EXPECT_EQ(block.Entry(700).Value(), 12u);
    EXPECT_EQ(block.Entry(2047).Value(), 0xBEEFu);
}

TEST(TextTable, TotalFollowsTheSlots) {
    TextTable texts;
    texts.Set(1, u"ab");
    texts.Set(2, u"c");
    EXPECT_EQ(texts.Total(), 6 + 4);
    texts.Set(1, u"abcd");
    EXPECT_EQ(texts.Total(), 10 + 4);
    texts.Erase(2);
    EXPECT_EQ(texts.Total(), 10);
    texts.Clear();
    EXPECT_EQ(texts.Total(), 0);
    EXPECT_TRUE(texts.Slot(1).Empty());
}

} // namespace
} // namespace velkarn
