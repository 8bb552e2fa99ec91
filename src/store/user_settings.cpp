#include "store/user_settings.h"

#include "app/path_table.h"
#include "app/settings_key.h"
#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "store/device_records.h"
#include "store/profile_file.h"

#include <array>
#include <cctype>
#include <cstdint>
#include <span>
#include <string_view>

namespace velkarn {
namespace {

constexpr size_t kValueCapacity = 260;
constexpr const char* kToggleSection = "KEYCOLOR";
constexpr const char* kToggleKey = "DengCheck";
constexpr const char* kFlipName = "Flip";
constexpr const char* kLinkSection = "SCREEN";
constexpr const char* kLinkKey = "Link";
constexpr const char* kPresentSection = "PRESENTMODE";
constexpr const char* kPresentKey = "mode";
constexpr const char* kNameSection = "MODENAME";
constexpr const char* kDefaultLedValue = "255,0,0,1";
constexpr const char* kDefaultColourValue = "0,0,0";
// One file of user lighting modes per profile, first copied from the one the
// program ships (number 3 among the skin files).
constexpr const char* kUserModeFilePrefix = "UserDengColor_";
constexpr const char* kUserModeFileSuffix = ".userd";
constexpr int kShippedUserModeNumber = 3;

bool ValidProfile(int profile) {
    return profile >= 0 && profile < 3;
}

bool ValidMode(int mode) {
    return mode >= 0 && mode < kUserModeCount;
}

std::string ModeSection(int mode) {
    return "Mode" + std::to_string(mode);
}

// Reads up to out.size() integers separated by commas, the way a scan format
// "%d,%d,..." does: blanks before a number are skipped, the comma must follow
// the number directly, and the first thing that does not fit stops the scan,
// leaving the remaining numbers as they were.
void ScanInts(std::string_view text, std::span<int> out) {
    size_t at = 0;
    for (size_t n = 0; n < out.size(); ++n) {
        if (n > 0) {
            if (at >= text.size() || text[at] != ',')
                return;
            ++at;
        }
        while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
            ++at;
        bool negative = false;
        if (at < text.size() && (text[at] == '-' || text[at] == '+'))
            negative = text[at++] == '-';
        if (at >= text.size() || !std::isdigit(static_cast<unsigned char>(text[at])))
            return;
        uint32_t value = 0;
        while (at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])))
            value = value * 10 + static_cast<uint32_t>(text[at++] - '0');
        out[n] = static_cast<int>(negative ? 0u - value : value);
    }
}

uint32_t ColourOf(int red, int green, int blue) {
    return MakeColour(static_cast<uint8_t>(red), static_cast<uint8_t>(green), static_cast<uint8_t>(blue));
}

std::string ColourText(uint32_t colour) {
    return std::to_string(RedOf(colour)) + "," + std::to_string(GreenOf(colour)) + "," +
           std::to_string(BlueOf(colour));
}

std::string ReadValue(std::string_view section, std::string_view key, std::string_view defaultValue,
                      const std::string& path) {
    return GetPrivateProfileString(section, key, defaultValue, kValueCapacity, path).text;
}

uint32_t ReadColour(int profile, int mode, std::string_view key) {
    std::array<int, 3> rgb{};
    ScanInts(ReadValue(ModeSection(mode), key, kDefaultColourValue, UserModeFilePath(profile)), rgb);
    return ColourOf(rgb[0], rgb[1], rgb[2]);
}

// Writes one value of a profile's user-mode file, creating the data folder
// first when it is missing.
void WriteUserModeValue(int profile, const std::string& section, const std::string& key,
                        const std::string& value) {
    EnsureDataFolder();
    WritePrivateProfileString(section, key, value, UserModeFilePath(profile));
}

} // namespace

std::string LightingToggleFilePath() {
    return JoinPath(DataFolder(), "wskb.ini");
}

std::string UserModeFilePath(int profile) {
    return JoinPath(DataFolder(), kUserModeFilePrefix + std::to_string(profile) + kUserModeFileSuffix);
}

std::string ShippedUserModeFilePath() {
    return AppPaths().userColourPrefix + std::to_string(kShippedUserModeNumber) + kUserModeFileSuffix;
}

