#include "model/key_button_table.h"

#include <gtest/gtest.h>
#include <set>

namespace velkarn {
namespace {

TEST(KeyButtonTable, IdsEntriesAndLedsAreUniqueAndPositionsInOrder) {
    std::set<int> ids, entries, leds;
    int position = 0;
    for (const KeyButton& key : KeyButtonTable()) {
        EXPECT_EQ(key.position, position++);
        EXPECT_TRUE(ids.insert(key.controlId).second) << key.caption;
        EXPECT_TRUE(entries.insert(key.entry).second) << key.caption;
        EXPECT_TRUE(leds.insert(key.led).second) << key.caption;
        // The entry of an ordinary key is its scan code with E0 keys folded in.
        const int expected = key.scanCode < 0x100 ? key.scanCode : key.scanCode - 0x100 + 0x80;
        EXPECT_EQ(key.entry, expected) << key.caption;
        EXPECT_EQ(KeyButtonPosition(key.controlId), key.position);
    }
    EXPECT_EQ(ids.size(), 104u);
    EXPECT_FALSE(leds.count(kFnLed));
    EXPECT_FALSE(leds.count(kGKeyLed));
}

TEST(KeyButtonTable, LookupsAndSkinKeys) {
    const KeyButton* print = FindKeyButton(1091);
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(KeySkinKey(print->entry), "KEY_0B7");
    EXPECT_EQ(KeySkinKey(FindKeyButton(1089)->entry), "KEY_09D"); // Right Ctrl
    EXPECT_EQ(FindKeyButtonByEntry(48)->controlId, 1075);         // B
    EXPECT_EQ(FindKeyButton(1016), nullptr);                      // D keys have no row
    EXPECT_EQ(KeyButtonPosition(1174), -1);
    EXPECT_EQ(GKeyIndexOf(1142), 7);
    EXPECT_EQ(GKeyIndexOf(1058), -1);
    EXPECT_EQ(GKeyEntry(2, 1), 267);
    EXPECT_EQ(GKeyEntry(0, 0), 256);
    EXPECT_EQ(GKeyEntry(9, 0), -1);
    EXPECT_EQ(GKeyEntry(0, 2), -1);
    EXPECT_EQ(DKeyIndexOf(1021), 5);
    EXPECT_EQ(GKeySkinKey(8), "FUNC_G9");
    EXPECT_EQ(DKeySkinKey(0), "KEY_D1");
}

} // namespace
} // namespace velkarn
