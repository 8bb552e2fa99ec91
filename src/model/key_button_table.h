// The drawn keyboard's buttons: which control id stands for which key, the
// key's scan code, its entry in a key-map area and its LED for per-key
// colours. The skin generator, the profile store and the main window all
// use this one table, so a key can never be drawn in one place and stored
// in another.
//
// Thread safety: constant data, readable from any thread.
#pragma once

#include "model/key_entry.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace velkarn {

struct KeyButton {
    int position;  // row number in the table
    int controlId; // id of the button in the main window
    const char* caption;
    uint16_t scanCode; // set-1 scan code, +0x100 for E0-prefixed keys
    int entry;         // entry index in a key-map area
    int led;           // LED index for per-key colours
};

constexpr int kKeyButtonCount = 104;

// The 104 ordinary keys in table order.
std::span<const KeyButton, kKeyButtonCount> KeyButtonTable();

// The row of the key whose button has this control id, or nullptr.
const KeyButton* FindKeyButton(int controlId);

// Position (row number) of the key with this control id, or -1.
int KeyButtonPosition(int controlId);

// Row of the key with this entry index, or nullptr.
const KeyButton* FindKeyButtonByEntry(int entry);

// G keys G1..G9 (n = 0..8).
constexpr int kGKeyCount = 9;
constexpr std::array<int, kGKeyCount> kGKeyControlIds = {1000, 1001, 1002, 1003, 1004,
                                                         1140, 1141, 1142, 1143};
constexpr int kGKeyLed = 125;
constexpr int kGKeyEntryBase = kGKeyEntryFirst;      // bank 0
constexpr int kGKeyBankStride = kGKeyEntriesPerBank; // bank 1 entries start at 265
constexpr int kMacroButtonId = 1007;                 // behaves as G9

// n (0..8) of the G key with this control id, or -1.
int GKeyIndexOf(int controlId);

// Entry index of G key n (0..8) in bank 0 or 1; -1 when either is out of range.
int GKeyEntry(int n, int bank);

constexpr int kFnControlId = 1174;
constexpr int kFnLed = 95;

// D keys D1..D6: buttons with neither an entry nor an LED.
constexpr int kDKeyCount = 6;
constexpr std::array<int, kDKeyCount> kDKeyControlIds = {1016, 1017, 1018, 1019, 1020, 1021};

// n (0..5) of the D key with this control id, or -1.
int DKeyIndexOf(int controlId);

// Skin keys of the main skin's BUTTONINFO section.
std::string KeySkinKey(int entry); // "KEY_%03X"
std::string GKeySkinKey(int n);    // "FUNC_G%d" with n + 1
std::string DKeySkinKey(int n);    // "KEY_D%d" with n + 1
inline constexpr const char* kFnSkinKey = "KEY_FN";

} // namespace velkarn
