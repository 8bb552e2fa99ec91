// Macros: the 16512-byte MacroRecord and 8-byte MacroAction layouts (the
// same bytes in memory and in the profile file), their limits, the ids that
// tie key assignments of type 4 to macros, and the keyboard's macro image in
// both directions.
//
// The store owns the macro table; the functions here work on any table or
// block they are handed, so the download copy, a file being read and the
// dialog's private list all use the same code.
//
// Thread safety: a MacroRecord is a plain value; the functions are pure and
// the caller holds the lock that guards the table or block it passes (the
// store lock, or the download lock for the download copy).
#pragma once

#include "model/key_entry.h"
#include "model/key_table.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkarn {

constexpr int kMaxMacros = 100;
constexpr int kMaxMacroActions = 2000;
constexpr size_t kMaxMacroNameLength = 249; // UTF-16 characters, terminator not counted
constexpr uint32_t kMaxTypedMacroDelay = 40000;
constexpr uint8_t kNewMacroCycleCount = 1;

constexpr size_t kMacroActionSize = 8;
constexpr size_t kMacroRecordSize = 16512;

constexpr uint16_t kMacroPress = 0;
constexpr uint16_t kMacroRelease = 1;

// One recorded step: key press or release, then a wait.
// Layout: delay u32 @0, key u16 @4, state u16 @6.
struct MacroAction {
    uint32_t delay = 0; // ms to wait after this action
    uint16_t key = 0;   // key code: a key, 0x171..0x173 or 0x161/0x162
    uint16_t state = 0; // kMacroPress or kMacroRelease

    static MacroAction Read(std::span<const uint8_t, kMacroActionSize> bytes);
    void Write(std::span<uint8_t, kMacroActionSize> bytes) const;
    bool operator==(const MacroAction&) const = default;
};

// One macro as the store and the profile file hold it:
// name 250 UTF-16 units @0, cycle count u8 @500, reserved @501, new flag u32 @502,
// id u16 @506, action count u16 @508, reserved u16 @510, 2000 actions @512.
class MacroRecord {
public:
    MacroRecord(); // all zero
    // The record as a profile file holds it; bytes must be kMacroRecordSize long.
    explicit MacroRecord(std::span<const uint8_t, kMacroRecordSize> bytes);

    std::span<uint8_t, kMacroRecordSize> Bytes() { return std::span<uint8_t, kMacroRecordSize>(m_bytes); }
    std::span<const uint8_t, kMacroRecordSize> Bytes() const {
        return std::span<const uint8_t, kMacroRecordSize>(m_bytes);
    }

    // The name up to its terminator, at most kMaxMacroNameLength characters.
    std::u16string Name() const;
    // Stores the name cut to kMaxMacroNameLength characters (a surrogate pair
    // is never split) and zero-fills the rest of the field.
    void SetName(std::u16string_view name);

    uint8_t CycleCount() const;
    void SetCycleCount(uint8_t count);
    bool IsNew() const;
    void SetNew(bool isNew);
    uint16_t Id() const;
    void SetId(uint16_t id);

    // The stored count, never more than the kMaxMacroActions slots, so a
    // damaged record cannot make a reader run past the buffer.
    int ActionCount() const;
    void SetActionCount(int count);      // clamped to 0..kMaxMacroActions
    MacroAction Action(int index) const; // index 0..kMaxMacroActions-1
    void SetAction(int index, const MacroAction& action);
    // Appends after the used actions; false (and nothing changed) when full.
    bool AppendAction(const MacroAction& action);

private:
    std::vector<uint8_t> m_bytes;
};

struct MacroImageSizes {
    size_t withoutNames;
    size_t withNames;
    bool operator==(const MacroImageSizes&) const = default;
};

constexpr uint16_t kMacroImageMagic = 0x55AA;
constexpr size_t kMacroImageHeaderSize = 16;
// The image's size and offsets are 16-bit fields.
constexpr size_t kMaxMacroImageSize = 0xFFFF;

MacroImageSizes MacroSizes(std::span<const MacroRecord> macros);

// Writes the image of macros into buffer, which must hold the image's size
// (MacroSizes). Returns false, writing nothing, when the buffer is too small
// or the image would not fit the 16-bit size and offset fields.
bool EncodeMacros(std::span<const MacroRecord> macros, std::span<uint8_t> buffer, bool withNames);

enum class MacroImageStatus {
    Ok = 0,      // every macro was read
    Absent = 1,  // no image (no magic): the keyboard holds no macros
    Damaged = 2, // header or data did not fit the bytes read; what did was kept
};

struct DecodedMacros {
    std::vector<MacroRecord> macros;
    MacroImageStatus status = MacroImageStatus::Absent;
};

// Reads a macro image as the keyboard sends it. Nothing is read outside the
// image: the bytes considered are the header's size field or the buffer,
// whichever is shorter; a macro whose block runs past them is dropped with
// every macro after it; at most kMaxMacros macros and kMaxMacroActions
// actions each are kept, and names are cut to kMaxMacroNameLength. Macros
// get ids 1, 2, 3 ... in slot order; one without a name is named namePrefix
// followed by its id.
DecodedMacros DecodeMacros(std::span<const uint8_t> image, std::string_view namePrefix);
// The same with the prefix from the language text "MACRO_NEW_PREFIX".
DecodedMacros DecodeMacros(std::span<const uint8_t> image);

// Position of the macro with this id; 0 when no macro has it (the keyboard
// then plays the first slot).
int MacroPositionOfId(std::span<const MacroRecord> macros, uint32_t id);
// Id of the macro at this position; 0 when there is none.
uint16_t MacroIdAt(std::span<const MacroRecord> macros, int position);
// Name (UTF-8) of the macro with this id; empty when no macro has it.
std::string MacroNameOfId(std::span<const MacroRecord> macros, uint32_t id);
// Smallest id 1..kMaxMacros that no macro carries; 0 when all are taken.
uint16_t NewMacroId(std::span<const MacroRecord> macros);

struct MacroReconcileCallbacks {
    // An entry of this area was reset to its default: refresh its button.
    std::function<void(int area, int entry)> keyReset;
    // A key-map entry changed: the main window's Apply has something to send.
    std::function<void()> enableApply;
};

// Makes the dialog's macro list the macro table: key entries of type 4 that
// refer to an id the list no longer has, or whose id now belongs to a new
// macro, go back to the default type; entries with no macro chosen take the
// first macro's id. Then table becomes the list in list order, with every
// new flag cleared.
void ReconcileMacroReferences(std::span<uint8_t, kProfileBlockSize> block, std::vector<MacroRecord>& table,
                              std::span<const MacroRecord> list, const MacroReconcileCallbacks& callbacks);

} // namespace velkarn
