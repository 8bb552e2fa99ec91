#include "ui/main/keyboard_view_logic.h"

#include "model/key_button_table.h"
#include "platform/le.h"

namespace velkarn {

namespace {

constexpr size_t kEntryBytes = 16;
constexpr size_t kTypeOffset = 0;
constexpr size_t kMarkOffset = 8;
constexpr int kEntriesPerArea = 512;

bool EntryInArea(std::span<const uint8_t> area, int entry) {
    return entry >= 0 && entry < kEntriesPerArea &&
           (static_cast<size_t>(entry) + 1) * kEntryBytes <= area.size();
}

} // namespace

std::optional<KeyTarget> ResolveKeyTarget(int controlId, int bank) {
    const int b = bank == 1 ? 1 : 0;
    int n = controlId == kMacroButtonId ? kGKeyCount - 1 : GKeyIndexOf(controlId);
    if (n >= 0) {
        const int m = n + b * kGKeyBankStride;
        KeyTarget t;
        t.controlId = controlId == kMacroButtonId ? kGKeyControlIds[kGKeyCount - 1] : controlId;
        t.targetCode = 0x100 + m;
        t.entry = kGKeyEntryBase + m;
        // A G key keeps its mark in its own entry. Entries n and n + 9 hold
        // the marks of table rows 0..17 (A..J), so marking G1 would mark J too.
        t.markEntry = t.entry;
        t.macroOnly = n == kGKeyCount - 1;
        t.gKey = n;
        return t;
    }
    const KeyButton* key = FindKeyButton(controlId);
    if (!key)
        return std::nullopt;
    KeyTarget t;
    t.controlId = controlId;
    t.targetCode = key->entry;
    t.entry = key->entry;
    // The mark of table row k lives in entry k, not in the key's own entry.
    t.markEntry = key->position;
    t.position = key->position;
    return t;
}

bool MarkOf(std::span<const uint8_t> area, int entry) {
    if (!EntryInArea(area, entry))
        return false;
    return le::U32(area, static_cast<size_t>(entry) * kEntryBytes + kMarkOffset) != 0;
}

bool ToggleMark(std::span<uint8_t> area, int entry) {
    if (!EntryInArea(area, entry))
        return false;
    const bool marked = !MarkOf(area, entry);
    le::PutU32(area, static_cast<size_t>(entry) * kEntryBytes + kMarkOffset, marked ? 1u : 0u);
    return marked;
}

uint16_t AssignmentTypeOf(std::span<const uint8_t> area, int entry) {
    if (!EntryInArea(area, entry))
        return 0;
    return le::U16(area, static_cast<size_t>(entry) * kEntryBytes + kTypeOffset);
}

FlipLook FlipLookFor(int flip) {
    FlipLook look;
    // A stray stored value counts as flipped, matching the toggle, which
    // treats everything but 0 as "on".
    const bool flipped = flip != 0;
    look.fKeysEnabled = !flipped;
    look.dKeysEnabled = flipped;
    look.flip0ShowsSet2 = flipped;
    return look;
}

std::string_view SwitchCaptionKey(bool colourMode) {
    return colourMode ? "MAIN_SWITCH_COLOR_TEXT" : "MAIN_SWITCH_FUNCTION_TEXT";
}

} // namespace velkarn
