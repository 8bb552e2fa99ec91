#include "model/key_assignment.h"
#include "model/macro.h"
#include "platform/le.h"

#include <gtest/gtest.h>

namespace velkarn {
namespace {

MacroRecord Macro(uint16_t id, std::u16string_view name, std::vector<MacroAction> actions,
                  bool isNew = false) {
    MacroRecord m;
    m.SetId(id);
    m.SetName(name);
    m.SetCycleCount(1);
    m.SetNew(isNew);
    for (const MacroAction& a : actions)
        EXPECT_TRUE(m.AppendAction(a));
    return m;
}

std::vector<MacroAction> Presses(int n, uint16_t key = 0x01E) {
    std::vector<MacroAction> actions;
    for (int i = 0; i < n; ++i)
        actions.push_back({10, key, static_cast<uint16_t>(i % 2)});
    return actions;
}

std::vector<uint8_t> Encode(const std::vector<MacroRecord>& macros, bool withNames) {
    const MacroImageSizes sizes = MacroSizes(macros);
    std::vector<uint8_t> image(withNames ? sizes.withNames : sizes.withoutNames);
    EXPECT_TRUE(EncodeMacros(macros, image, withNames));
    return image;
}

TEST(MacroRecord, FieldsSitAtTheirOffsets) {
    MacroRecord m;
    m.SetName(u"Ab");
    m.SetCycleCount(7);
    m.SetNew(true);
    m.SetId(42);
    m.AppendAction({0x01020304, 0x0506, 1});
    const auto b = m.Bytes();
    EXPECT_EQ(le::U16(b, 0), u'A');
    EXPECT_EQ(le::U16(b, 2), u'b');
    EXPECT_EQ(le::U16(b, 4), 0);
    EXPECT_EQ(b[500], 7);
    EXPECT_EQ(le::U32(b, 502), 1u);
    EXPECT_EQ(le::U16(b, 506), 42);
    EXPECT_EQ(le::U16(b, 508), 1);
    EXPECT_EQ(le::U32(b, 512), 0x01020304u);
    EXPECT_EQ(le::U16(b, 516), 0x0506);
    EXPECT_EQ(le::U16(b, 518), 1);
    EXPECT_EQ(MacroRecord(b).Action(0), (MacroAction{0x01020304, 0x0506, 1}));
}

TEST(MacroRecord, NamesAreCutTo249CharactersWithoutSplittingAPair) {
    MacroRecord m;
    m.SetName(std::u16string(300, u'x'));
    EXPECT_EQ(m.Name().size(), 249u);
    EXPECT_EQ(le::U16(m.Bytes(), 2 * 249), 0); // the terminator stays

    std::u16string pair(248, u'x');
    pair += u"\U0001F600";
    m.SetName(pair);
    EXPECT_EQ(m.Name(), std::u16string(248, u'x'));

    // A record from a file whose name fills the field still reads 249 characters.
    MacroRecord full;
    for (size_t i = 0; i < 250; ++i)
        le::PutU16(full.Bytes(), 2 * i, u'y');
    EXPECT_EQ(full.Name().size(), 249u);
}

TEST(MacroRecord, ActionCountIsHeldToTheSlots) {
    MacroRecord m;
    le::PutU16(m.Bytes(), 508, 65535); // a damaged file
    EXPECT_EQ(m.ActionCount(), kMaxMacroActions);
    EXPECT_FALSE(m.AppendAction({}));

    MacroRecord full = Macro(1, u"", Presses(kMaxMacroActions));
    EXPECT_FALSE(full.AppendAction({}));
    EXPECT_EQ(full.ActionCount(), kMaxMacroActions);
}

TEST(MacroImage, SizesAndOffsets) {
    const std::vector<MacroRecord> macros = {Macro(1, u"abcd", Presses(3)), Macro(2, u"abcdef", Presses(5))};
    EXPECT_EQ(MacroSizes(macros), (MacroImageSizes{60, 80}));
    EXPECT_EQ(MacroSizes({}), (MacroImageSizes{16, 16}));

    const std::vector<uint8_t> bare = Encode(macros, false);
    EXPECT_EQ(le::U16(bare, 0), 0x55AA);
    EXPECT_EQ(le::U16(bare, 2), 60);
    EXPECT_EQ(le::U16(bare, 4), 2);
    EXPECT_EQ(le::U16(bare, 6), 0);
    EXPECT_EQ(le::U16(bare, 16), 20);
    EXPECT_EQ(le::U16(bare, 18), 36);
    EXPECT_EQ(bare[36 + 3], 0); // no name length without names

    const std::vector<uint8_t> named = Encode(macros, true);
    EXPECT_EQ(le::U16(named, 2), 80);
    EXPECT_EQ(le::U16(named, 6), 1);
    EXPECT_EQ(le::U16(named, 16), 20);
    EXPECT_EQ(le::U16(named, 18), 44);
    EXPECT_EQ(named[20 + 3], 4);
    EXPECT_EQ(le::U16(named, 20 + 4 + 12), u'a');
    EXPECT_EQ(le::U16(named, 44), 5); // action count
    EXPECT_EQ(named[44 + 2], 1);      // cycle count
    EXPECT_EQ(named[44 + 3], 6);      // name length
}

TEST(MacroImage, DeviceActions) {
    struct Case {
        MacroAction action;
        uint16_t word;
        uint8_t p1, p2;
    };
    const Case cases[] = {
        {{50, 0x01E, 0}, 0xA005, 0x02, 0x04},    // press A after 50 ms
        {{0, 0x01E, 1}, 0x2000, 0x02, 0x04},     // its release
        {{40000, 0x01E, 1}, 0x2FA0, 0x02, 0x04}, // 4000 units
        {{50000, 0x01E, 1}, 0x2388, 0x02, 0x04}, // 5000 mod 4096 = 904
        {{19, 0x01E, 1}, 0x2001, 0x02, 0x04},    // the remainder is dropped
        {{0, 0x176, 0}, 0x8000, 0x00, 0x00},     // Copy: no device form
        {{0, 0x036, 0}, 0xA000, 0x01, 0x20},     // Right Shift is a modifier
        {{0, 0x136, 0}, 0xA000, 0x02, 0xE5},     // the other Right Shift slot is not in the modifier list
        {{0, 0x171, 0}, 0x9000, 0x01, 0x01},     // left button
        {{0, 0x173, 1}, 0x1000, 0x01, 0x04},     // middle button
        {{0, 0x161, 0}, 0x9000, 0x05, 0x01},     // wheel up
        {{0, 0x162, 0}, 0x9000, 0x05, 0xFF},     // wheel down
        {{0, 0x15F, 0}, 0xC000, 0x82, 0x00},     // Sleep: system
        {{0, 0x120, 2}, 0xA000, 0x02, 0xCD},     // state other than 1 counts as a press
        {{0, 0x200, 0}, 0x8000, 0x00, 0x00},     // not a table key
    };
    for (const Case& c : cases) {
        const std::vector<uint8_t> image = Encode({Macro(1, u"", {c.action})}, false);
        SCOPED_TRACE(testing::Message() << c.action.delay << " " << std::hex << c.action.key);
        EXPECT_EQ(le::U16(image, 22), c.word);
        EXPECT_EQ(image[24], c.p1);
        EXPECT_EQ(image[25], c.p2);
    }
}

TEST(MacroImage, RefusesBuffersAndImagesThatDoNotFit) {
    const std::vector<MacroRecord> macros = {Macro(1, u"abcd", Presses(3))};
    std::vector<uint8_t> small(MacroSizes(macros).withoutNames - 1, 0xEE);
    EXPECT_FALSE(EncodeMacros(macros, small, false));
    EXPECT_EQ(small, std::vector<uint8_t>(small.size(), 0xEE));

    // 9 full macros are 72 KB: past what 16-bit offsets can address.
    const std::vector<MacroRecord> huge(9, Macro(1, u"", Presses(kMaxMacroActions)));
    std::vector<uint8_t> buffer(MacroSizes(huge).withoutNames);
    EXPECT_GT(buffer.size(), kMaxMacroImageSize);
    EXPECT_FALSE(EncodeMacros(huge, buffer, false));
}

TEST(MacroImage, DecodesWhatItEncodes) {
    const std::vector<MacroRecord> macros = {
        Macro(17, u"first", {{50, 0x01E, 0}, {0, 0x01E, 1}}),
        Macro(3, u"second", {{120, 0x036, 0}, {30, 0x171, 0}, {0, 0x162, 1}, {0, 0x15E, 0}}),
    };
    const DecodedMacros decoded = DecodeMacros(Encode(macros, true), "Macro");
    EXPECT_EQ(decoded.status, MacroImageStatus::Ok);
    ASSERT_EQ(decoded.macros.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        const MacroRecord& m = decoded.macros[i];
        EXPECT_EQ(m.Id(), i + 1); // renumbered in slot order
        EXPECT_FALSE(m.IsNew());
        EXPECT_EQ(m.CycleCount(), 1);
        EXPECT_EQ(m.Name(), macros[i].Name());
        ASSERT_EQ(m.ActionCount(), macros[i].ActionCount());
        for (int a = 0; a < m.ActionCount(); ++a)
            EXPECT_EQ(m.Action(a), macros[i].Action(a)) << i << ":" << a;
    }
}

TEST(MacroImage, MacrosWithoutNamesAreNamedAfterThePrefix) {
    const std::vector<MacroRecord> macros = {Macro(5, u"x", Presses(1)), Macro(9, u"y", Presses(2)),
                                             Macro(2, u"z", {})};
    const DecodedMacros decoded = DecodeMacros(Encode(macros, false), "Macro ");
    ASSERT_EQ(decoded.macros.size(), 3u);
    EXPECT_EQ(decoded.macros[0].Name(), u"Macro 1");
    EXPECT_EQ(decoded.macros[1].Name(), u"Macro 2");
    EXPECT_EQ(decoded.macros[2].Name(), u"Macro 3");
    EXPECT_EQ(decoded.macros[2].ActionCount(), 0);
}

// A hand-made image: header, offsets, blocks, with the header fields given.
std::vector<uint8_t> Image(uint16_t sizeField, uint16_t count, std::vector<uint16_t> offsets,
                           std::vector<std::vector<uint8_t>> blocks) {
    std::vector<uint8_t> image(16 + 2 * offsets.size(), 0);
    le::PutU16(image, 0, 0x55AA);
    le::PutU16(image, 2, sizeField);
    le::PutU16(image, 4, count);
    for (size_t i = 0; i < offsets.size(); ++i)
        le::PutU16(image, 16 + 2 * i, offsets[i]);
    for (const auto& b : blocks)
        image.insert(image.end(), b.begin(), b.end());
    return image;
}

// Block with a actions of "press A" and a name of n characters 'n'.
std::vector<uint8_t> Block(uint16_t actions, uint8_t nameLength) {
    std::vector<uint8_t> b = {static_cast<uint8_t>(actions), static_cast<uint8_t>(actions >> 8), 1,
                              nameLength};
    for (int i = 0; i < actions; ++i)
        b.insert(b.end(), {0x05, 0xA0, 0x02, 0x04});
    for (int i = 0; i < nameLength; ++i)
        b.insert(b.end(), {'n', 0});
    return b;
}

TEST(MacroImage, DecodeNeverReadsPastTheImage) {
    struct Case {
        const char* what;
        std::vector<uint8_t> image;
        size_t macros;
        MacroImageStatus status;
    };
    const std::vector<uint8_t> two = Image(20 + 8 + 10, 2, {20, 28}, {Block(1, 0), Block(1, 1)});
    std::vector<uint8_t> cutShort = two;
    cutShort.resize(two.size() - 1);
    std::vector<uint8_t> noMagic = two;
    noMagic[0] = 0;
    const Case cases[] = {
        {"well formed", two, 2, MacroImageStatus::Ok},
        {"empty buffer", {}, 0, MacroImageStatus::Absent},
        {"no magic", noMagic, 0, MacroImageStatus::Absent},
        {"header only", Image(16, 0, {}, {}), 0, MacroImageStatus::Ok},
        {"buffer shorter than the size field", cutShort, 1, MacroImageStatus::Damaged},
        {"size field shorter than the data", Image(37, 2, {20, 28}, {Block(1, 0), Block(1, 1)}), 1,
         MacroImageStatus::Damaged},
        {"size field below the header", Image(3, 2, {20, 28}, {Block(1, 0), Block(1, 1)}), 0,
         MacroImageStatus::Damaged},
        {"count past the offset table", Image(38, 40000, {20, 28}, {Block(1, 0), Block(1, 1)}), 0,
         MacroImageStatus::Damaged},
        {"offset into the header", Image(38, 2, {20, 4}, {Block(1, 0), Block(1, 1)}), 1,
         MacroImageStatus::Damaged},
        {"offset past the end", Image(38, 2, {20, 0xFFFF}, {Block(1, 0), Block(1, 1)}), 1,
         MacroImageStatus::Damaged},
        {"first block runs past: the rest goes too", Image(38, 2, {30, 20}, {Block(1, 0), Block(1, 1)}), 0,
         MacroImageStatus::Damaged},
        {"action count past the end", Image(28, 1, {18}, {Block(0xFFFF, 0)}), 0, MacroImageStatus::Damaged},
        {"name past the end", Image(26, 1, {18}, {Block(0, 255)}), 0, MacroImageStatus::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const DecodedMacros decoded = DecodeMacros(c.image, "M");
        EXPECT_EQ(decoded.macros.size(), c.macros);
        EXPECT_EQ(decoded.status, c.status);
    }
}

TEST(MacroImage, DecodeKeepsTheRecordLimits) {
    // 2100 actions: the record keeps 2000.
    const std::vector<uint8_t> block = Block(2100, 0);
    const auto longMacro = Image(static_cast<uint16_t>(18 + block.size()), 1, {18}, {block});
    DecodedMacros decoded = DecodeMacros(longMacro, "M");
    ASSERT_EQ(decoded.macros.size(), 1u);
    EXPECT_EQ(decoded.macros[0].ActionCount(), kMaxMacroActions);
    EXPECT_EQ(decoded.status, MacroImageStatus::Damaged);

    // A 255-character name is cut to 249.
    const std::vector<uint8_t> named = Block(0, 255);
    decoded = DecodeMacros(Image(static_cast<uint16_t>(18 + named.size()), 1, {18}, {named}), "M");
    ASSERT_EQ(decoded.macros.size(), 1u);
    EXPECT_EQ(decoded.macros[0].Name(), std::u16string(249, u'n'));

    // 101 macros: the table holds 100.
    std::vector<uint16_t> offsets(101);
    std::vector<std::vector<uint8_t>> blocks;
    for (size_t i = 0; i < offsets.size(); ++i) {
        offsets[i] = static_cast<uint16_t>(16 + 2 * 101 + 4 * i);
        blocks.push_back(Block(0, 0));
    }
    decoded = DecodeMacros(Image(static_cast<uint16_t>(16 + 2 * 101 + 4 * 101), 101, offsets, blocks), "M");
    EXPECT_EQ(decoded.macros.size(), 100u);
    EXPECT_EQ(decoded.macros.back().Id(), 100);
    EXPECT_EQ(decoded.status, MacroImageStatus::Damaged);
}

TEST(MacroImage, DecodesDeviceKinds) {
    // kind 4 (system), kind 1 with an unknown combination, kind 0.
    std::vector<uint8_t> block = {3,    0,    2,    0,    0x00, 0xC0, 0x83, 0x00,
                                  0x0A, 0x10, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00};
    const DecodedMacros decoded = DecodeMacros(Image(34, 1, {18}, {block}), "M");
    ASSERT_EQ(decoded.macros.size(), 1u);
    const MacroRecord& m = decoded.macros[0];
    EXPECT_EQ(m.CycleCount(), 2);
    EXPECT_EQ(m.Action(0), (MacroAction{0, 0x163, kMacroPress}));
    EXPECT_EQ(m.Action(1), (MacroAction{100, 0, kMacroRelease}));
    EXPECT_EQ(m.Action(2), (MacroAction{0, 0, kMacroRelease}));
}

TEST(MacroIds, PositionsAndNewIds) {
    const std::vector<MacroRecord> macros = {Macro(4, u"four", {}), Macro(1, u"one", {}),
                                             Macro(2, u"two", {})};
    EXPECT_EQ(MacroPositionOfId(macros, 2), 2);
    EXPECT_EQ(MacroPositionOfId(macros, 4), 0);
    EXPECT_EQ(MacroPositionOfId(macros, 3), 0);
    EXPECT_EQ(MacroIdAt(macros, 1), 1);
    EXPECT_EQ(MacroIdAt(macros, -1), 0);
    EXPECT_EQ(MacroIdAt(macros, 3), 0);
    EXPECT_EQ(MacroNameOfId(macros, 4), "four");
    EXPECT_EQ(MacroNameOfId(macros, 3), "");
    EXPECT_EQ(NewMacroId(macros), 3);
    EXPECT_EQ(NewMacroId({}), 1);
    std::vector<MacroRecord> all;
    for (uint16_t id = 1; id <= kMaxMacros; ++id)
        all.push_back(Macro(id, u"", {}));
    EXPECT_EQ(NewMacroId(all), 0);
}

// The block with type-4 entries in several areas.
struct ReconcileFixture {
    std::vector<uint8_t> block = std::vector<uint8_t>(kProfileBlockSize, 0);
    std::vector<std::pair<int, int>> resets;
    int applies = 0;

    std::span<uint8_t, kProfileBlockSize> Block() { return std::span<uint8_t, kProfileBlockSize>(block); }
    KeyEntryView Entry(int area, int index) { return KeyMapAreaOf(Block(), area).Entry(index); }
    void SetMacro(int area, int index, uint32_t id) {
        Entry(area, index).SetType(kAssignMacro);
        Entry(area, index).SetCode(5); // cycle count
        Entry(area, index).SetValue(id);
    }
    MacroReconcileCallbacks Callbacks() {
        return {[this](int area, int entry) { resets.emplace_back(area, entry); }, [this] { ++applies; }};
    }
};

TEST(MacroReconcile, ResetsKeysOfDeletedOrReusedIds) {
    ReconcileFixture f;
    f.SetMacro(0, 0x1E, 1); // kept
    f.SetMacro(1, 0x1F, 2); // macro 2 deleted
    f.SetMacro(2, 0x20, 3); // macro 3 deleted and its id taken by a new macro
    f.SetMacro(3, 0x100, 1);
    std::vector<MacroRecord> table = {Macro(1, u"a", {}), Macro(2, u"b", {}), Macro(3, u"c", {})};
    const std::vector<MacroRecord> list = {Macro(1, u"a", {}), Macro(3, u"new", Presses(2), true)};

    ReconcileMacroReferences(f.Block(), table, list, f.Callbacks());

    EXPECT_EQ(f.Entry(0, 0x1E).Type(), kAssignMacro);
    EXPECT_EQ(f.Entry(3, 0x100).Type(), kAssignMacro);
    EXPECT_EQ(f.Entry(1, 0x1F).Type(), kAssignDefault);
    EXPECT_EQ(f.Entry(1, 0x1F).Value(), 2u); // only the type changes
    EXPECT_EQ(f.Entry(1, 0x1F).Code(), 5);
    EXPECT_EQ(f.Entry(2, 0x20).Type(), kAssignDefault);
    EXPECT_EQ(f.resets, (std::vector<std::pair<int, int>>{{1, 0x1F}, {2, 0x20}}));
    EXPECT_EQ(f.applies, 2);

    ASSERT_EQ(table.size(), 2u);
    EXPECT_EQ(table[0].Name(), u"a");
    EXPECT_EQ(table[1].Name(), u"new");
    EXPECT_FALSE(table[1].IsNew());
    EXPECT_EQ(table[1].ActionCount(), 2);
}

TEST(MacroReconcile, KeysWithoutAMacroTakeTheFirstOne) {
    ReconcileFixture f;
    f.SetMacro(0, 0x1E, 0);
    std::vector<MacroRecord> table;
    ReconcileMacroReferences(f.Block(), table,
                             std::vector<MacroRecord>{Macro(6, u"six", {}), Macro(2, u"two", {})},
                             f.Callbacks());
    EXPECT_EQ(f.Entry(0, 0x1E).Type(), kAssignMacro);
    EXPECT_EQ(f.Entry(0, 0x1E).Value(), 6u);
    EXPECT_EQ(f.applies, 1);
    EXPECT_TRUE(f.resets.empty());

    // With an empty list such a key is left as it is.
    ReconcileFixture g;
    g.SetMacro(1, 0x30, 0);
    ReconcileMacroReferences(g.Block(), table, {}, g.Callbacks());
    EXPECT_EQ(g.Entry(1, 0x30).Type(), kAssignMacro);
    EXPECT_EQ(g.Entry(1, 0x30).Value(), 0u);
    EXPECT_EQ(g.applies, 0);
    EXPECT_TRUE(table.empty());
}

TEST(MacroReconcile, TheListMayBeTheTableItself) {
    ReconcileFixture f;
    std::vector<MacroRecord> table = {Macro(1, u"a", {}, true), Macro(2, u"b", {})};
    ReconcileMacroReferences(f.Block(), table, table, {});
    ASSERT_EQ(table.size(), 2u);
    EXPECT_FALSE(table[0].IsNew());
    EXPECT_EQ(table[1].Name(), u"b");
}

} // namespace
} // namespace velkarn
