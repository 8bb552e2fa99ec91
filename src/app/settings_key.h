// The per-user settings the program keeps in the registry file: the settings
// key "Software\Sorvane Driver" (the language choice) and the application
// profile section "PROFILES" (flip layout, record-delays setting, profile
// file list).
//
// Thread safety: any thread; every call reads or rewrites the registry file
// (see platform/registry_file.h), nothing is cached.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velkarn {

inline constexpr std::string_view kSettingsKeyPath = "Software\\Sorvane Driver";
inline constexpr std::string_view kAppProfileKeyPath = "Software\\Velkarn_Pelmaro\\PROFILES";

// Start-up opens the settings key once, creating it when missing. Failures
// are ignored: later reads then give defaults and writes fail quietly.
void OpenSettingsKey();

// Values of section "PROFILES". A missing value, or one of the wrong type,
// reads as the default. ReadProfileInt takes a DWORD value or a string
// holding a decimal number, since older settings stored numbers as text.
std::string ReadProfileString(std::string_view name, std::string_view defaultValue);
int ReadProfileInt(std::string_view name, int defaultValue);
// A null value deletes the entry.
bool WriteProfileString(std::string_view name, std::optional<std::string_view> value);
bool WriteProfileInt(std::string_view name, int value);

} // namespace velkarn
