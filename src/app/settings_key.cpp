#include "app/settings_key.h"

#include "platform/registry_file.h"
#include "platform/text_decode.h"

#include <charconv>

namespace velkarn {

void OpenSettingsKey() {
    RegistryFile registry = RegistryFile::User();
    if (!registry.KeyExists(kSettingsKeyPath))
        registry.CreateKey(kSettingsKeyPath);
}

std::string ReadProfileString(std::string_view name, std::string_view defaultValue) {
    if (auto value = RegistryFile::User().ReadString(kAppProfileKeyPath, name))
        return *value;
    return std::string(defaultValue);
}

int ReadProfileInt(std::string_view name, int defaultValue) {
    const RegistryFile registry = RegistryFile::User();
    if (const auto dword = registry.ReadDword(kAppProfileKeyPath, name))
        return static_cast<int>(*dword);
    if (const auto text = registry.ReadString(kAppProfileKeyPath, name)) {
        const std::string_view t = TrimBlanks(*text);
        int value = 0;
        const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
        if (ec == std::errc() && end == t.data() + t.size())
            return value;
    }
    return defaultValue;
}

bool WriteProfileString(std::string_view name, std::optional<std::string_view> value) {
    RegistryFile registry = RegistryFile::User();
    if (!value)
        return registry.DeleteValue(kAppProfileKeyPath, name);
    return registry.WriteString(kAppProfileKeyPath, name, *value);
}

bool WriteProfileInt(std::string_view name, int value) {
    return RegistryFile::User().WriteDword(kAppProfileKeyPath, name, static_cast<uint32_t>(value));
}

} // namespace velkarn
