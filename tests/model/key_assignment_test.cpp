#include "model/key_assignment.h"

#include <gtest/gtest.h>
#include <vector>

namespace velkarn {
namespace {

// One key-map area with its own bytes.
struct Area {
    std::vector<uint8_t> bytes = std::vector<uint8_t>(kKeyMapAreaSize, 0);
    KeyMapAreaView View() { return KeyMapAreaView(std::span<uint8_t, kKeyMapAreaSize>(bytes)); }
    KeyEntryView Entry(int index) { return View().Entry(index); }
};

const KeyMapImage& Defaults() {
    return BuiltinDefaultKeyMap();
}

// Position of key A (02 02 04) in the built-in map.
constexpr int kPositionOfA = 19;
constexpr int kEntryOfA = 0x1E;

int NoMacros(uint32_t) {
    return 0;
}

KeyAction Encoded(uint16_t type, uint32_t value, const MacroPositionLookup& macros = NoMacros) {
    Area area;
    area.Entry(kEntryOfA).SetType(type);
    area.Entry(kEntryOfA).SetValue(value);
    KeyMapImage image{};
    EncodeKeyMap(area.View(), Defaults(), macros, image);
    return ActionAt(image, kPositionOfA);
}

TEST(KeyAssignment, PositionKeyCode) {
    struct Case {
        KeyAction action;
        KeyCode code;
    };
    const Case cases[] = {
        {{0x01, 0x01, 0x01}, 0x171}, {{0x01, 0x01, 0x02}, 0x172}, {{0x01, 0x01, 0x04}, 0x173},
        {{0x01, 0x01, 0x08}, 0},     {{0x01, 0x05, 0x01}, 0x161}, {{0x01, 0x05, 0xFF}, 0x162},
        {{0x01, 0x05, 0x02}, 0},     {{0x02, 0x02, 0x04}, 0x01E}, {{0x02, 0x02, 0x46}, 0x137},
        {{0x02, 0x01, 0x02}, 0x02A}, {{0x02, 0x01, 0x0C}, 0x038}, {{0x02, 0x01, 0x00}, 0},
        {{0x02, 0x07, 0x80}, 0x15C}, {{0x03, 0xE2, 0x00}, 0x120}, {{0x03, 0x23, 0x02}, 0x132},
        {{0x04, 0x82, 0x00}, 0x15F}, {{0x06, 0xA2, 0x01}, 0x200}, {{0x06, 0xA2, 0x12}, 0x211},
        {{0x06, 0xA1, 0x01}, 0},     {{0x05, 0x00, 0x00}, 0},     {{0x00, 0x00, 0x00}, 0},
        {{0x09, 0x02, 0x04}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PositionKeyCode(c.action), c.code)
            << int(c.action.kind) << " " << int(c.action.p1) << " " << int(c.action.p2);
}

TEST(KeyAssignment, BuiltinMapPositionsNameTheirKeys) {
    struct Case {
        int position;
        KeyCode code;
    };
    const Case cases[] = {{8, 0x001},  {12, 0x02A}, {13, 0x01D}, {21, 0x15B}, {38, 0x137},
                          {45, 0x138}, {61, 0x15D}, {62, 0x045}, {0, 0},      {53, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(PositionKeyCode(ActionAt(Defaults(), c.position)), c.code) << c.position;
}

TEST(KeyAssignment, EncodesEachType) {
    const auto macros = [](uint32_t id) { return id == 7 ? 3 : 0; };
    struct Case {
        uint16_t type;
        uint32_t value;
        KeyAction action;
    };
    const Case cases[] = {
        {kAssignDefault, 0, {0x02, 0x02, 0x04}},
        {kAssignDisabled, 0, {0x00, 0x00, 0x00}},
        {kAssignKey, 0x030, {0x02, 0x02, 0x05}},   // B
        {kAssignKey, 0x138, {0x02, 0x01, 0x40}},   // Right Alt: a modifier
        {kAssignKey, 0x172, {0x01, 0x01, 0x02}},   // right button
        {kAssignKey, 0x161, {0x01, 0x05, 0x01}},   // wheel up
        {kAssignKey, 0x162, {0x01, 0x05, 0xFF}},   // wheel down
        {kAssignKey, 0x176, {0x02, 0x02, 0x00}},   // Copy has no device form
        {kAssignKey, 0x15E, {0x02, 0x02, 0x00}},   // Power is no keyboard usage
        {kAssignKey, 0x174, {0x02, 0x02, 0xD2}},   // Zoom-
        {kAssignKey, 0x10000, {0x02, 0x02, 0x00}}, // no key at all
        {kAssignProgram, 1234, {0x02, 0x02, 0x04}},
        {kAssignMacro, 7, {0x05, 0x01, 0x03}},
        {kAssignMacro, 8, {0x05, 0x01, 0x00}}, // a missing id falls on the first slot
        {kAssignMacro, 0, {0x05, 0x01, 0x00}},
        {kAssignStopMacro, 0, {0x05, 0x02, 0x00}},
        {kAssignText, 40, {0x00, 0x00, 0x00}},
        {kAssignMedia, 6, {0x03, 0xE9, 0x00}},
        {kAssignMedia, 13, {0x03, 0x2A, 0x02}},
        {kAssignMedia, 18, {0x02, 0x02, 0x04}}, // no such media key: the key keeps its default
        {kAssignFunction, 3, {0x05, 0x05, 0x03}},
        {kAssignFunction, 300, {0x05, 0x05, 0x2C}},
        {9, 1, {0x02, 0x02, 0x04}}, // unknown type
    };
    for (const Case& c : cases) {
        const KeyAction got = Encoded(c.type, c.value, macros);
        EXPECT_EQ(got, c.action) << "type " << c.type << " value " << c.value << " gave " << int(got.kind)
                                 << " " << int(got.p1) << " " << int(got.p2);
    }
}

TEST(KeyAssignment, EncodeKeepsUnmappedPositionsAndCarriedBytes) {
    KeyMapImage defaults = Defaults();
    for (size_t i = 324; i < kKeyMapImageSize; ++i)
        defaults[i] = static_cast<uint8_t>(i);
    Area area;
    // Everything disabled: every position with a key turns 00 00 00.
    for (int e = 0; e < kKeyMapEntryCount; ++e)
        area.Entry(e).SetType(kAssignDisabled);
    KeyMapImage image{};
    EncodeKeyMap(area.View(), defaults, NoMacros, image);
    for (int k : {0, 1, 2, 3, 4, 5, 53})
        EXPECT_EQ(ActionAt(image, k), ActionAt(defaults, k)) << k;
    EXPECT_EQ(ActionAt(image, 8), KeyAction{});
    EXPECT_EQ(ActionAt(image, 62), KeyAction{});
    for (size_t i = 324; i < kKeyMapImageSize; ++i)
        ASSERT_EQ(image[i], defaults[i]) << i;

    // An all-default area gives the default map back.
    Area fresh;
    fresh.View().ResetToDefault();
    EncodeKeyMap(fresh.View(), defaults, NoMacros, image);
    EXPECT_EQ(image, defaults);
}

TEST(KeyAssignment, EncodeReachesGKeysThroughTheDefaultMap) {
    KeyMapImage defaults = Defaults();
    PutActionAt(defaults, 70, {0x06, 0xA2, 0x01}); // G1, bank 0
    PutActionAt(defaults, 71, {0x06, 0xA2, 0x0A}); // G1, bank 1
    Area area;
    area.View().ResetToDefault();
    area.Entry(256).SetType(kAssignMedia);
    area.Entry(256).SetValue(7);
    area.Entry(265).SetType(kAssignStopMacro);
    KeyMapImage image{};
    EncodeKeyMap(area.View(), defaults, NoMacros, image);
    EXPECT_EQ(ActionAt(image, 70), (KeyAction{0x03, 0xE2, 0x00}));
    EXPECT_EQ(ActionAt(image, 71), (KeyAction{0x05, 0x02, 0x00}));
}

TEST(KeyAssignment, DecodingTheDefaultMapLeavesAFreshArea) {
    Area area;
    std::fill(area.bytes.begin(), area.bytes.end(), uint8_t{0xEE});
    DecodeKeyMap(Defaults(), Defaults(), area.View());
    Area fresh;
    fresh.View().ResetToDefault();
    EXPECT_EQ(area.bytes, fresh.bytes);
    EXPECT_EQ(area.Entry(256).Code(), 0x0301);
    EXPECT_EQ(area.Entry(264).Code(), 0x0309);
    EXPECT_EQ(area.Entry(265).Code(), 0x1301);
    EXPECT_EQ(area.Entry(273).Code(), 0x1309);
}

TEST(KeyAssignment, DecodesEachKind) {
    struct Case {
        KeyAction action;
        uint16_t type;
        uint32_t value;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x00}, kAssignDisabled, 0},  {{0x05, 0x01, 0x00}, kAssignMacro, 1},
        {{0x05, 0x01, 0x04}, kAssignMacro, 5},     {{0x05, 0x02, 0x00}, kAssignStopMacro, 0},
        {{0x05, 0x05, 0x0A}, kAssignFunction, 10}, {{0x05, 0x03, 0x00}, kAssignDisabled, 0},
        {{0x03, 0xE9, 0x00}, kAssignMedia, 6},     {{0x03, 0x40, 0x00}, kAssignDisabled, 0},
        {{0x04, 0x81, 0x00}, kAssignDisabled, 0},  {{0x06, 0xA2, 0x01}, kAssignDisabled, 0},
        {{0x01, 0x01, 0x02}, kAssignKey, 0x172},   {{0x01, 0x05, 0xFF}, kAssignKey, 0x162},
        {{0x01, 0x01, 0x08}, kAssignKey, 0}, // no such button
        {{0x02, 0x02, 0x05}, kAssignKey, 0x030},   {{0x02, 0x02, 0x00}, kAssignDisabled, 0},
        {{0x02, 0x01, 0x30}, kAssignKey, 0x11D},   {{0x02, 0x01, 0x00}, kAssignKey, 0},
        {{0x02, 0x03, 0x04}, kAssignDisabled, 0},
    };
    for (const Case& c : cases) {
        KeyMapImage image = Defaults();
        PutActionAt(image, kPositionOfA, c.action);
        Area area;
        DecodeKeyMap(image, Defaults(), area.View());
        SCOPED_TRACE(testing::Message()
                     << int(c.action.kind) << " " << int(c.action.p1) << " " << int(c.action.p2));
        EXPECT_EQ(area.Entry(kEntryOfA).Type(), c.type);
        EXPECT_EQ(area.Entry(kEntryOfA).Value(), c.value);
    }
}

TEST(KeyAssignment, DecodeSkipsPositionsWithoutAKey) {
    KeyMapImage image = Defaults();
    PutActionAt(image, 0, {0x02, 0x02, 0x04}); // default 05 00 00: no key
    PutActionAt(image, 53, {0x00, 0x00, 0x00});
    Area area;
    DecodeKeyMap(image, Defaults(), area.View());
    Area fresh;
    fresh.View().ResetToDefault();
    EXPECT_EQ(area.bytes, fresh.bytes);
}

TEST(KeyAssignment, EncodeThenDecodeKeepsWhatTheDialogsProduce) {
    Area area;
    area.View().ResetToDefault();
    area.Entry(0x1E).SetType(kAssignKey); // A → wheel down
    area.Entry(0x1E).SetValue(0x162);
    area.Entry(0x01).SetType(kAssignKey); // Esc → Right Win
    area.Entry(0x01).SetValue(0x15C);
    area.Entry(0x10).SetType(kAssignMedia); // Q → calculator
    area.Entry(0x10).SetValue(16);
    area.Entry(0x11).SetType(kAssignFunction); // W → function 11
    area.Entry(0x11).SetValue(10);
    area.Entry(0x1F).SetType(kAssignMacro); // S → macro at slot 2
    area.Entry(0x1F).SetValue(3);
    area.Entry(0x2C).SetType(kAssignDisabled); // Z
    KeyMapImage image{};
    EncodeKeyMap(
        area.View(), Defaults(), [](uint32_t id) { return static_cast<int>(id) - 1; }, image);
    Area back;
    DecodeKeyMap(image, Defaults(), back.View());
    EXPECT_EQ(back.bytes, area.bytes);
}

TEST(KeyAssignment, Tables) {
    ASSERT_EQ(MediaUsageTable().size(), MediaKeyTable().size());
    for (int i = 0; i < kMediaCount; ++i) {
        // The key row of media index i carries a language key ending in i + 1.
        const std::string key = KeyRecordOf(MediaKeyTable()[i]).languageKey;
        EXPECT_TRUE(key.ends_with("_" + std::to_string(i + 1))) << key;
        EXPECT_EQ(KeyCodeOfUsage(kUsagePageConsumer, MediaUsageTable()[i]), MediaKeyTable()[i]) << i;
        EXPECT_EQ(MediaIndexOfUsage(MediaUsageTable()[i]), i);
    }
    EXPECT_EQ(MediaIndexOfUsage(0x0040), -1);
    EXPECT_STREQ(FunctionNameTable()[0], "FUNC_KEY_DESC1");
    EXPECT_STREQ(FunctionNameTable()[10], "FUNC_KEY_DESC11");
    EXPECT_EQ(ModifierCodeOfBits(0x80), 0x15C);
    EXPECT_EQ(ModifierCodeOfBits(0x00), 0);
    EXPECT_EQ(ModifierBitOf(0x036), 0x20);
    EXPECT_EQ(ModifierBitOf(0x136), 0);
    EXPECT_EQ(MouseButtonBitOf(0x173), 0x04);
    EXPECT_EQ(MouseButtonBitOf(0x161), 0);
}

TEST(KeyEntry, FieldsSitAtTheirOffsets) {
    std::vector<uint8_t> block(kProfileBlockSize, 0);
    const std::span<uint8_t, kProfileBlockSize> span(block);
    KeyEntryView entry = KeyMapAreaOf(span, 2).Entry(0x9D);
    entry.SetType(0x0102);
    entry.SetCode(0x0304);
    entry.SetValue(0x08070605);
    entry.SetMark(1);
    const size_t at = 16448 + 0x9D * 16;
    const std::vector<uint8_t> expected = {0x02, 0x01, 0x04, 0x03, 0x05, 0x06, 0x07, 0x08,
                                           0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::vector<uint8_t>(block.begin() + at, block.begin() + at + 16), expected);
    const ConstKeyEntryView view =
        KeyMapAreaOf(std::span<const uint8_t, kProfileBlockSize>(block), 2).Entry(0x9D);
    EXPECT_EQ(view.Value(), 0x08070605u);
    EXPECT_EQ(KeyMapAreaOffset(3), 24640u);
    EXPECT_EQ(TextSlotIndex(2, 0x9D), 1024 + 0x9D);
}

} // namespace
} // namespace velkarn
