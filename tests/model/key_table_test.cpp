#include "model/key_table.h"

#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace velkarn {
namespace {

bool Filled(const KeyRecord& r) {
    return r.listCode != kEmptyListCode;
}

TEST(KeyTable, HoldsTheFilledSlotsAndEmptySlotsAreBlank) {
    int filled = 0;
    for (const KeyRecord& r : KeyTable()) {
        if (Filled(r)) {
            ++filled;
            EXPECT_NE(std::string(r.legend), "");
            continue;
        }
        EXPECT_EQ(r.virtualKey, 0);
        EXPECT_EQ(r.deviceByte, 0);
        EXPECT_STREQ(r.languageKey, "");
    }
    EXPECT_EQ(filled, 157);
}

TEST(KeyTable, ListCodesAreUniqueButForTheTwoRightShifts) {
    std::map<uint16_t, std::vector<KeyCode>> byList;
    for (int i = 0; i < kKeyTableSize; ++i) {
        const KeyRecord& r = KeyTable()[i];
        if (Filled(r))
            byList[r.listCode].push_back(KeyCodeOf(i));
    }
    for (uint16_t list = 0; list <= kLastListCode; ++list) {
        SCOPED_TRACE(list);
        ASSERT_TRUE(byList.count(list));
        EXPECT_EQ(byList[list].size(), list == 0x67 ? 2u : 1u);
    }
    EXPECT_EQ(byList[0x67], (std::vector<KeyCode>{0x036, 0x136}));
    for (const auto& [list, codes] : byList) {
        if (list > kLastListCode) {
            EXPECT_GE(list, 0x8001);
            EXPECT_LE(list, 0x802D);
            EXPECT_EQ(codes.size(), 1u) << std::hex << list;
        }
    }
}

TEST(KeyTable, ListCodeRoundTripsForEveryListedKeyButTheSecondRightShift) {
    for (int i = 0; i < kKeyTableSize; ++i) {
        const KeyCode code = KeyCodeOf(i);
        if (!Filled(KeyTable()[i]) || code == 0x136)
            continue;
        EXPECT_EQ(KeyCodeOfListCode(ListCodeOf(code)), code) << std::hex << code;
    }
    EXPECT_EQ(KeyCodeOfListCode(0x67), 0x036);
    EXPECT_EQ(ListCodeOf(0x136), 0x67);
    EXPECT_EQ(KeyCodeOfListCode(0x6F), 0);
    EXPECT_EQ(KeyCodeOfListCode(kEmptyListCode), 0);
    EXPECT_EQ(ListCodeOf(0x055), kEmptyListCode);
    EXPECT_EQ(ListCodeOf(0x201), kEmptyListCode);
    EXPECT_EQ(ListCodeOf(0xFFFFFFFF), kEmptyListCode); // a value from a damaged file
}

// Letters, digits and F1..F10 follow rules rather than rows; check the rules
// against the data so a slipped row shows.
TEST(KeyTable, LettersDigitsAndFunctionKeysFollowTheirRules) {
    const uint8_t letterScan[26] = {0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17,
                                    0x24, 0x25, 0x26, 0x32, 0x31, 0x18, 0x19, 0x10, 0x13,
                                    0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
    for (int n = 0; n < 26; ++n) {
        const KeyRecord& r = KeyRecordOf(letterScan[n]);
        const std::string letter(1, static_cast<char>('A' + n));
        EXPECT_EQ(r.listCode, n);
        EXPECT_EQ(r.virtualKey, 'A' + n);
        EXPECT_EQ(r.deviceByte, 0x04 + n);
        EXPECT_EQ(r.languageKey, "IDS_KEYBOARD_" + letter);
        EXPECT_EQ(r.legend, letter);
    }
    const char digits[] = "1234567890";
    for (int n = 0; n < 10; ++n) {
        const KeyRecord& r = KeyRecordOf(0x002 + n);
        EXPECT_EQ(r.listCode, 0x1A + n);
        EXPECT_EQ(r.virtualKey, digits[n]);
        EXPECT_EQ(r.deviceByte, 0x1E + n);
        EXPECT_EQ(r.languageKey, std::string("IDS_KEYBOARD_") + digits[n]);
    }
    for (int n = 0; n < 10; ++n) {
        const KeyRecord& r = KeyRecordOf(0x03B + n);
        EXPECT_EQ(r.listCode, 0x34 + n);
        EXPECT_EQ(r.virtualKey, 0x70 + n);
        EXPECT_EQ(r.deviceByte, 0x3A + n);
        EXPECT_EQ(r.languageKey, "IDS_KEYBOARD_F" + std::to_string(n + 1));
    }
}

TEST(KeyTable, SampleRowsReadAsListed) {
    struct Row {
        KeyCode code;
        uint16_t list;
        uint8_t vk, device;
        const char* key;
    };
    const Row rows[] = {
        {0x001, 0x0025, 0x1B, 0x29, "IDS_KEYBOARD_ESC"},
        {0x054, 0x8012, 0x2C, 0x00, "IDS_KEYBOARD_SYSREQ"},
        {0x064, 0x802D, 0x7C, 0x00, ""},
        {0x110, 0x8021, 0xB1, 0xD0, "MEDIA_PREV_TRACK_4"},
        {0x11D, 0x0066, 0xA3, 0xE4, "IDS_KEYBOARD_RCTRL"},
        {0x145, 0x004F, 0x90, 0x53, "IDS_KEYBOARD_NUM"},
        {0x146, 0x0042, 0x03, 0x48, "IDS_KEYBOARD_BREAK"},
        {0x15E, 0x8001, 0xFF, 0x81, "IDS_KEYBOARD_POWER"},
        {0x171, 0x006A, 0x01, 0xF1, "IDS_KEYBOARD_MOU_LEFT"},
        {0x17E, 0x8011, 0x9F, 0x00, "IDS_KEYBOARD_FUNC_CALENDAR"},
    };
    for (const Row& row : rows) {
        const KeyRecord& r = KeyRecordOf(row.code);
        EXPECT_EQ(r.listCode, row.list) << std::hex << row.code;
        EXPECT_EQ(r.virtualKey, row.vk) << std::hex << row.code;
        EXPECT_EQ(r.deviceByte, row.device) << std::hex << row.code;
        EXPECT_STREQ(r.languageKey, row.key);
    }
}

TEST(KeyTable, IndexAndCodeConversions) {
    struct Case {
        uint32_t code;
        int index;
    };
    const Case cases[] = {{0x000, 0x00}, {0x01E, 0x1E}, {0x09D, 0x9D},  {0x11D, 0x9D}, {0x17F, 0xFF},
                          {0x180, 0x00}, {0x1FF, 0x7F}, {0x200, 0x100}, {0x209, 0x109}};
    for (const Case& c : cases)
        EXPECT_EQ(KeyIndexOf(c.code), c.index) << std::hex << c.code;
    EXPECT_EQ(KeyCodeOf(0x1E), 0x01E);
    EXPECT_EQ(KeyCodeOf(0x9D), 0x11D);
    EXPECT_EQ(KeyCodeOf(0xFF), 0x17F);
    // Codes that name no slot read as an empty record.
    EXPECT_EQ(KeyRecordOf(0x200).listCode, kEmptyListCode);
}

TEST(KeyTable, DeviceForms) {
    struct Case {
        uint32_t code;
        DeviceForm form;
    };
    const Case cases[] = {
        {0x01E, {DeviceClass::Keyboard, 0x04}}, {0x174, {DeviceClass::Keyboard, 0xD2}}, // Zoom-
        {0x176, {DeviceClass::None, 0}},        {0x054, {DeviceClass::None, 0}},        // Copy, Sys Req
        {0x070, {DeviceClass::Keyboard, 0x88}}, {0x15E, {DeviceClass::System, 0x81}},
        {0x163, {DeviceClass::System, 0x83}},   {0x171, {DeviceClass::Mouse, 0xF1}},
        {0x162, {DeviceClass::Mouse, 0xF5}},    {0x130, {DeviceClass::Keyboard, 0xC0}},
        {0x055, {DeviceClass::None, 0}},        {0x205, {DeviceClass::None, 0}},
        {0xFFFFFFFF, {DeviceClass::None, 0}},   {0x80000000, {DeviceClass::None, 0}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DeviceFormOf(c.code), c.form) << std::hex << c.code;
}

TEST(KeyTable, KeyCodeOfUsage) {
    struct Case {
        uint16_t page, usage;
        KeyCode code;
    };
    const Case cases[] = {
        {0x07, 0x04, 0x01E},
        {0x07, 0x48, 0x045}, // Pause, not Break, which has the same byte
        {0x07, 0xE0, 0x01D},
        {0x07, 0x00, 0},
        {0x07, 0x0100, 0},
        {0x01, 0x81, 0x15E},
        {0x01, 0x82, 0x15F},
        {0x01, 0x83, 0x163},
        {0x01, 0x84, 0},
        {0x01, 0x80, 0},
        {0x0C, 0x00E2, 0x120},
        {0x0C, 0x00E9, 0x130},
        {0x0C, 0x018A, 0x16C},
        {0x0C, 0x00B5, 0x119},
        {0x0C, 0x022A, 0x166},
        {0x08, 0x04, 0},
        // Unknown consumer usages have no key: neither volume up (position 0)
        // nor Zoom- (the zero fill at position 18).
        {0x0C, 0x0040, 0},
        {0x0C, 0x0000, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyCodeOfUsage(c.page, c.usage), c.code) << std::hex << c.page << ":" << c.usage;
    // Every consumer position maps to the key carrying its device byte.
    for (int p = 0; p < 18; ++p) {
        const KeyCode code = KeyCodeOfUsage(0x0C, ConsumerTable()[p]);
        ASSERT_NE(code, 0) << p;
        EXPECT_EQ(KeyRecordOf(code).deviceByte, 0xC0 + p);
    }
}

TEST(KeyTable, VkTableAndItsExceptions) {
    struct Case {
        uint32_t vk;
        KeyCode code;
    };
    const Case cases[] = {
        {0x41, 0x01E}, {0x0D, 0x01C}, {0x10, 0x02A}, {0x11, 0x01D}, {0x12, 0x038}, {0x2C, 0x137},
        {0xA1, 0x036}, {0x01, 0},     {0x02, 0},     {0x04, 0},     {0x88, 0},     {0x8A, 0},
        {0x97, 0},     {0x9B, 0},     {0x9E, 0},     {0x9F, 0},     {0xFF, 0},     {0x8B, 0x152},
        {0x8C, 0x153}, {0x9C, 0x154}, {0x9D, 0x155}, {0x07, 0},     {0x13, 0x045}, {0x03, 0x146},
        {0x5B, 0x15B}, {0x100, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyCodeOfVk(c.vk), c.code) << std::hex << c.vk;
}

TEST(KeyTable, KeyCodeFromEvent) {
    auto data = [](uint32_t scan, bool extended) {
        return (scan << 16) | (extended ? kKeyDataExtended : 0u);
    };
    struct Case {
        uint32_t vk, data;
        KeyCode code;
    };
    const Case cases[] = {
        {0x10, data(0, false), 0x02A},    // shift without a scan code
        {0x03, data(0x46, true), 0x045},  // Break reads as Pause
        {0x2C, data(0x54, false), 0x137}, // Alt+Print Screen
        {0x10, data(0x36, true), 0x036},  // the shift faked around E0 keys
        {0x2C, data(0x37, true), 0x137},  // Print Screen
        {0xA3, data(0x1D, true), 0x11D},  // Right Ctrl
        {0x41, data(0x1E, false), 0x01E}, // A
        {0xFF, data(0x70, false), 0x070}, // no virtual key: the scan code stands
        {0xFF, data(0, false), 0},        //
        {0x0D, data(0, true), 0x01C},     // low byte 0 falls back to the virtual key
        {0x41, data(0x1E, false) | kKeyDataRelease | kKeyDataRepeat, 0x01E},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyCodeFromEvent(c.vk, c.data), c.code) << std::hex << c.vk << " " << c.data;
}

TEST(KeyTable, SyntheticPressAndDriverForm) {
    for (uint32_t code : {0x054u, 0x071u, 0x072u, 0x137u})
        EXPECT_TRUE(NeedsSyntheticPress(code));
    for (uint32_t code : {0x001u, 0x036u, 0x070u, 0x073u, 0x146u})
        EXPECT_FALSE(NeedsSyntheticPress(code));

    struct Case {
        uint32_t code;
        bool release;
        DriverForm form;
    };
    const Case cases[] = {
        {0x145, false, {0x45, 0}}, {0x145, true, {0x45, 1}},  {0x045, false, {0x1D, 4}},
        {0x045, true, {0x1D, 5}},  {0x11D, false, {0x1D, 2}}, {0x137, true, {0x37, 3}},
        {0x01E, false, {0x1E, 0}}, {0x01E, true, {0x1E, 1}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DriverFormOf(c.code, c.release), c.form) << std::hex << c.code;
}

} // namespace
} // namespace velkarn
