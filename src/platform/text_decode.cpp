#include "platform/text_decode.h"

#include "platform/utf.h"

namespace velkarn {
namespace {

// Length of the UTF-8 sequence starting with lead byte b, 1 for anything
// that is not a valid lead byte (it is then counted as one character).
size_t SequenceLength(uint8_t b) {
    if (b < 0x80)
        return 1;
    if ((b & 0xE0) == 0xC0)
        return 2;
    if ((b & 0xF0) == 0xE0)
        return 3;
    if ((b & 0xF8) == 0xF0)
        return 4;
    return 1;
}

// Steps over one character; returns its length in bytes and in UTF-16 units.
void NextChar(std::string_view s, size_t pos, size_t& bytes, size_t& units) {
    const size_t len = SequenceLength(static_cast<uint8_t>(s[pos]));
    if (len == 1 || pos + len > s.size()) {
        bytes = 1;
        units = 1;
        return;
    }
    for (size_t k = 1; k < len; ++k) {
        if ((static_cast<uint8_t>(s[pos + k]) & 0xC0) != 0x80) {
            bytes = 1;
            units = 1;
            return;
        }
    }
    bytes = len;
    units = len == 4 ? 2 : 1;
}

} // namespace

std::optional<std::string> DecodeTextFile(std::span<const uint8_t> bytes) {
    std::string text;
    if (bytes.size() >= 2 &&
        ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        const bool little = bytes[0] == 0xFF;
        if (bytes.size() % 2 != 0)
            return std::nullopt;
        std::u16string wide;
        wide.reserve(bytes.size() / 2);
        for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
            const auto unit = little ? static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8))
                                     : static_cast<char16_t>((bytes[i] << 8) | bytes[i + 1]);
            wide += unit;
        }
        text = Utf16ToUtf8(wide);
    } else {
        size_t start = 0;
        if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
            start = 3;
        text.assign(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end());
    }
    if (text.find('\0') != std::string::npos)
        return std::nullopt;
    return text;
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t pos = 0;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        const size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        pos = next;
    }
    return lines;
}

std::string_view TrimBlanks(std::string_view text) {
    constexpr std::string_view kBlanks = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    const size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i];
        char y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

size_t Utf16Length(std::string_view utf8) {
    size_t units = 0;
    size_t pos = 0;
    while (pos < utf8.size()) {
        size_t b = 0;
        size_t u = 0;
        NextChar(utf8, pos, b, u);
        pos += b;
        units += u;
    }
    return units;
}

std::string_view Utf8PrefixByUtf16Units(std::string_view utf8, size_t maxUnits) {
    size_t units = 0;
    size_t pos = 0;
    while (pos < utf8.size()) {
        size_t b = 0;
        size_t u = 0;
        NextChar(utf8, pos, b, u);
        if (units + u > maxUnits)
            break;
        pos += b;
        units += u;
    }
    return utf8.substr(0, pos);
}

} // namespace velkarn
