#include "skin/ini_file.h"

#include "platform/ini_file.h"

namespace velkarn {

void CIniFile::SetPath(std::string path) {
    if (path.size() > 259) {
        path.resize(259);
    }
    m_path = std::move(path);
}

std::optional<std::string> CIniFile::GetString(std::string_view section, std::string_view key,
                                               std::string_view defaultValue) const {
    IniText text = GetPrivateProfileString(section, key, defaultValue, 2048, m_path);
    if (text.text.empty()) {
        return std::nullopt;
    }
    return std::move(text.text);
}

bool CIniFile::WriteString(std::string_view section, std::string_view key, std::string_view text) const {
    return WritePrivateProfileString(section, key, text, m_path);
}

} // namespace velkarn
