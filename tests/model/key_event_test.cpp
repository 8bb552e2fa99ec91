#include "model/key_event.h"
#include "model/key_table.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <set>

namespace velkarn {
namespace {

KeyCode CodeOfEvdev(uint32_t evdev, bool release = false, bool repeat = false) {
    const KeyMessage m = KeyMessageFromQtEvent(evdev + kNativeScanCodeOffset, 0, release, repeat);
    return KeyCodeFromEvent(m.virtualKey, m.data);
}

// Every row must land on a filled slot whose virtual key it repeats, and no
// evdev code may appear twice.
TEST(KeyEvent, EveryRowNamesAFilledKeyWithItsVirtualKey) {
    std::set<uint16_t> seen;
    for (const EvdevKey& row : EvdevKeyTable()) {
        SCOPED_TRACE(row.evdevCode);
        EXPECT_TRUE(seen.insert(row.evdevCode).second);
        const KeyCode code = static_cast<KeyCode>(row.makeCode | (row.e0 ? 0x100 : 0));
        const KeyRecord& record = KeyRecordOf(code);
        ASSERT_NE(record.listCode, kEmptyListCode);
        EXPECT_EQ(record.virtualKey, row.virtualKey);
    }
}

// Every key a PC keyboard sends has a row: every filled slot but the mouse
// and function items, Sys Req (Linux reports it as Print Screen) and the
// E0 shift that only exists as a fake around other keys.
TEST(KeyEvent, CoversEveryKeyboardKeyOfTheKeyTable) {
    std::set<KeyCode> covered;
    for (const EvdevKey& row : EvdevKeyTable())
        covered.insert(static_cast<KeyCode>(row.makeCode | (row.e0 ? 0x100 : 0)));
    for (int index = 0; index < kKeyTableSize; ++index) {
        const KeyCode code = KeyCodeOf(index);
        if (KeyTable()[index].listCode == kEmptyListCode || code == 0x054 || code == 0x136 ||
            (code >= 0x161 && code <= 0x162) || (code >= 0x16E && code <= 0x17E))
            continue;
        EXPECT_TRUE(covered.count(code)) << std::hex << code;
    }
}

TEST(KeyEvent, KeysThatNeedCare) {
    struct Case {
        uint32_t evdev;
        KeyCode code;
    };
    const Case cases[] = {
        {KEY_PAUSE, 0x045},      {KEY_NUMLOCK, 0x145},   {KEY_SYSRQ, 0x137},   {KEY_BREAK, 0x045},
        {KEY_RIGHTSHIFT, 0x036}, {KEY_RIGHTCTRL, 0x11D}, {KEY_KPENTER, 0x11C}, {KEY_ENTER, 0x01C},
        {KEY_LEFTMETA, 0x15B},   {KEY_RIGHTMETA, 0x15C}, {KEY_MUTE, 0x120},    {KEY_CONFIG, 0x16D},
        {KEY_FILE, 0x16B},       {KEY_F13, 0x064},       {KEY_HANJA, 0x071},   {KEY_A, 0x01E},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CodeOfEvdev(c.evdev), c.code) << c.evdev;
}

TEST(KeyEvent, MessageBitsFollowTheKeyMessageLayout) {
    const uint32_t native = KEY_RIGHTCTRL + kNativeScanCodeOffset;
    EXPECT_EQ(KeyMessageFromQtEvent(native, 0, false, false), (KeyMessage{0xA3, 0x011D0001}));
    EXPECT_EQ(KeyMessageFromQtEvent(native, 0, false, true), (KeyMessage{0xA3, 0x411D0001}));
    EXPECT_EQ(KeyMessageFromQtEvent(native, 0, true, false), (KeyMessage{0xA3, 0xC11D0001}));
    EXPECT_EQ(KeyMessageFromQtEvent(KEY_A + kNativeScanCodeOffset, 0, false, false),
              (KeyMessage{0x41, 0x001E0001}));
}

TEST(KeyEvent, UnknownNativeCodesFallBackToTheQtKey) {
    struct Case {
        uint32_t native;
        int qtKey;
        uint32_t vk;
        KeyCode code;
    };
    const Case cases[] = {
        {0, 0x41, 0x41, 0x01E},                 // synthetic event, Qt::Key_A
        {0, 0x01000020, 0x10, 0x02A},           // Qt::Key_Shift
        {0, 0x01000039, 0x79, 0x044},           // Qt::Key_F10
        {0, 0x01000009, 0x2C, 0x137},           // Qt::Key_Print
        {5, 0x3b, 0xBA, 0x027},                 // below the offset; Qt::Key_Semicolon
        {KEY_MAX + 8, 0x01000072, 0xAF, 0x130}, // not in the table; Qt::Key_VolumeUp
        {0, 0x0100ffff, 0, 0},                  // nothing known
    };
    for (const Case& c : cases) {
        const KeyMessage m = KeyMessageFromQtEvent(c.native, c.qtKey, false, false);
        EXPECT_EQ(m.virtualKey, c.vk) << std::hex << c.qtKey;
        EXPECT_EQ((m.data >> 16) & 0x1FF, 0u);
        EXPECT_EQ(KeyCodeFromEvent(m.virtualKey, m.data), c.code) << std::hex << c.qtKey;
    }
}

} // namespace
} // namespace velkarn
