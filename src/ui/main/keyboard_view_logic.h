// The rules of the drawn keyboard that need no widget: which key a button
// click addresses, where a key's colour mark lives, what the flip setting
// enables and how the G keys are captioned in each bank.
//
// Kept apart from the Qt view so that these rules are tested without a
// display. Pure functions over constant tables and caller-owned bytes; safe
// from any thread as long as the caller guards the bytes it passes (the
// key-map area is guarded by the store lock).
#pragma once

#include "model/key_entry.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace velkarn {

// What a click on a key button addresses.
struct KeyTarget {
    int controlId = 0;
    int targetCode = 0; // what the assignment dialog edits: 0x100 + m for G keys, else the entry index
    int entry = 0;      // the key's own entry in a key-map area
    int markEntry = 0;  // the entry that carries its colour mark (a table key: entry = its row)
    bool macroOnly = false;
    int gKey = -1;     // 0..8 for G1..G9 (and the macro button), else -1
    int position = -1; // row in the key-button table, else -1
};

// The target of a click on controlId with the G-key bank (0 or 1). Nothing
// for ids of neither table (the D keys, Fn, anything else). The macro button
// is G9.
std::optional<KeyTarget> ResolveKeyTarget(int controlId, int bank);

// A key-map area as bytes (512 entries of 16 bytes). Every function below
// refuses a span that is not a whole area and an entry outside 0..511.
constexpr size_t kKeyMapAreaBytes = kKeyMapAreaSize;
std::optional<ConstKeyEntryView> EntryOf(std::span<const uint8_t> area, int entry);
bool MarkOf(std::span<const uint8_t> area, int entry);
// Flips the mark of entry and returns the new state; false for an entry
// outside the area (nothing written).
bool ToggleMark(std::span<uint8_t> area, int entry);
uint16_t AssignmentTypeOf(std::span<const uint8_t> area, int entry);

// The flip setting: F1..F4 while it is 0, D1..D6 while it is 1.
struct FlipLook {
    bool fKeysEnabled = true;
    bool dKeysEnabled = false;
    bool flip0ShowsSet2 = false;
};
FlipLook FlipLookFor(int flip);
constexpr int kFlipFKeyIds[] = {1010, 1011, 1012, 1013};

// Language key of the Switch button's caption in this colour mode.
std::string_view SwitchCaptionKey(bool colourMode);

} // namespace velkarn
