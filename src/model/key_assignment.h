// What a key does, in the two forms the system knows: the KeyEntry of a
// key-map area (assignment type, code, value) and the keyboard's 3-byte
// KeyAction per key position in its 512-byte key map image. This file fixes
// the assignment types and action kinds, converts a whole area to an image
// for a download and an image read from the keyboard back to an area, and
// builds the caption a key button shows for its assignment.
//
// A key's position on the keyboard is found only through the default key
// map: position k belongs to PositionKeyCode(default action at k). Callers
// pass the map (DefaultKeyMap().Get()) so that one encode sees one map even
// while the presence worker replaces it.
//
// Thread safety: pure functions over the spans they are given; the caller
// holds the lock that guards those bytes (store or download lock).
#pragma once

#include "model/default_key_map.h"
#include "model/key_entry.h"
#include "model/key_table.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace velkarn {

// Assignment types of a KeyEntry (stored in files; the values are fixed).
constexpr uint16_t kAssignDefault = 0;   // the key keeps its own function
constexpr uint16_t kAssignDisabled = 1;  //
constexpr uint16_t kAssignKey = 2;       // value: key code (key, mouse button, wheel step)
constexpr uint16_t kAssignProgram = 3;   // value: text offset (files only)
constexpr uint16_t kAssignMacro = 4;     // value: macro id, 0 = none chosen; code: cycle count
constexpr uint16_t kAssignStopMacro = 5; //
constexpr uint16_t kAssignText = 6;      // value: text offset (files only)
constexpr uint16_t kAssignMedia = 7;     // value: media index 0..17
constexpr uint16_t kAssignFunction = 8;  // value: function index 0..10

// The keyboard's action of one key position.
struct KeyAction {
    uint8_t kind = 0;
    uint8_t p1 = 0;
    uint8_t p2 = 0;
    bool operator==(const KeyAction&) const = default;
};

constexpr uint8_t kActionNone = 0x00;
constexpr uint8_t kActionMouse = 0x01;    // p1 kMouseButton + button bits, or kMouseWheel + step
constexpr uint8_t kActionKeyboard = 0x02; // p1 kKeyModifier + modifier bits, or kKeyUsage + usage
constexpr uint8_t kActionConsumer = 0x03; // p1 p2: consumer usage, low byte first
constexpr uint8_t kActionSystem = 0x04;   // p1 p2: Generic Desktop usage; only ever read
constexpr uint8_t kActionMacro = 0x05;    // p1 kMacroPlay + slot, kMacroStop, kMacroFunction + index
constexpr uint8_t kActionGKey = 0x06;     // p1 kGKeyMarker + G-key number; only ever read

constexpr uint8_t kMouseButton = 0x01;
constexpr uint8_t kMouseWheel = 0x05;
constexpr uint8_t kWheelUpStep = 0x01;
constexpr uint8_t kWheelDownStep = 0xFF;
constexpr uint8_t kKeyModifier = 0x01;
constexpr uint8_t kKeyUsage = 0x02;
constexpr uint8_t kMacroPlay = 0x01;
constexpr uint8_t kMacroStop = 0x02;
constexpr uint8_t kMacroFunction = 0x05;
constexpr uint8_t kGKeyMarker = 0xA2;

// Key codes of the mouse items.
constexpr KeyCode kWheelUpCode = 0x161;
constexpr KeyCode kWheelDownCode = 0x162;
constexpr KeyCode kMouseLeftCode = 0x171;
constexpr KeyCode kMouseRightCode = 0x172;
constexpr KeyCode kMouseMiddleCode = 0x173;

KeyAction ActionAt(std::span<const uint8_t, kKeyMapImageSize> image, int position);
void PutActionAt(std::span<uint8_t, kKeyMapImageSize> image, int position, KeyAction action);

// Media index → consumer usage, and → key code (for the name).
constexpr int kMediaCount = 18;
std::span<const uint16_t, kMediaCount> MediaUsageTable();
std::span<const KeyCode, kMediaCount> MediaKeyTable();
// Media index of a consumer usage, -1 when it is none of the media keys.
int MediaIndexOfUsage(uint16_t usage);

// Function index → language key ("FUNC_KEY_DESC1" .. "FUNC_KEY_DESC11").
constexpr int kFunctionCount = 11;
std::span<const char* const, kFunctionCount> FunctionNameTable();

// The eight modifier keys, in the order of their bits 0x01..0x80 (left Ctrl,
// Shift, Alt, Win, then the right ones).
std::span<const KeyCode, 8> ModifierCodes();
// Modifier bit of a key code, 0 when it is no modifier.
uint8_t ModifierBitOf(uint32_t code);
// Modifier code of the lowest set bit, 0 when no bit is set.
KeyCode ModifierCodeOfBits(uint8_t bits);
// Button bit (0x01 left, 0x02 right, 0x04 middle) of a mouse button code, 0 otherwise.
uint8_t MouseButtonBitOf(uint32_t code);

// The key a default action stands for (0 when none); a G key n gives 0x1FF + n.
KeyCode PositionKeyCode(KeyAction action);

// Position in the macro table of the macro with this id; 0 when none has it.
using MacroPositionLookup = std::function<int(uint32_t macroId)>;
// Name of the macro with this id (UTF-8); empty when none has it.
using MacroNameLookup = std::function<std::string(uint32_t macroId)>;

// The action a key position gets for an entry, given the position's default action.
KeyAction ActionOfEntry(ConstKeyEntryView entry, KeyAction defaultAction,
                        const MacroPositionLookup& macroPositionOfId);

// Builds the key map image of one area for a download: the default map,
// with every position whose key has an assignment rewritten.
void EncodeKeyMap(ConstKeyMapAreaView area, std::span<const uint8_t, kKeyMapImageSize> defaultMap,
                  const MacroPositionLookup& macroPositionOfId, std::span<uint8_t, kKeyMapImageSize> image);

// Turns an image read from the keyboard into the entries of one area; the
// area is reset first. Macro ids come out as slot + 1, the ids DecodeMacros
// gives the macros it reads.
void DecodeKeyMap(std::span<const uint8_t, kKeyMapImageSize> image,
                  std::span<const uint8_t, kKeyMapImageSize> defaultMap, KeyMapAreaView area);

struct AssignmentCaption {
    std::string text;
    bool assigned; // the button gets the assigned look
};

// Caption of a key button: label is the key's KeyName, or "G1".."G9".
AssignmentCaption AssignmentText(std::string_view label, ConstKeyEntryView entry,
                                 const MacroNameLookup& macroNameOfId);

} // namespace velkarn
