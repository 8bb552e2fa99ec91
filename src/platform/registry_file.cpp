#include "platform/registry_file.h"

#include "platform/paths.h"
#include "platform/settings_file.h"
#include "platform/text_decode.h"

#include <cstdio>
#include <vector>

namespace velkarn {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kOldHeader = "REGEDIT4";
constexpr std::string_view kRoot = "HKEY_CURRENT_USER\\";

struct RegValue {
    std::string name; // "" is the key's default value (@)
    std::string data; // as written after '=': dword:..., "text", hex:...
};

struct RegKey {
    std::string path; // full path, HKEY_CURRENT_USER\...
    std::vector<RegValue> values;
};

// Reads a quoted, backslash-escaped string starting at s[pos] == '"'. On
// success pos is just past the closing quote.
std::optional<std::string> ParseQuoted(std::string_view s, size_t& pos) {
    if (pos >= s.size() || s[pos] != '"')
        return std::nullopt;
    std::string out;
    for (size_t i = pos + 1; i < s.size(); ++i) {
        if (s[i] == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"'))
                return std::nullopt;
            out += s[++i];
        } else if (s[i] == '"') {
            pos = i + 1;
            return out;
        } else {
            out += s[i];
        }
    }
    return std::nullopt;
}

std::string Quote(std::string_view s) {
    std::string out = "\"";
    for (const char c : s) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    out += '"';
    return out;
}

bool ValidData(std::string_view data) {
    if (data == "-")
        return true;
    if (!data.empty() && data.front() == '"') {
        size_t pos = 0;
        return ParseQuoted(data, pos).has_value() && pos == data.size();
    }
    const size_t colon = data.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string_view type = data.substr(0, colon);
    return type == "dword" || type == "hex" || (type.starts_with("hex(") && type.ends_with(")"));
}

// nullopt when the text is not a registry file we can trust.
std::optional<std::vector<RegKey>> Parse(std::string_view text) {
    std::vector<std::string> lines = SplitLines(text);
    std::vector<RegKey> keys;
    bool headerSeen = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        std::string line(TrimBlanks(lines[i]));
        // Long hex values are continued on the next line after a trailing backslash.
        while (!line.empty() && line.back() == '\\' && line.find('=') != std::string::npos &&
               line.find("=\"") == std::string::npos && i + 1 < lines.size()) {
            line.pop_back();
            line += TrimBlanks(lines[++i]);
        }
        if (line.empty() || line.front() == ';')
            continue;
        if (!headerSeen) {
            if (line != kHeader && line != kOldHeader)
                return std::nullopt;
            headerSeen = true;
            continue;
        }
        if (line.front() == '[') {
            if (line.back() != ']' || line.size() < 3)
                return std::nullopt;
            keys.push_back({line.substr(1, line.size() - 2), {}});
            continue;
        }
        if (keys.empty())
            return std::nullopt;
        RegValue value;
        size_t pos = 0;
        if (line.front() == '@') {
            pos = 1;
        } else {
            auto name = ParseQuoted(line, pos);
            if (!name)
                return std::nullopt;
            value.name = std::move(*name);
        }
        if (pos >= line.size() || line[pos] != '=')
            return std::nullopt;
        value.data = std::string(TrimBlanks(std::string_view(line).substr(pos + 1)));
        if (!ValidData(value.data))
            return std::nullopt;
        keys.back().values.push_back(std::move(value));
    }
    if (!headerSeen && !keys.empty())
        return std::nullopt;
    return keys;
}

std::string Serialise(const std::vector<RegKey>& keys) {
    std::string out(kHeader);
    out += "\n\n";
    for (const RegKey& key : keys) {
        out += "[" + key.path + "]\n";
        for (const RegValue& value : key.values)
            out += (value.name.empty() ? std::string("@") : Quote(value.name)) + "=" + value.data + "\n";
        out += "\n";
    }
    return out;
}

std::string FullPath(std::string_view keyPath) {
    while (!keyPath.empty() && keyPath.front() == '\\')
        keyPath.remove_prefix(1);
    while (!keyPath.empty() && keyPath.back() == '\\')
        keyPath.remove_suffix(1);
    return std::string(kRoot) + std::string(keyPath);
}

// Keys stay empty when the text is refused.
bool ParseInto(std::vector<RegKey>& keys, std::string_view text) {
    auto parsed = Parse(text);
    if (!parsed)
        return false;
    keys = std::move(*parsed);
    return true;
}

struct Loaded {
    SettingsLoad result = SettingsLoad::kMissing;
    std::vector<RegKey> keys;
};

Loaded Load(const std::string& path) {
    Loaded loaded;
    loaded.result =
        LoadSettingsText(path, [&](std::string_view text) { return ParseInto(loaded.keys, text); });
    return loaded;
}

