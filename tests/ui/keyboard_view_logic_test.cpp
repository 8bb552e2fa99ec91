#include "ui/main/keyboard_view_logic.h"

#include <gtest/gtest.h>
#include <vector>

namespace velkarn {
namespace {

TEST(KeyTargetTest, GKeysFollowTheBank) {
    // G3 in bank 1: code 0x10B, entry 267, marked in its own entry.
    auto g3 = ResolveKeyTarget(1002, 1);
    ASSERT_TRUE(g3);
    EXPECT_EQ(g3->targetCode, 0x10B);
    EXPECT_EQ(g3->entry, 267);
    EXPECT_EQ(g3->markEntry, 267);
    EXPECT_FALSE(g3->macroOnly);

    auto g1 = ResolveKeyTarget(1000, 0);
    ASSERT_TRUE(g1);
    EXPECT_EQ(g1->targetCode, 0x100);
    EXPECT_EQ(g1->entry, 256);
}

TEST(KeyTargetTest, MacroButtonIsG9) {
    auto g9 = ResolveKeyTarget(1143, 0);
    auto macro = ResolveKeyTarget(1007, 0);
    ASSERT_TRUE(g9 && macro);
    EXPECT_TRUE(macro->macroOnly);
    EXPECT_EQ(macro->controlId, 1143);
    EXPECT_EQ(macro->targetCode, g9->targetCode);
    EXPECT_EQ(macro->entry, 264);
}

TEST(KeyTargetTest, TableKeysUseTheirEntryAndMarkTheirRow) {
    auto b = ResolveKeyTarget(1075, 0); // B: position 1, entry 48
    ASSERT_TRUE(b);
    EXPECT_EQ(b->targetCode, 48);
    EXPECT_EQ(b->markEntry, 1);
    auto rctrl = ResolveKeyTarget(1089, 1); // Right Ctrl: entry 0x9D whatever the bank
    ASSERT_TRUE(rctrl);
    EXPECT_EQ(rctrl->targetCode, 0x9D);
}

TEST(KeyTargetTest, OtherIdsAddressNothing) {
    for (int id : {1016, 1021, 1174, 1129, 0, -1, 99999})
        EXPECT_FALSE(ResolveKeyTarget(id, 0)) << id;
}

TEST(MarkTest, ToggleTwiceRestoresAndTouchesOnlyTheMark) {
    std::vector<uint8_t> area(kKeyMapAreaBytes, 0);
    area[48 * 16] = 5; // B's own entry carries an assignment
    const auto before = area;
    EXPECT_TRUE(ToggleMark(area, 1));
    EXPECT_TRUE(MarkOf(area, 1));
    EXPECT_EQ(area[1 * 16 + 8], 1);
    EXPECT_FALSE(ToggleMark(area, 1));
    EXPECT_EQ(area, before);
    EXPECT_FALSE(ToggleMark(area, 512)); // out of the area: nothing written
    EXPECT_FALSE(ToggleMark(std::span<uint8_t>(area).first(16), 1));
    EXPECT_EQ(area, before);
    EXPECT_EQ(AssignmentTypeOf(area, 48), 5);
    EXPECT_EQ(AssignmentTypeOf(area, -1), 0);
    EXPECT_FALSE(EntryOf(area, 512));
    EXPECT_FALSE(EntryOf(std::span<const uint8_t>(area).first(kKeyMapAreaBytes - 1), 0)); // short area
}

TEST(FlipTest, EnablesOneSetOfKeys) {
    EXPECT_TRUE(FlipLookFor(0).fKeysEnabled);
    EXPECT_FALSE(FlipLookFor(0).dKeysEnabled);
    EXPECT_FALSE(FlipLookFor(1).fKeysEnabled);
    EXPECT_TRUE(FlipLookFor(1).dKeysEnabled);
    EXPECT_TRUE(FlipLookFor(1).flip0ShowsSet2);
    EXPECT_FALSE(FlipLookFor(7).fKeysEnabled); // a stray stored value counts as flipped
}

} // namespace
} // namespace velkarn
