// The small settings the main window keeps outside the profile file:
//  - the lighting toggle ([KEYCOLOR] DengCheck of "wskb.ini" in the data folder),
//  - the flip layout ("Flip" in the application profile section "PROFILES"),
//  - the link address ([SCREEN] Link of the main skin file, read only),
//  - the user lighting modes: ten named per-key colour layouts for each
//    onboard profile, one INI file "UserDengColor_<p>.userd" per profile in
//    the data folder, reset from the shipped Skins/UserDengColor_3.userd.
// A missing file, section or key reads as its default; every write creates
// what it needs and rewrites the file atomically. Write failures are not
// reported to the user.
//
// Colours are Windows colour values (red | green << 8 | blue << 16) in
// memory and "%d,%d,%d" red, green, blue in the files.
//
// Thread safety: any thread (the INI and registry modules serialise their
// writes); the UI thread is the only caller.
#pragma once

#include <cstdint>
#include <string>

namespace velkarn {

constexpr int kUserModeCount = 10;

// Address opened by the link button when the skin names none.
inline constexpr const char* kDefaultLink = "https://velkarn.example/support";

std::string LightingToggleFilePath();      // data folder + "/wskb.ini"
std::string UserModeFilePath(int profile); // data folder + "/UserDengColor_<p>.userd"
std::string ShippedUserModeFilePath();     // program folder + "Skins/UserDengColor_3.userd"

// On only for the value 1 read as a decimal integer ("01" is on, "yes" off).
bool ReadLightingToggle();
void WriteLightingToggle(bool on);

int ReadFlip();
void WriteFlip(int flip);
// Writes "1" when the stored value is 0 and "0" otherwise; returns the new value.
int ToggleFlip();

// [SCREEN] Link of the main skin file, at most 259 characters.
std::string ReadLink();

struct KeyColour {
    uint32_t colour = 0;
    int flag = 0; // 0 = painted with the paint colour, 1 = with the base colour
};

struct UserModeSettings {
    int tool = 0;             // 0 = paint colour, 1 = base colour
    uint32_t baseColour = 0;  // "jcolor"
    uint32_t paintColour = 0; // "color"
};

// The colour of one LED in a user mode; default red painted with the base colour.
KeyColour ReadKeyColour(int profile, int mode, int led);
void WriteKeyColour(int profile, int mode, int led, uint32_t colour, int flag);

// A mode's name as shown in the user-mode box; default "0".
std::string ReadModeName(int profile, int mode);
void WriteModeName(int profile, int mode, const std::string& name);

UserModeSettings ReadModeSettings(int profile, int mode);
void WriteModeSettings(int profile, int mode, const UserModeSettings& settings);

// The selected user mode of a profile, 0..9; default (and for anything else) 0.
int ReadPresentMode(int profile);
void WritePresentMode(int profile, int mode);

// Copies the shipped default user-mode file over the profile's file. With
// no shipped file the profile's file becomes empty, which reads as defaults.
void ResetUserModes(int profile);

} // namespace velkarn
