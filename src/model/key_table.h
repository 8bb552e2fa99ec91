// The catalogue of everything a key can be or produce: PC keyboard keys,
// mouse buttons and wheel steps, media and browser keys, the system keys
// and the desktop function items, each named by its key code.
//
// Key code (u16): the set-1 make code for plain keys, make code + 0x100 for
// E0-prefixed keys; the E0 range's unused codes carry our own items (mouse,
// media, functions). 0 is no key; 0x200 + n names the G keys and never a
// table slot. Every conversion between codes, table slots, virtual keys,
// dialog list positions, keyboard bytes and names goes through this file.
//
// Thread safety: the tables are constant; every function may be called from
// any thread. KeyName and ListName read the language file (see
// localisation.h) and share no state.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace velkarn {

using KeyCode = uint16_t;

constexpr KeyCode kNoKey = 0;
constexpr int kKeyTableSize = 256;
constexpr uint16_t kEmptyListCode = 0xFFFF;
// List codes 0..kLastListCode are the rows of the dialogs' key lists.
constexpr uint16_t kLastListCode = 0x006E;
constexpr KeyCode kGKeyCodeBase = 0x200;
// Callers hold key names in buffers of this many characters, terminator included.
constexpr size_t kKeyNameCapacity = 260;

struct KeyRecord {
    uint8_t virtualKey;      // Windows virtual-key code; 0xFF where the key has none
    uint16_t listCode;       // row in the key lists, 0x8001.. when in none, 0xFFFF when empty
    const char* legend;      // English legend, for logs and tooling
    uint8_t deviceByte;      // what the key is on the keyboard side (DeviceFormOf)
    const char* languageKey; // key of the name in the language file; "" when none
};

// The 256 records in key-index order.
std::span<const KeyRecord, kKeyTableSize> KeyTable();

// Consumer usages (page 0x0C) standing for device bytes 0xC0 + position.
constexpr int kConsumerTableSize = 32;
std::span<const uint16_t, kConsumerTableSize> ConsumerTable();

// Key code of each virtual key (0 when it stands for none).
std::span<const KeyCode, 256> VkTable();

// Slot of a key code. A code of 0x200 or more gives a number of 256 or more,
// which names a key-map entry (the G keys), not a table slot.
constexpr int KeyIndexOf(uint32_t code) {
    if (code < 0x100)
        return static_cast<int>(code);
    if (code < 0x200)
        return static_cast<int>((code - 0x80) % 256);
    return static_cast<int>(code - 0x100);
}

// Key code of a slot; slots 0x80..0xFF hold the E0 keys.
constexpr KeyCode KeyCodeOf(int index) {
    return static_cast<KeyCode>(index < 0x80 ? index : index + 0x80);
}

// The record of a key code; an empty record for codes that name no slot.
const KeyRecord& KeyRecordOf(uint32_t code);

// Code of the first record with this list code; 0 when none.
KeyCode KeyCodeOfListCode(uint16_t listCode);

// List code of the code's slot (0xFFFF for an empty slot or no slot).
uint16_t ListCodeOf(uint32_t code);

// Localised name of the first record with this list code; empty when there
// is no such record or it has no language key.
std::string ListName(uint16_t listCode);

// Localised display name of a key (UTF-8), cut to kKeyNameCapacity - 1
// characters. Keys without a name, or whose text is empty, get the
// "UNKNOWN_KEY" text formatted with the code.
std::string KeyName(uint32_t code);

// A text cut to what a name buffer holds (kKeyNameCapacity - 1 UTF-16
// characters), never splitting a surrogate pair.
std::string CutToNameCapacity(std::string_view text);

enum class DeviceClass : uint8_t {
    None = 0,     // no form on the keyboard side
    Keyboard = 1, // HID keyboard usage (page 0x07) equal to the byte
    System = 2,   // Generic Desktop usage (page 0x01) 0x81..0x83
    Mouse = 3,    // 0xF1..0xF5 buttons and wheel steps
};

struct DeviceForm {
    DeviceClass deviceClass;
    uint8_t byte; // 0 for class None
    bool operator==(const DeviceForm&) const = default;
};

DeviceForm DeviceFormOf(uint32_t code);

constexpr uint16_t kUsagePageGenericDesktop = 0x01;
constexpr uint16_t kUsagePageKeyboard = 0x07;
constexpr uint16_t kUsagePageConsumer = 0x0C;

// The key a HID usage stands for; 0 when none.
KeyCode KeyCodeOfUsage(uint16_t page, uint16_t usage);

// The key a virtual key stands for when an event carries no scan code.
KeyCode KeyCodeOfVk(uint32_t vk);

// Key-message data as Windows lays it out; key_event.h builds it on Linux.
constexpr uint32_t kKeyDataScanShift = 16;
constexpr uint32_t kKeyDataExtended = 1u << 24;
constexpr uint32_t kKeyDataRepeat = 1u << 30; // the key was already down
constexpr uint32_t kKeyDataRelease = 1u << 31;

// Key code of a key event (virtual key + key-message data), with the aliases
// that make Break, Alt+Print Screen and the faked E0 shift read as the key
// the user pressed.
KeyCode KeyCodeFromEvent(uint32_t vk, uint32_t data);

// Keys whose press never arrives as an event of its own; recording adds one.
bool NeedsSyntheticPress(uint32_t code);

// Flags of a keyboard filter driver's input record.
constexpr uint16_t kDriverBreak = 1;
constexpr uint16_t kDriverE0 = 2;
constexpr uint16_t kDriverE1 = 4;

struct DriverForm {
    uint16_t makeCode;
    uint16_t flags;
    bool operator==(const DriverForm&) const = default;
};

DriverForm DriverFormOf(uint32_t code, bool release);

} // namespace velkarn
