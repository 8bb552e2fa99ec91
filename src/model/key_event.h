// Turns a key event of the window system into what the key table reads: a
// Windows virtual key and 32-bit key-message data (set-1 scan code in bits
// 16..23, bit 24 for E0 keys, bit 30 when the key was already down, bit 31
// for a release). Capture and macro recording hand the result to
// KeyCodeFromEvent.
//
// Qt reports the evdev code + 8 as the native scan code under both X11 and
// Wayland; that code is looked up in a table of every key of the key table a
// PC keyboard can send. Events without a known native code (synthetic ones,
// other platforms) fall back to the Qt key, which gives a virtual key only.
//
// Thread safety: constant tables and pure functions; any thread.
#pragma once

#include <cstdint>
#include <span>

namespace velkarn {

// Offset between a Qt native scan code and the evdev key code.
constexpr uint32_t kNativeScanCodeOffset = 8;

struct EvdevKey {
    uint16_t evdevCode; // KEY_* of linux/input-event-codes.h
    uint8_t makeCode;   // set-1 make code
    bool e0;            // the make code is preceded by 0xE0 (extended key)
    uint8_t virtualKey; // the Windows virtual key the key produces
};

std::span<const EvdevKey> EvdevKeyTable();

// The row of an evdev code, or nullptr when the key is not in the table.
const EvdevKey* FindEvdevKey(uint32_t evdevCode);

// Virtual key of a Qt key code (Qt::Key as int), 0 when there is none.
uint8_t VirtualKeyOfQtKey(int qtKey);

struct KeyMessage {
    uint32_t virtualKey;
    uint32_t data;
    bool operator==(const KeyMessage&) const = default;
};

// The key message of a Qt key event (QKeyEvent::nativeScanCode(), key(),
// type() == KeyRelease, isAutoRepeat()).
KeyMessage KeyMessageFromQtEvent(uint32_t nativeScanCode, int qtKey, bool release, bool autoRepeat);

} // namespace velkarn
