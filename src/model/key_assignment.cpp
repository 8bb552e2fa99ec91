#include "model/key_assignment.h"

namespace velkarn {
namespace {

constexpr std::array<uint16_t, kMediaCount> kMediaUsages = {
    0x0183, 0x00CD, 0x00B7, 0x00B6, 0x00B5, 0x00EA, 0x00E9, 0x00E2, 0x0223,
    0x0227, 0x0226, 0x0224, 0x0225, 0x022A, 0x0221, 0x0194, 0x0192, 0x018A,
};

constexpr std::array<KeyCode, kMediaCount> kMediaKeys = {
    0x16D, 0x122, 0x124, 0x110, 0x119, 0x12E, 0x130, 0x120, 0x132,
    0x167, 0x168, 0x16A, 0x169, 0x166, 0x165, 0x16B, 0x121, 0x16C,
};

constexpr std::array<const char*, kFunctionCount> kFunctionNames = {
    "FUNC_KEY_DESC1", "FUNC_KEY_DESC2",  "FUNC_KEY_DESC3",  "FUNC_KEY_DESC4",
    "FUNC_KEY_DESC5", "FUNC_KEY_DESC6",  "FUNC_KEY_DESC7",  "FUNC_KEY_DESC8",
    "FUNC_KEY_DESC9", "FUNC_KEY_DESC10", "FUNC_KEY_DESC11",
};

constexpr std::array<KeyCode, 8> kModifierCodes = {0x01D, 0x02A, 0x038, 0x15B, 0x11D, 0x036, 0x138, 0x15C};

constexpr KeyCode kGKeyPositionBase = 0x1FF;

KeyAction KeyActionOfCode(uint32_t code) {
    if (const uint8_t bit = ModifierBitOf(code))
        return {kActionKeyboard, kKeyModifier, bit};
    if (const uint8_t bit = MouseButtonBitOf(code))
        return {kActionMouse, kMouseButton, bit};
    if (code == kWheelUpCode)
        return {kActionMouse, kMouseWheel, kWheelUpStep};
    if (code == kWheelDownCode)
        return {kActionMouse, kMouseWheel, kWheelDownStep};
    const DeviceForm form = DeviceFormOf(code);
    return {kActionKeyboard, kKeyUsage, form.deviceClass == DeviceClass::Keyboard ? form.byte : uint8_t{0}};
}

// The entry a decoded mouse action gives: type 2 with the item's code; a
// combination the keyboard should not send keeps value 0.
KeyCode MouseCodeOf(KeyAction a) {
    if (a.p1 == kMouseButton) {
        switch (a.p2) {
        case 0x01:
            return kMouseLeftCode;
        case 0x02:
            return kMouseRightCode;
        case 0x04:
            return kMouseMiddleCode;
        default:
            return kNoKey;
        }
    }
    if (a.p1 == kMouseWheel) {
        if (a.p2 == kWheelUpStep)
            return kWheelUpCode;
        if (a.p2 == kWheelDownStep)
            return kWheelDownCode;
    }
    return kNoKey;
}

void DecodeAction(KeyAction a, KeyEntryView entry) {
    entry.SetType(kAssignDisabled);
    switch (a.kind) {
    case kActionMacro:
        if (a.p1 == kMacroPlay) {
            entry.SetType(kAssignMacro);
            entry.SetValue(a.p2 + 1u);
        } else if (a.p1 == kMacroStop) {
            entry.SetType(kAssignStopMacro);
        } else if (a.p1 == kMacroFunction) {
            entry.SetType(kAssignFunction);
            entry.SetValue(a.p2);
        }
        break;
    case kActionConsumer:
        if (const int media = MediaIndexOfUsage(static_cast<uint16_t>(a.p1 | (a.p2 << 8))); media >= 0) {
            entry.SetType(kAssignMedia);
            entry.SetValue(static_cast<uint32_t>(media));
        }
        break;
    case kActionMouse:
        entry.SetType(kAssignKey);
        entry.SetValue(MouseCodeOf(a));
        break;
    case kActionKeyboard:
        if (a.p1 == kKeyUsage) {
            if (const KeyCode c = KeyCodeOfUsage(kUsagePageKeyboard, a.p2); c != kNoKey) {
                entry.SetType(kAssignKey);
                entry.SetValue(c);
            }
        } else if (a.p1 == kKeyModifier) {
            entry.SetType(kAssignKey);
            entry.SetValue(ModifierCodeOfBits(a.p2));
        }
        break;
    default:
        break; // nothing the dialogs can show: the key reads as disabled
    }
}

} // namespace

KeyAction ActionAt(std::span<const uint8_t, kKeyMapImageSize> image, int position) {
    const size_t at = 3 * static_cast<size_t>(position);
    return {image[at], image[at + 1], image[at + 2]};
}

void PutActionAt(std::span<uint8_t, kKeyMapImageSize> image, int position, KeyAction action) {
    const size_t at = 3 * static_cast<size_t>(position);
    image[at] = action.kind;
    image[at + 1] = action.p1;
    image[at + 2] = action.p2;
}

std::span<const uint16_t, kMediaCount> MediaUsageTable() {
    return kMediaUsages;
}

std::span<const KeyCode, kMediaCount> MediaKeyTable() {
    return kMediaKeys;
}

int MediaIndexOfUsage(uint16_t usage) {
    for (int i = 0; i < kMediaCount; ++i) {
        if (kMediaUsages[i] == usage)
            return i;
    }
    return -1;
}

std::span<const char* const, kFunctionCount> FunctionNameTable() {
    return kFunctionNames;
}

std::span<const KeyCode, 8> ModifierCodes() {
    return kModifierCodes;
}

uint8_t ModifierBitOf(uint32_t code) {
    for (size_t i = 0; i < kModifierCodes.size(); ++i) {
        if (kModifierCodes[i] == code)
            return static_cast<uint8_t>(1u << i);
    }
    return 0;
}

KeyCode ModifierCodeOfBits(uint8_t bits) {
    for (size_t i = 0; i < kModifierCodes.size(); ++i) {
        if (bits & (1u << i))
            return kModifierCodes[i];
    }
    return kNoKey;
}

uint8_t MouseButtonBitOf(uint32_t code) {
    switch (code) {
    case kMouseLeftCode:
        return 0x01;
    case kMouseRightCode:
        return 0x02;
    case kMouseMiddleCode:
        return 0x04;
    default:
        return 0;
    }
}

KeyCode PositionKeyCode(KeyAction a) {
    const auto usage = static_cast<uint16_t>(a.p1 | (a.p2 << 8));
    switch (a.kind) {
    case kActionMouse:
        return MouseCodeOf(a);
    case kActionKeyboard:
        if (a.p1 == kKeyUsage)
            return KeyCodeOfUsage(kUsagePageKeyboard, a.p2);
        return ModifierCodeOfBits(a.p2);
    case kActionConsumer:
        return KeyCodeOfUsage(kUsagePageConsumer, usage);
    case kActionSystem:
        return KeyCodeOfUsage(kUsagePageGenericDesktop, usage);
    case kActionGKey:
        return a.p1 == kGKeyMarker ? static_cast<KeyCode>(kGKeyPositionBase + a.p2) : kNoKey;
    default:
        return kNoKey;
    }
}

KeyAction ActionOfEntry(ConstKeyEntryView entry, KeyAction defaultAction,
                        const MacroPositionLookup& macroPositionOfId) {
    const uint32_t value = entry.Value();
    switch (entry.Type()) {
    case kAssignDisabled:
    case kAssignText:
        return {};
    case kAssignKey:
        return KeyActionOfCode(value);
    case kAssignMacro:
        return {kActionMacro, kMacroPlay,
                static_cast<uint8_t>(macroPositionOfId ? macroPositionOfId(value) : 0)};
    case kAssignStopMacro:
        return {kActionMacro, kMacroStop, 0};
    case kAssignMedia:
        // An index no media key has (a damaged file) leaves the key as it is
        // rather than sending a usage nobody chose.
        if (value >= kMediaCount)
            return defaultAction;
        return {kActionConsumer, static_cast<uint8_t>(kMediaUsages[value] & 0xFF),
                static_cast<uint8_t>(kMediaUsages[value] >> 8)};
    case kAssignFunction:
        return {kActionMacro, kMacroFunction, static_cast<uint8_t>(value & 0xFF)};
    default: // default, program launch (the keyboard keeps the key), unknown types
        return defaultAction;
    }
}

void EncodeKeyMap(ConstKeyMapAreaView area, std::span<const uint8_t, kKeyMapImageSize> defaultMap,
                  const MacroPositionLookup& macroPositionOfId, std::span<uint8_t, kKeyMapImageSize> image) {
    std::copy(defaultMap.begin(), defaultMap.end(), image.begin());
    for (int k = 0; k < kKeyPositionCount; ++k) {
        const KeyAction d = ActionAt(defaultMap, k);
        const KeyCode c = PositionKeyCode(d);
        if (c == kNoKey)
            continue;
        const int index = KeyIndexOf(c);
        if (index >= kKeyMapEntryCount)
            continue;
        PutActionAt(image, k, ActionOfEntry(area.Entry(index), d, macroPositionOfId));
    }
}

void DecodeKeyMap(std::span<const uint8_t, kKeyMapImageSize> image,
                  std::span<const uint8_t, kKeyMapImageSize> defaultMap, KeyMapAreaView area) {
    area.ResetToDefault();
    for (int k = 0; k < kKeyPositionCount; ++k) {
        const KeyAction a = ActionAt(image, k);
        const KeyAction d = ActionAt(defaultMap, k);
        if (a == d)
            continue;
        const int index = KeyIndexOf(PositionKeyCode(d));
        if (index == 0 || index >= kKeyMapEntryCount)
            continue;
        DecodeAction(a, area.Entry(index));
    }
}

} // namespace velkarn
