#include "model/key_event.h"

#include "model/key_table.h"

#include <linux/input-event-codes.h>

namespace velkarn {
namespace {

// Where Linux gives a key two evdev codes (PS/2 and USB keyboards differ for
// some media keys), both are listed. Num Lock is reported with the extended
// bit, as Windows does, which is why the key table keeps it at 0x145; Pause
// arrives as plain 0x45.
// clang-format off
constexpr EvdevKey kEvdevKeys[] = {
    // evdev               make  E0     vk
    {KEY_ESC,              0x01, false, 0x1B},
    {KEY_1,                0x02, false, 0x31},
    {KEY_2,                0x03, false, 0x32},
    {KEY_3,                0x04, false, 0x33},
    {KEY_4,                0x05, false, 0x34},
    {KEY_5,                0x06, false, 0x35},
    {KEY_6,                0x07, false, 0x36},
    {KEY_7,                0x08, false, 0x37},
    {KEY_8,                0x09, false, 0x38},
    {KEY_9,                0x0A, false, 0x39},
    {KEY_0,                0x0B, false, 0x30},
    {KEY_MINUS,            0x0C, false, 0xBD},
    {KEY_EQUAL,            0x0D, false, 0xBB},
    {KEY_BACKSPACE,        0x0E, false, 0x08},
    {KEY_TAB,              0x0F, false, 0x09},
    {KEY_Q,                0x10, false, 0x51},
    {KEY_W,                0x11, false, 0x57},
    {KEY_E,                0x12, false, 0x45},
    {KEY_R,                0x13, false, 0x52},
    {KEY_T,                0x14, false, 0x54},
    {KEY_Y,                0x15, false, 0x59},
    {KEY_U,                0x16, false, 0x55},
    {KEY_I,                0x17, false, 0x49},
    {KEY_O,                0x18, false, 0x4F},
    {KEY_P,                0x19, false, 0x50},
    {KEY_LEFTBRACE,        0x1A, false, 0xDB},
    {KEY_RIGHTBRACE,       0x1B, false, 0xDD},
    {KEY_ENTER,            0x1C, false, 0x0D},
    {KEY_LEFTCTRL,         0x1D, false, 0xA2},
    {KEY_A,                0x1E, false, 0x41},
    {KEY_S,                0x1F, false, 0x53},
    {KEY_D,                0x20, false, 0x44},
    {KEY_F,                0x21, false, 0x46},
    {KEY_G,                0x22, false, 0x47},
    {KEY_H,                0x23, false, 0x48},
    {KEY_J,                0x24, false, 0x4A},
    {KEY_K,                0x25, false, 0x4B},
    {KEY_L,                0x26, false, 0x4C},
    {KEY_SEMICOLON,        0x27, false, 0xBA},
    {KEY_APOSTROPHE,       0x28, false, 0xDE},
    {KEY_GRAVE,            0x29, false, 0xC0},
    {KEY_LEFTSHIFT,        0x2A, false, 0xA0},
    {KEY_BACKSLASH,        0x2B, false, 0xDC},
    {KEY_Z,                0x2C, false, 0x5A},
    {KEY_X,                0x2D, false, 0x58},
    {KEY_C,                0x2E, false, 0x43},
    {KEY_V,                0x2F, false, 0x56},
    {KEY_B,                0x30, false, 0x42},
    {KEY_N,                0x31, false, 0x4E},
    {KEY_M,                0x32, false, 0x4D},
    {KEY_COMMA,            0x33, false, 0xBC},
    {KEY_DOT,              0x34, false, 0xBE},
    {KEY_SLASH,            0x35, false, 0xBF},
    {KEY_RIGHTSHIFT,       0x36, false, 0xA1},
    {KEY_KPASTERISK,       0x37, false, 0x6A},
    {KEY_LEFTALT,          0x38, false, 0xA4},
    {KEY_SPACE,            0x39, false, 0x20},
    {KEY_CAPSLOCK,         0x3A, false, 0x14},
    {KEY_F1,               0x3B, false, 0x70},
    {KEY_F2,               0x3C, false, 0x71},
    {KEY_F3,               0x3D, false, 0x72},
    {KEY_F4,               0x3E, false, 0x73},
    {KEY_F5,               0x3F, false, 0x74},
    {KEY_F6,               0x40, false, 0x75},
    {KEY_F7,               0x41, false, 0x76},
    {KEY_F8,               0x42, false, 0x77},
    {KEY_F9,               0x43, false, 0x78},
    {KEY_F10,              0x44, false, 0x79},
    {KEY_NUMLOCK,          0x45, true,  0x90},
    {KEY_SCROLLLOCK,       0x46, false, 0x91},
    {KEY_KP7,              0x47, false, 0x67},
    {KEY_KP8,              0x48, false, 0x68},
    {KEY_KP9,              0x49, false, 0x69},
    {KEY_KPMINUS,          0x4A, false, 0x6D},
    {KEY_KP4,              0x4B, false, 0x64},
    {KEY_KP5,              0x4C, false, 0x65},
    {KEY_KP6,              0x4D, false, 0x66},
    {KEY_KPPLUS,           0x4E, false, 0x6B},
    {KEY_KP1,              0x4F, false, 0x61},
    {KEY_KP2,              0x50, false, 0x62},
    {KEY_KP3,              0x51, false, 0x63},
    {KEY_KP0,              0x52, false, 0x60},
    {KEY_KPDOT,            0x53, false, 0x6E},
    {KEY_102ND,            0x56, false, 0xE2},
    {KEY_F11,              0x57, false, 0x7A},
    {KEY_F12,              0x58, false, 0x7B},
    {KEY_F13,              0x64, false, 0x7C},
    {KEY_KATAKANAHIRAGANA, 0x70, false, 0xFF},
    {KEY_HANJA,            0x71, false, 0xE9},
    {KEY_HANGEUL,          0x72, false, 0xFF},
    {KEY_RO,               0x73, false, 0xC1},
    {KEY_HENKAN,           0x79, false, 0xFF},
    {KEY_MUHENKAN,         0x7B, false, 0xEB},
    {KEY_YEN,              0x7D, false, 0xFF},
    {KEY_KPCOMMA,          0x7E, false, 0xC2},
    {KEY_PREVIOUSSONG,     0x10, true,  0xB1},
    {KEY_NEXTSONG,         0x19, true,  0xB0},
    {KEY_KPENTER,          0x1C, true,  0x0D},
    {KEY_RIGHTCTRL,        0x1D, true,  0xA3},
    {KEY_MUTE,             0x20, true,  0xAD},
    {KEY_CALC,             0x21, true,  0xB7},
    {KEY_PLAYPAUSE,        0x22, true,  0xB3},
    {KEY_STOPCD,           0x24, true,  0xB2},
    {KEY_VOLUMEDOWN,       0x2E, true,  0xAE},
    {KEY_VOLUMEUP,         0x30, true,  0xAF},
    {KEY_HOMEPAGE,         0x32, true,  0xAC},
    {KEY_KPSLASH,          0x35, true,  0x6F},
    {KEY_SYSRQ,            0x37, true,  0x2C},
    {KEY_RIGHTALT,         0x38, true,  0xA5},
    {KEY_BREAK,            0x46, true,  0x03},
    {KEY_HOME,             0x47, true,  0x24},
    {KEY_UP,               0x48, true,  0x26},
    {KEY_PAGEUP,           0x49, true,  0x21},
    {KEY_LEFT,             0x4B, true,  0x25},
    {KEY_RIGHT,            0x4D, true,  0x27},
    {KEY_END,              0x4F, true,  0x23},
    {KEY_DOWN,             0x50, true,  0x28},
    {KEY_PAGEDOWN,         0x51, true,  0x22},
    {KEY_INSERT,           0x52, true,  0x2D},
    {KEY_DELETE,           0x53, true,  0x2E},
    {KEY_LEFTMETA,         0x5B, true,  0x5B},
    {KEY_RIGHTMETA,        0x5C, true,  0x5C},
    {KEY_COMPOSE,          0x5D, true,  0x5D},
    {KEY_POWER,            0x5E, true,  0xFF},
    {KEY_SLEEP,            0x5F, true,  0x5F},
    {KEY_WAKEUP,           0x63, true,  0xFF},
    {KEY_SEARCH,           0x65, true,  0xAA},
    {KEY_BOOKMARKS,        0x66, true,  0xAB},
    {KEY_REFRESH,          0x67, true,  0xA8},
    {KEY_STOP,             0x68, true,  0xA9},
    {KEY_FORWARD,          0x69, true,  0xA7},
    {KEY_BACK,             0x6A, true,  0xA6},
    {KEY_COMPUTER,         0x6B, true,  0xB6},
    {KEY_FILE,             0x6B, true,  0xB6}, // my computer from a USB keyboard
    {KEY_MAIL,             0x6C, true,  0xB4},
    {KEY_MEDIA,            0x6D, true,  0xB5},
    {KEY_CONFIG,           0x6D, true,  0xB5}, // media player from a USB keyboard
    {KEY_PAUSE,            0x45, false, 0x13},
};
// clang-format on

struct QtKeyVk {
    int qtKey;
    uint8_t vk;
};

// Qt::Key values for the keys whose virtual key is not their own character.
// clang-format off
constexpr QtKeyVk kQtKeys[] = {
    {0x01000000, 0x1B}, // Escape
    {0x01000001, 0x09}, // Tab
    {0x01000002, 0x09}, // Backtab
    {0x01000003, 0x08}, // Backspace
    {0x01000004, 0x0D}, // Return
    {0x01000005, 0x0D}, // Enter
    {0x01000006, 0x2D}, // Insert
    {0x01000007, 0x2E}, // Delete
    {0x01000008, 0x13}, // Pause
    {0x01000009, 0x2C}, // Print
    {0x0100000a, 0x2C}, // SysReq
    {0x01000010, 0x24}, // Home
    {0x01000011, 0x23}, // End
    {0x01000012, 0x25}, // Left
    {0x01000013, 0x26}, // Up
    {0x01000014, 0x27}, // Right
    {0x01000015, 0x28}, // Down
    {0x01000016, 0x21}, // PageUp
    {0x01000017, 0x22}, // PageDown
    {0x01000020, 0x10}, // Shift
    {0x01000021, 0x11}, // Control
    {0x01000022, 0x5B}, // Meta
    {0x01000023, 0x12}, // Alt
    {0x01000024, 0x14}, // CapsLock
    {0x01000025, 0x90}, // NumLock
    {0x01000026, 0x91}, // ScrollLock
    {0x01000053, 0x5B}, // Super_L
    {0x01000054, 0x5C}, // Super_R
    {0x01000055, 0x5D}, // Menu
    {0x01000061, 0xA6}, // Back
    {0x01000062, 0xA7}, // Forward
    {0x01000063, 0xA9}, // Stop
    {0x01000064, 0xA8}, // Refresh
    {0x01000070, 0xAE}, // VolumeDown
    {0x01000071, 0xAD}, // VolumeMute
    {0x01000072, 0xAF}, // VolumeUp
    {0x01000080, 0xB3}, // MediaPlay
    {0x01000081, 0xB2}, // MediaStop
    {0x01000082, 0xB1}, // MediaPrevious
    {0x01000083, 0xB0}, // MediaNext
    {0x01000086, 0xB3}, // MediaTogglePlayPause
    {0x01000090, 0xAC}, // HomePage
    {0x01000091, 0xAB}, // Favorites
    {0x01000092, 0xAA}, // Search
    {0x010000a0, 0xB4}, // LaunchMail
    {0x010000a1, 0xB5}, // LaunchMedia
    {0x010000a2, 0xB6}, // Launch0 (my computer)
    {0x010000cb, 0xB7}, // Calculator
    {0x01020004, 0x5F}, // Sleep
    {0x20, 0x20},       // Space
    {0x27, 0xDE},       // Apostrophe
    {0x2c, 0xBC},       // Comma
    {0x2d, 0xBD},       // Minus
    {0x2e, 0xBE},       // Period
    {0x2f, 0xBF},       // Slash
    {0x3b, 0xBA},       // Semicolon
    {0x3d, 0xBB},       // Equal
    {0x5b, 0xDB},       // BracketLeft
    {0x5c, 0xDC},       // Backslash
    {0x5d, 0xDD},       // BracketRight
    {0x60, 0xC0},       // QuoteLeft
};
// clang-format on

constexpr int kQtKeyF1 = 0x01000030;
constexpr int kQtKeyF24 = 0x01000047;

} // namespace

std::span<const EvdevKey> EvdevKeyTable() {
    return kEvdevKeys;
}

const EvdevKey* FindEvdevKey(uint32_t evdevCode) {
    for (const EvdevKey& k : kEvdevKeys) {
        if (k.evdevCode == evdevCode)
            return &k;
    }
    return nullptr;
}

uint8_t VirtualKeyOfQtKey(int qtKey) {
    if ((qtKey >= '0' && qtKey <= '9') || (qtKey >= 'A' && qtKey <= 'Z'))
        return static_cast<uint8_t>(qtKey);
    if (qtKey >= kQtKeyF1 && qtKey <= kQtKeyF24)
        return static_cast<uint8_t>(0x70 + (qtKey - kQtKeyF1));
    for (const QtKeyVk& k : kQtKeys) {
        if (k.qtKey == qtKey)
            return k.vk;
    }
    return 0;
}

KeyMessage KeyMessageFromQtEvent(uint32_t nativeScanCode, int qtKey, bool release, bool autoRepeat) {
    // A repeat count of 1, as every single key message carries.
    uint32_t data = 1;
    if (release)
        data |= kKeyDataRelease | kKeyDataRepeat; // a released key was down before
    else if (autoRepeat)
        data |= kKeyDataRepeat;

    const EvdevKey* key = nativeScanCode >= kNativeScanCodeOffset
                              ? FindEvdevKey(nativeScanCode - kNativeScanCodeOffset)
                              : nullptr;
    if (key == nullptr)
        return {VirtualKeyOfQtKey(qtKey), data};

    data |= static_cast<uint32_t>(key->makeCode) << kKeyDataScanShift;
    if (key->e0)
        data |= kKeyDataExtended;
    return {key->virtualKey, data};
}

} // namespace velkarn
