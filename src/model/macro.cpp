#include "model/macro.h"

#include "model/key_assignment.h"
#include "platform/le.h"
#include "platform/utf.h"

#include <algorithm>

namespace velkarn {
namespace {

constexpr size_t kNameOffset = 0;
constexpr size_t kNameFieldUnits = 250;
constexpr size_t kCycleCountOffset = 500;
constexpr size_t kNewFlagOffset = 502;
constexpr size_t kIdOffset = 506;
constexpr size_t kActionCountOffset = 508;
constexpr size_t kActionsOffset = 512;

// Image header fields.
constexpr size_t kImageSizeField = 2;
constexpr size_t kImageCountField = 4;
constexpr size_t kImageNamesField = 6;
// Macro data block: action count u16, cycle count u8, name length u8, then actions and name.
constexpr size_t kBlockHeaderSize = 4;
constexpr size_t kDeviceActionSize = 4;

// Device action word: delay / 10 in bits 0..11, action kind in 12..14, press in 15.
constexpr uint16_t kDelayMask = 0x0FFF;
constexpr unsigned kKindShift = 12;
constexpr uint16_t kKindMask = 0x7;
constexpr uint16_t kPressBit = 0x8000;
constexpr uint32_t kDelayUnitMs = 10;

bool IsHighSurrogate(char16_t c) {
    return c >= 0xD800 && c <= 0xDBFF;
}

std::u16string_view CutName(std::u16string_view name) {
    if (name.size() <= kMaxMacroNameLength)
        return name;
    name = name.substr(0, kMaxMacroNameLength);
    if (IsHighSurrogate(name.back()))
        name.remove_suffix(1);
    return name;
}

KeyAction DeviceActionOf(uint16_t key) {
    const DeviceForm form = DeviceFormOf(key);
    switch (form.deviceClass) {
    case DeviceClass::Keyboard:
        if (const uint8_t bit = ModifierBitOf(key))
            return {kActionKeyboard, kKeyModifier, bit};
        return {kActionKeyboard, kKeyUsage, form.byte};
    case DeviceClass::System:
        return {kActionSystem, form.byte, 0};
    case DeviceClass::Mouse:
        switch (form.byte) {
        case 0xF1:
            return {kActionMouse, kMouseButton, 0x01};
        case 0xF2:
            return {kActionMouse, kMouseButton, 0x02};
        case 0xF3:
            return {kActionMouse, kMouseButton, 0x04};
        case 0xF4:
            return {kActionMouse, kMouseWheel, kWheelUpStep};
        case 0xF5:
            return {kActionMouse, kMouseWheel, kWheelDownStep};
        default:
            return {};
        }
    case DeviceClass::None:
    default:
        return {};
    }
}

size_t BlockSize(const MacroRecord& macro, bool withNames) {
    size_t size = kBlockHeaderSize + kDeviceActionSize * static_cast<size_t>(macro.ActionCount());
    if (withNames)
        size += 2 * macro.Name().size();
    return size;
}

// Writes one macro's data block at off; returns its size.
size_t WriteBlock(const MacroRecord& macro, bool withNames, std::span<uint8_t> image, size_t off) {
    const std::u16string name = withNames ? macro.Name() : std::u16string();
    const int count = macro.ActionCount();
    le::PutU16(image, off, static_cast<uint16_t>(count));
    le::PutU8(image, off + 2, macro.CycleCount());
    le::PutU8(image, off + 3, static_cast<uint8_t>(name.size()));
    size_t at = off + kBlockHeaderSize;
    for (int i = 0; i < count; ++i) {
        const MacroAction action = macro.Action(i);
        const KeyAction device = DeviceActionOf(action.key);
        uint16_t word = static_cast<uint16_t>((action.delay / kDelayUnitMs) & kDelayMask);
        word |= static_cast<uint16_t>(device.kind << kKindShift);
        if (action.state != kMacroRelease)
            word |= kPressBit;
        le::PutU16(image, at, word);
        le::PutU8(image, at + 2, device.p1);
        le::PutU8(image, at + 3, device.p2);
        at += kDeviceActionSize;
    }
    for (char16_t c : name) {
        le::PutU16(image, at, c);
        at += 2;
    }
    return at - off;
}

// Reads the block at off if it lies wholly inside image; false otherwise.
bool ReadBlock(std::span<const uint8_t> image, size_t off, int id, std::string_view namePrefix,
               MacroRecord& macro, bool& trimmed) {
    if (off + kBlockHeaderSize > image.size())
        return false;
    const size_t actionCount = le::U16(image, off);
    const uint8_t cycleCount = le::U8(image, off + 2);
    const size_t nameLength = le::U8(image, off + 3);
    const size_t actionsAt = off + kBlockHeaderSize;
    const size_t nameAt = actionsAt + kDeviceActionSize * actionCount;
    if (nameAt + 2 * nameLength > image.size())
        return false;

    macro.SetCycleCount(cycleCount);
    macro.SetNew(false);
    macro.SetId(static_cast<uint16_t>(id));
    const size_t kept = std::min<size_t>(actionCount, kMaxMacroActions);
    trimmed = trimmed || kept < actionCount;
    macro.SetActionCount(static_cast<int>(kept));
    for (size_t i = 0; i < kept; ++i) {
        const size_t at = actionsAt + kDeviceActionSize * i;
        const uint16_t word = le::U16(image, at);
        const KeyAction device{static_cast<uint8_t>((word >> kKindShift) & kKindMask), le::U8(image, at + 2),
                               le::U8(image, at + 3)};
        MacroAction action;
        action.delay = (word & kDelayMask) * kDelayUnitMs;
        action.key = PositionKeyCode(device);
        action.state = (word & kPressBit) ? kMacroPress : kMacroRelease;
        macro.SetAction(static_cast<int>(i), action);
    }

    if (nameLength != 0) {
        std::u16string name(nameLength, u'\0');
        for (size_t i = 0; i < nameLength; ++i)
            name[i] = static_cast<char16_t>(le::U16(image, nameAt + 2 * i));
        macro.SetName(name);
    } else {
        macro.SetName(Utf8ToUtf16(std::string(namePrefix) + std::to_string(id)));
    }
    return true;
}

} // namespace

MacroAction MacroAction::Read(std::span<const uint8_t, kMacroActionSize> bytes) {
    return {le::U32(bytes, 0), le::U16(bytes, 4), le::U16(bytes, 6)};
}

void MacroAction::Write(std::span<uint8_t, kMacroActionSize> bytes) const {
    le::PutU32(bytes, 0, delay);
    le::PutU16(bytes, 4, key);
    le::PutU16(bytes, 6, state);
}

MacroRecord::MacroRecord() : m_bytes(kMacroRecordSize, 0) {}

MacroRecord::MacroRecord(std::span<const uint8_t, kMacroRecordSize> bytes)
    : m_bytes(bytes.begin(), bytes.end()) {}

std::u16string MacroRecord::Name() const {
    std::u16string name;
    for (size_t i = 0; i < kMaxMacroNameLength; ++i) {
        const char16_t c = le::U16(m_bytes, kNameOffset + 2 * i);
        if (c == 0)
            break;
        name += c;
    }
    return std::u16string(CutName(name));
}

void MacroRecord::SetName(std::u16string_view name) {
    const std::u16string_view cut = CutName(name);
    for (size_t i = 0; i < kNameFieldUnits; ++i)
        le::PutU16(m_bytes, kNameOffset + 2 * i, i < cut.size() ? cut[i] : u'\0');
}

uint8_t MacroRecord::CycleCount() const {
    return le::U8(m_bytes, kCycleCountOffset);
}

void MacroRecord::SetCycleCount(uint8_t count) {
    le::PutU8(m_bytes, kCycleCountOffset, count);
}

bool MacroRecord::IsNew() const {
    return le::U32(m_bytes, kNewFlagOffset) != 0;
}

void MacroRecord::SetNew(bool isNew) {
    le::PutU32(m_bytes, kNewFlagOffset, isNew ? 1 : 0);
}

uint16_t MacroRecord::Id() const {
    return le::U16(m_bytes, kIdOffset);
}

void MacroRecord::SetId(uint16_t id) {
    le::PutU16(m_bytes, kIdOffset, id);
}

int MacroRecord::ActionCount() const {
    return std::min<int>(le::U16(m_bytes, kActionCountOffset), kMaxMacroActions);
}

void MacroRecord::SetActionCount(int count) {
    le::PutU16(m_bytes, kActionCountOffset, static_cast<uint16_t>(std::clamp(count, 0, kMaxMacroActions)));
}

MacroAction MacroRecord::Action(int index) const {
    const size_t at = kActionsOffset + kMacroActionSize * static_cast<size_t>(index);
    return MacroAction::Read(std::span<const uint8_t>(m_bytes).subspan(at).first<kMacroActionSize>());
}

void MacroRecord::SetAction(int index, const MacroAction& action) {
    const size_t at = kActionsOffset + kMacroActionSize * static_cast<size_t>(index);
    action.Write(std::span<uint8_t>(m_bytes).subspan(at).first<kMacroActionSize>());
}

bool MacroRecord::AppendAction(const MacroAction& action) {
    const int count = ActionCount();
    if (count >= kMaxMacroActions)
        return false;
    SetAction(count, action);
    SetActionCount(count + 1);
    return true;
}

MacroImageSizes MacroSizes(std::span<const MacroRecord> macros) {
    MacroImageSizes sizes{kMacroImageHeaderSize + 2 * macros.size(),
                          kMacroImageHeaderSize + 2 * macros.size()};
    for (const MacroRecord& macro : macros) {
        sizes.withoutNames += BlockSize(macro, false);
        sizes.withNames += BlockSize(macro, true);
    }
    return sizes;
}

bool EncodeMacros(std::span<const MacroRecord> macros, std::span<uint8_t> buffer, bool withNames) {
    const MacroImageSizes sizes = MacroSizes(macros);
    const size_t size = withNames ? sizes.withNames : sizes.withoutNames;
    if (size > kMaxMacroImageSize || size > buffer.size())
        return false;

    std::fill(buffer.begin(), buffer.end(), uint8_t{0});
    le::PutU16(buffer, 0, kMacroImageMagic);
    le::PutU16(buffer, kImageSizeField, static_cast<uint16_t>(size));
    le::PutU16(buffer, kImageCountField, static_cast<uint16_t>(macros.size()));
    le::PutU16(buffer, kImageNamesField, withNames ? 1 : 0);
    size_t off = kMacroImageHeaderSize + 2 * macros.size();
    for (size_t i = 0; i < macros.size(); ++i) {
        le::PutU16(buffer, kMacroImageHeaderSize + 2 * i, static_cast<uint16_t>(off));
        off += WriteBlock(macros[i], withNames, buffer, off);
    }
    return true;
}

DecodedMacros DecodeMacros(std::span<const uint8_t> image, std::string_view namePrefix) {
    DecodedMacros result;
    if (image.size() < kMacroImageHeaderSize || le::U16(image, 0) != kMacroImageMagic)
        return result;

    result.status = MacroImageStatus::Ok;
    bool damaged = false;
    // The keyboard's own size bounds the image; bytes past it are not ours.
    const size_t sizeField = le::U16(image, kImageSizeField);
    if (sizeField > image.size())
        damaged = true;
    const std::span<const uint8_t> bytes = image.first(std::min(sizeField, image.size()));

    size_t count = le::U16(image, kImageCountField);
    if (count > kMaxMacros) {
        count = kMaxMacros;
        damaged = true;
    }
    const size_t tableRoom =
        bytes.size() > kMacroImageHeaderSize ? (bytes.size() - kMacroImageHeaderSize) / 2 : 0;
    if (count > tableRoom) {
        count = tableRoom;
        damaged = true;
    }

    const size_t dataStart = kMacroImageHeaderSize + 2 * count;
    for (size_t i = 0; i < count; ++i) {
        const size_t off = le::U16(bytes, kMacroImageHeaderSize + 2 * i);
        MacroRecord macro;
        // A block inside the header or offset table is not a macro.
        if (off < dataStart || !ReadBlock(bytes, off, static_cast<int>(i) + 1, namePrefix, macro, damaged)) {
            damaged = true;
            break;
        }
        result.macros.push_back(std::move(macro));
    }
    if (damaged)
        result.status = MacroImageStatus::Damaged;
    return result;
}

int MacroPositionOfId(std::span<const MacroRecord> macros, uint32_t id) {
    for (size_t i = 0; i < macros.size(); ++i) {
        if (macros[i].Id() == id)
            return static_cast<int>(i);
    }
    return 0;
}

uint16_t MacroIdAt(std::span<const MacroRecord> macros, int position) {
    if (position < 0 || static_cast<size_t>(position) >= macros.size())
        return 0;
    return macros[static_cast<size_t>(position)].Id();
}

std::string MacroNameOfId(std::span<const MacroRecord> macros, uint32_t id) {
    for (const MacroRecord& macro : macros) {
        if (macro.Id() == id)
            return Utf16ToUtf8(macro.Name());
    }
    return {};
}

uint16_t NewMacroId(std::span<const MacroRecord> macros) {
    for (uint16_t id = 1; id <= kMaxMacros; ++id) {
        const bool taken =
            std::any_of(macros.begin(), macros.end(), [id](const MacroRecord& m) { return m.Id() == id; });
        if (!taken)
            return id;
    }
    return 0;
}

void ReconcileMacroReferences(std::span<uint8_t, kProfileBlockSize> block, std::vector<MacroRecord>& table,
                              std::span<const MacroRecord> list, const MacroReconcileCallbacks& callbacks) {
    // Copied first: list may be a view of table itself.
    std::vector<MacroRecord> next(list.begin(), list.end());

    for (int area = 0; area < kKeyMapAreaCount; ++area) {
        const KeyMapAreaView view = KeyMapAreaOf(block, area);
        for (int index = 0; index < kKeyMapEntryCount; ++index) {
            const KeyEntryView entry = view.Entry(index);
            if (entry.Type() != kAssignMacro)
                continue;
            const uint32_t id = entry.Value();
            if (id != 0) {
                const auto it = std::find_if(next.begin(), next.end(),
                                             [id](const MacroRecord& m) { return m.Id() == id; });
                // A new macro that took a deleted macro's id is not the macro the key meant.
                if (it != next.end() && !it->IsNew())
                    continue;
                entry.SetType(kAssignDefault);
                if (callbacks.keyReset)
                    callbacks.keyReset(area, index);
                if (callbacks.enableApply)
                    callbacks.enableApply();
            } else if (!next.empty()) {
                entry.SetValue(next.front().Id());
                if (callbacks.enableApply)
                    callbacks.enableApply();
            }
        }
    }

    for (MacroRecord& macro : next)
        macro.SetNew(false);
    table = std::move(next);
}

} // namespace velkarn
