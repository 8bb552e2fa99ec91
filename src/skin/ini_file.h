// CIniFile: the skinned dialog's reader of its own skin INI file.
//
// Thread safety: any thread (the platform INI module serialises writes).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velkarn {

class CIniFile {
public:
    CIniFile() = default;
    explicit CIniFile(std::string path) { SetPath(std::move(path)); }

    // Paths longer than 259 characters are cut, as the reader always did.
    void SetPath(std::string path);
    const std::string& Path() const { return m_path; }

    // The value (at most 2047 characters), or nothing when the text read is empty.
    std::optional<std::string> GetString(std::string_view section, std::string_view key,
                                         std::string_view defaultValue = {}) const;
    bool WriteString(std::string_view section, std::string_view key, std::string_view text) const;

private:
    std::string m_path;
};

} // namespace velkarn