RegKey* FindKey(std::vector<RegKey>& keys, std::string_view fullPath) {
    for (RegKey& key : keys)
        if (EqualsNoCase(key.path, fullPath))
            return &key;
    return nullptr;
}

std::optional<std::string> FindData(const std::string& path, std::string_view keyPath,
                                    std::string_view name) {
    Loaded loaded = Load(path);
    if (loaded.result != SettingsLoad::kOk)
        return std::nullopt;
    RegKey* key = FindKey(loaded.keys, FullPath(keyPath));
    if (key == nullptr)
        return std::nullopt;
    // A later duplicate wins, as it would when the file is imported.
    std::optional<std::string> data;
    for (const RegValue& value : key->values)
        if (EqualsNoCase(value.name, name))
            data = value.data;
    return data;
}

// Applies change to the parsed file and rewrites it; the registry file's
// folder is created on the first write.
template <typename Change> bool Modify(const std::string& path, Change change) {
    std::vector<RegKey> keys;
    SettingsUpdate update;
    update.parse = [&](std::string_view text) { return ParseInto(keys, text); };
    update.change = [&] { return change(keys); };
    update.serialise = [&] { return Serialise(keys); };
    update.createFolder = true;
    return UpdateSettingsFile(path, update);
}

bool SetData(const std::string& path, std::string_view keyPath, std::string_view name, std::string data) {
    if (HasBreakOrNul(keyPath) || HasBreakOrNul(name) || keyPath.find(']') != std::string_view::npos)
        return false;
    return Modify(path, [&](std::vector<RegKey>& keys) {
        const std::string full = FullPath(keyPath);
        RegKey* key = FindKey(keys, full);
        if (key == nullptr) {
            keys.push_back({full, {}});
            key = &keys.back();
        }
        bool replaced = false;
        for (auto it = key->values.begin(); it != key->values.end();) {
            if (EqualsNoCase(it->name, name)) {
                if (replaced) {
                    it = key->values.erase(it);
                    continue;
                }
                it->data = data;
                replaced = true;
            }
            ++it;
        }
        if (!replaced)
            key->values.push_back({std::string(name), data});
        return true;
    });
}

} // namespace

std::string DefaultRegistryPath() {
    return JoinPath(UserConfigFolder(), "velkarn/registry.reg");
}

std::optional<uint32_t> RegistryFile::ReadDword(std::string_view keyPath, std::string_view name) const {
    const auto data = FindData(m_path, keyPath, name);
    if (!data || !data->starts_with("dword:"))
        return std::nullopt;
    const std::string_view hex = std::string_view(*data).substr(6);
    if (hex.empty() || hex.size() > 8)
        return std::nullopt;
    uint32_t value = 0;
    for (const char c : hex) {
        uint32_t digit = 0;
        if (c >= '0' && c <= '9')
            digit = static_cast<uint32_t>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<uint32_t>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<uint32_t>(c - 'A' + 10);
        else
            return std::nullopt;
        value = value * 16u + digit;
    }
    return value;
}

std::optional<std::string> RegistryFile::ReadString(std::string_view keyPath, std::string_view name) const {
    const auto data = FindData(m_path, keyPath, name);
    if (!data || data->empty() || data->front() != '"')
        return std::nullopt;
    size_t pos = 0;
    return ParseQuoted(*data, pos);
}

bool RegistryFile::KeyExists(std::string_view keyPath) const {
    Loaded loaded = Load(m_path);
    return loaded.result == SettingsLoad::kOk && FindKey(loaded.keys, FullPath(keyPath)) != nullptr;
}

bool RegistryFile::WriteDword(std::string_view keyPath, std::string_view name, uint32_t value) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "%08x", value);
    return SetData(m_path, keyPath, name, std::string("dword:") + hex);
}

bool RegistryFile::WriteString(std::string_view keyPath, std::string_view name, std::string_view value) {
    if (HasBreakOrNul(value))
        return false;
    return SetData(m_path, keyPath, name, Quote(value));
}

bool RegistryFile::DeleteValue(std::string_view keyPath, std::string_view name) {
    return Modify(m_path, [&](std::vector<RegKey>& keys) {
        RegKey* key = FindKey(keys, FullPath(keyPath));
        if (key == nullptr)
            return false;
        const auto before = key->values.size();
        std::erase_if(key->values, [&](const RegValue& v) { return EqualsNoCase(v.name, name); });
        return key->values.size() != before;
    });
}

bool RegistryFile::CreateKey(std::string_view keyPath) {
    if (HasBreakOrNul(keyPath) || keyPath.find(']') != std::string_view::npos)
        return false;
    return Modify(m_path, [&](std::vector<RegKey>& keys) {
        const std::string full = FullPath(keyPath);
        if (FindKey(keys, full) != nullptr)
            return false;
        keys.push_back({full, {}});
        return true;
    });
}

} // namespace velkarn