bool ReadLightingToggle() {
    return GetPrivateProfileInt(kToggleSection, kToggleKey, 0, LightingToggleFilePath()) == 1;
}

void WriteLightingToggle(bool on) {
    EnsureDataFolder();
    WritePrivateProfileString(kToggleSection, kToggleKey, on ? "1" : "0", LightingToggleFilePath());
}

int ReadFlip() {
    return ReadProfileInt(kFlipName, 0);
}

void WriteFlip(int flip) {
    WriteProfileString(kFlipName, std::to_string(flip));
}

int ToggleFlip() {
    const int flip = ReadFlip() == 0 ? 1 : 0;
    WriteFlip(flip);
    return flip;
}

std::string ReadLink() {
    return ReadValue(kLinkSection, kLinkKey, kDefaultLink, AppPaths().mainSkinFile);
}

KeyColour ReadKeyColour(int profile, int mode, int led) {
    std::array<int, 4> values{};
    if (!ValidProfile(profile) || !ValidMode(mode) || led < 0)
        ScanInts(kDefaultLedValue, values);
    else
        ScanInts(
            ReadValue(ModeSection(mode), std::to_string(led), kDefaultLedValue, UserModeFilePath(profile)),
            values);
    return KeyColour{ColourOf(values[0], values[1], values[2]), values[3] != 0 ? 1 : 0};
}

void WriteKeyColour(int profile, int mode, int led, uint32_t colour, int flag) {
    if (!ValidProfile(profile) || !ValidMode(mode) || led < 0)
        return;
    WriteUserModeValue(profile, ModeSection(mode), std::to_string(led),
                       ColourText(colour) + "," + std::to_string(flag));
}

std::string ReadModeName(int profile, int mode) {
    if (!ValidProfile(profile) || !ValidMode(mode))
        return "0";
    return ReadValue(kNameSection, std::to_string(mode), "0", UserModeFilePath(profile));
}

void WriteModeName(int profile, int mode, const std::string& name) {
    if (!ValidProfile(profile) || !ValidMode(mode))
        return;
    WriteUserModeValue(profile, kNameSection, std::to_string(mode), name);
}

UserModeSettings ReadModeSettings(int profile, int mode) {
    UserModeSettings settings;
    if (!ValidProfile(profile) || !ValidMode(mode))
        return settings;
    std::array<int, 1> tool{};
    ScanInts(ReadValue(ModeSection(mode), "tool", "0", UserModeFilePath(profile)), tool);
    settings.tool = tool[0];
    settings.baseColour = ReadColour(profile, mode, "jcolor");
    settings.paintColour = ReadColour(profile, mode, "color");
    return settings;
}

void WriteModeSettings(int profile, int mode, const UserModeSettings& settings) {
    if (!ValidProfile(profile) || !ValidMode(mode))
        return;
    const std::string section = ModeSection(mode);
    WriteUserModeValue(profile, section, "tool", std::to_string(settings.tool));
    WriteUserModeValue(profile, section, "jcolor", ColourText(settings.baseColour));
    WriteUserModeValue(profile, section, "color", ColourText(settings.paintColour));
}

int ReadPresentMode(int profile) {
    if (!ValidProfile(profile))
        return 0;
    std::array<int, 1> mode{};
    ScanInts(ReadValue(kPresentSection, kPresentKey, "0", UserModeFilePath(profile)), mode);
    // The mode indexes the ten-entry user-mode box; anything else is the first mode.
    return ValidMode(mode[0]) ? mode[0] : 0;
}

void WritePresentMode(int profile, int mode) {
    if (!ValidProfile(profile))
        return;
    WriteUserModeValue(profile, kPresentSection, kPresentKey, std::to_string(mode));
}

void ResetUserModes(int profile) {
    if (!ValidProfile(profile))
        return;
    EnsureDataFolder();
    std::vector<uint8_t> bytes;
    if (ReadFileBytes(ShippedUserModeFilePath(), bytes) != FileReadStatus::kOk)
        bytes.clear();
    WriteFileAtomically(UserModeFilePath(profile), std::span<const uint8_t>(bytes));
}

} // namespace velkarn
