#include "platform/ini_file.h"

#include "platform/settings_file.h"
#include "platform/text_decode.h"

#include <cstdint>
#include <vector>

namespace velkarn {
namespace {

enum class LineKind { kOther, kSection, kKey };

struct IniLine {
    std::string raw;
    LineKind kind = LineKind::kOther;
    std::string name;  // section or key name, trimmed
    std::string value; // trimmed, quotes not yet stripped
    bool hasValue = false;
};

IniLine ParseLine(std::string raw) {
    IniLine line;
    line.raw = std::move(raw);
    const std::string_view t = TrimBlanks(line.raw);
    if (t.empty())
        return line;
    if (t.front() == '[') {
        const size_t close = t.rfind(']');
        if (close == std::string_view::npos || close == 0)
            return line;
        line.kind = LineKind::kSection;
        line.name = std::string(TrimBlanks(t.substr(1, close - 1)));
        return line;
    }
    line.kind = LineKind::kKey;
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        line.name = std::string(t);
        return line;
    }
    line.name = std::string(TrimBlanks(t.substr(0, eq)));
    line.value = std::string(TrimBlanks(t.substr(eq + 1)));
    line.hasValue = true;
    return line;
}

std::string_view StripQuotes(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// Any text is an INI file: lines that are neither sections nor keys are kept
// as they stand.
bool ParseInto(std::vector<IniLine>& lines, std::string_view text) {
    for (auto& raw : SplitLines(text))
        lines.push_back(ParseLine(std::move(raw)));
    return true;
}

// Index of the key line, searching every section of that name in file order.
std::optional<size_t> FindKey(const std::vector<IniLine>& lines, std::string_view section,
                              std::string_view key) {
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const IniLine& line = lines[i];
        if (line.kind == LineKind::kSection)
            inSection = EqualsNoCase(line.name, section);
        else if (inSection && line.kind == LineKind::kKey && EqualsNoCase(line.name, key))
            return i;
    }
    return std::nullopt;
}

std::optional<size_t> FindSection(const std::vector<IniLine>& lines, std::string_view section) {
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].kind == LineKind::kSection && EqualsNoCase(lines[i].name, section))
            return i;
    return std::nullopt;
}

// One past the last non-blank line of the section whose header is at header.
size_t SectionInsertPoint(const std::vector<IniLine>& lines, size_t header) {
    size_t insert = header + 1;
    for (size_t i = header + 1; i < lines.size() && lines[i].kind != LineKind::kSection; ++i)
        if (!TrimBlanks(lines[i].raw).empty())
            insert = i + 1;
    return insert;
}

bool DeleteSection(std::vector<IniLine>& lines, std::string_view section) {
    bool changed = false;
    size_t i = 0;
    while (i < lines.size()) {
        if (lines[i].kind == LineKind::kSection && EqualsNoCase(lines[i].name, section)) {
            size_t end = i + 1;
            while (end < lines.size() && lines[end].kind != LineKind::kSection)
                ++end;
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i),
                        lines.begin() + static_cast<std::ptrdiff_t>(end));
            changed = true;
        } else {
            ++i;
        }
    }
    return changed;
}

bool ValidWrite(std::string_view section, std::optional<std::string_view> key,
                std::optional<std::string_view> value) {
    if (HasBreakOrNul(section) || section.find(']') != std::string_view::npos)
        return false;
    if (key) {
        const std::string_view k = TrimBlanks(*key);
        if (HasBreakOrNul(*key) || k.empty() || k.find('=') != std::string_view::npos || k.front() == '[')
            return false;
    }
    return !(value && HasBreakOrNul(*value));
}

std::string Serialise(const std::vector<IniLine>& lines) {
    std::string out;
    for (const IniLine& line : lines) {
        out += line.raw;
        out += '\n';
    }
    return out;
}

// The edit of one write; false when the file stays as it was.
bool ApplyWrite(std::vector<IniLine>& lines, std::string_view section, std::optional<std::string_view> key,
                std::optional<std::string_view> value) {
    bool changed = false;
    if (!key) {
        changed = DeleteSection(lines, section);
    } else if (!value) {
        if (const auto index = FindKey(lines, section, *key)) {
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(*index));
            changed = true;
        }
    } else {
        const std::string keyName(TrimBlanks(*key));
        if (const auto index = FindKey(lines, section, keyName)) {
            lines[*index] = ParseLine(lines[*index].name + "=" + std::string(*value));
        } else if (const auto header = FindSection(lines, section)) {
            const size_t at = SectionInsertPoint(lines, *header);
            lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at),
                         ParseLine(keyName + "=" + std::string(*value)));
        } else {
            // Built by appending: GCC 12 at -O3 misreads `"[" + std::string(...)`
            // as an overlapping copy (-Wrestrict).
            std::string sectionLine(1, '[');
            sectionLine.append(section);
            sectionLine.push_back(']');
            lines.push_back(ParseLine(sectionLine));
            lines.push_back(ParseLine(keyName + "=" + std::string(*value)));
        }
        changed = true;
    }
    return changed;
}

} // namespace

IniText GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                size_t capacity, const std::string& path) {
    if (capacity == 0)
        return {std::string(), 0};

    std::string_view found = defaultValue;
    const size_t lastNonBlank = found.find_last_not_of(" \t");
    found = lastNonBlank == std::string_view::npos ? std::string_view() : found.substr(0, lastNonBlank + 1);

    std::vector<IniLine> lines;
    if (LoadSettingsText(path, [&](std::string_view text) { return ParseInto(lines, text); }) ==
        SettingsLoad::kOk) {
        if (const auto index = FindKey(lines, TrimBlanks(section), TrimBlanks(key)))
            found = StripQuotes(lines[*index].value);
    }
    std::string text(Utf8PrefixByUtf16Units(found, capacity - 1));
    const size_t length = Utf16Length(text);
    return {std::move(text), length};
}

int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& path) {
    const IniText value = GetPrivateProfileString(section, key, "", 260, path);
    if (value.length == 0)
        return defaultValue;
    std::string_view s = TrimBlanks(value.text);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    uint32_t result = 0;
    for (const char c : s) {
        if (c < '0' || c > '9')
            break;
        result = result * 10u + static_cast<uint32_t>(c - '0');
    }
    if (negative)
        result = 0u - result;
    return static_cast<int>(result);
}

bool WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
                               std::optional<std::string_view> value, const std::string& path) {
    if (!ValidWrite(section, key, value))
        return false;
    section = TrimBlanks(section);
    std::vector<IniLine> lines;
    SettingsUpdate update;
    update.parse = [&](std::string_view text) { return ParseInto(lines, text); };
    update.serialise = [&] { return Serialise(lines); };
    update.change = [&] { return ApplyWrite(lines, section, key, value); };
    return UpdateSettingsFile(path, update);
}

} // namespace velkarn
