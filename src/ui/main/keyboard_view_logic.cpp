#include "ui/main/keyboard_view_logic.h"

#include "model/key_button_table.h"

namespace velkarn {

namespace {

// The entry's view when area is a whole key-map area and entry one of its
// 512; nothing otherwise (indexes come from tables and stored data).
template <class Byte> std::optional<BasicKeyEntryView<Byte>> EntryAt(std::span<Byte> area, int entry) {
    if (area.size() != kKeyMapAreaSize || entry < 0 || entry >= kKeyMapEntryCount)
        return std::nullopt;
    return BasicKeyMapAreaView<Byte>(area.template first<kKeyMapAreaSize>()).Entry(entry);
}

} // namespace

std::optional<ConstKeyEntryView> EntryOf(std::span<const uint8_t> area, int entry) {
    return EntryAt(area, entry);
}

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
    const auto view = EntryAt(area, entry);
    return view && view->Mark() != 0;
}

bool ToggleMark(std::span<uint8_t> area, int entry) {
    const auto view = EntryAt(area, entry);
    if (!view)
        return false;
    const bool marked = view->Mark() == 0;
    view->SetMark(marked ? 1u : 0u);
    return marked;
}

uint16_t AssignmentTypeOf(std::span<const uint8_t> area, int entry) {
    const auto view = EntryAt(area, entry);
    return view ? view->Type() : 0;
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
