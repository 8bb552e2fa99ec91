// The per-user registry: one text file in the registry export format that
// stands in for the HKEY_CURRENT_USER values the program keeps (the language
// choice under "Software\Sorvane Driver", the application profile section
// "PROFILES").
//
//   Windows Registry Editor Version 5.00
//
//   [HKEY_CURRENT_USER\Software\Sorvane Driver]
//   "dwLanguageId"=dword:00000409
//
// Key paths are given relative to HKEY_CURRENT_USER and compared, like value
// names, without regard to case. Values of types we do not write (hex:, hex(n):)
// are kept as they are on a rewrite and read as missing. A file that cannot be
// read or parsed reads as empty and is kept until the next write, which saves
// it as "<file>.bad" first. Every write rewrites the file atomically.
//
// Thread safety: a RegistryFile is a path and no state; any thread may use any
// instance. Writes within the process are serialised across instances.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace velkarn {

// $XDG_CONFIG_HOME/velkarn/registry.reg (else ~/.config/velkarn/registry.reg),
// read from the environment at each call.
std::string DefaultRegistryPath();

class RegistryFile {
public:
    explicit RegistryFile(std::string path) : m_path(std::move(path)) {}

    // The user's registry file at DefaultRegistryPath().
    static RegistryFile User() { return RegistryFile(DefaultRegistryPath()); }

    const std::string& Path() const { return m_path; }

    // nullopt when the file, key or value is missing or the value has another type.
    std::optional<uint32_t> ReadDword(std::string_view keyPath, std::string_view name) const;
    std::optional<std::string> ReadString(std::string_view keyPath, std::string_view name) const;
    bool KeyExists(std::string_view keyPath) const;

    // Create the key (and file, and folder) as needed; a value of another type
    // under the same name is replaced. False when the file could not be
    // written or a name or text holds a line break or NUL.
    bool WriteDword(std::string_view keyPath, std::string_view name, uint32_t value);
    bool WriteString(std::string_view keyPath, std::string_view name, std::string_view value);
    bool DeleteValue(std::string_view keyPath, std::string_view name);
    bool CreateKey(std::string_view keyPath);

private:
    std::string m_path;
};

} // namespace velkarn
