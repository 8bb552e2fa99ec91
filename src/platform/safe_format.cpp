#include "platform/safe_format.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

namespace velkarn {
namespace {

// Widths and precisions beyond this are not a translation's business and
// would let a text allocate without bound.
constexpr int kMaxField = 512;

enum class ConvKind { kInt, kString, kOther };

struct Conversion {
    size_t begin = 0; // index of '%'
    size_t end = 0;   // one past the conversion character
    ConvKind kind = ConvKind::kOther;
    std::string flags;
    int width = -1;
    int precision = -1;
    std::string length; // "", "h", "hh", "l", "ll"
    char conv = 0;
};

bool ReadNumber(std::string_view f, size_t& i, int& out) {
    if (i >= f.size() || f[i] < '0' || f[i] > '9')
        return false;
    int value = 0;
    while (i < f.size() && f[i] >= '0' && f[i] <= '9') {
        value = value * 10 + (f[i] - '0');
        if (value > kMaxField)
            return false;
        ++i;
    }
    out = value;
    return true;
}

// Parses the conversion starting at f[start] == '%' (not "%%"). nullopt for
// anything we would not hand to printf: '*' fields, %n, huge fields, a text
// that ends mid-conversion.
std::optional<Conversion> ParseConversion(std::string_view f, size_t start) {
    Conversion c;
    c.begin = start;
    size_t i = start + 1;
    while (i < f.size() && std::string_view("-+ #0").find(f[i]) != std::string_view::npos)
        c.flags += f[i++];
    if (i < f.size() && f[i] >= '0' && f[i] <= '9' && !ReadNumber(f, i, c.width))
        return std::nullopt;
    if (i < f.size() && f[i] == '.') {
        ++i;
        c.precision = 0;
        if (i < f.size() && f[i] >= '0' && f[i] <= '9' && !ReadNumber(f, i, c.precision))
            return std::nullopt;
    }
    if (i < f.size() && (f[i] == 'h' || f[i] == 'l')) {
        c.length += f[i++];
        if (i < f.size() && f[i] == c.length[0])
            c.length += f[i++];
    }
    if (i >= f.size())
        return std::nullopt;
    c.conv = f[i++];
    c.end = i;
    switch (c.conv) {
    case 'd':
    case 'i':
    case 'u':
    case 'x':
    case 'X':
    case 'o':
        c.kind = ConvKind::kInt;
        break;
    case 's':
        c.kind = (c.length.empty() || c.length == "l") ? ConvKind::kString : ConvKind::kOther;
        break;
    case 'S':
        c.kind = c.length.empty() ? ConvKind::kString : ConvKind::kOther;
        break;
    default:
        return std::nullopt;
    }
    return c;
}

// The format with "%%" made '%' and everything else as it stands.
std::string Literal(std::string_view f) {
    std::string out;
    for (size_t i = 0; i < f.size(); ++i) {
        out += f[i];
        if (f[i] == '%' && i + 1 < f.size() && f[i + 1] == '%')
            ++i;
    }
    return out;
}

// Literal() of the text around the one conversion, with its expansion between.
std::optional<Conversion> SingleConversion(std::string_view f, ConvKind wanted) {
    std::optional<Conversion> found;
    for (size_t i = 0; i < f.size(); ++i) {
        if (f[i] != '%')
            continue;
        if (i + 1 < f.size() && f[i + 1] == '%') {
            ++i;
            continue;
        }
        auto c = ParseConversion(f, i);
        if (!c || found || c->kind != wanted)
            return std::nullopt;
        found = c;
        i = c->end - 1;
    }
    return found;
}

std::string FormatIntField(const Conversion& c, int64_t value) {
    std::string pattern = "%" + c.flags;
    if (c.width >= 0)
        pattern += std::to_string(c.width);
    if (c.precision >= 0)
        pattern += "." + std::to_string(c.precision);
    pattern += "ll";
    const bool isSigned = c.conv == 'd' || c.conv == 'i';
    pattern += c.conv;
    // The texts were written for a 32-bit world: no modifier and 'l' are 32 bits.
    long long s = 0;
    unsigned long long u = 0;
    if (c.length == "hh") {
        s = static_cast<int8_t>(value);
        u = static_cast<uint8_t>(value);
    } else if (c.length == "h") {
        s = static_cast<int16_t>(value);
        u = static_cast<uint16_t>(value);
    } else if (c.length == "ll") {
        s = value;
        u = static_cast<uint64_t>(value);
    } else {
        s = static_cast<int32_t>(value);
        u = static_cast<uint32_t>(value);
    }
    char buffer[kMaxField * 2 + 64];
    const int n = isSigned ? std::snprintf(buffer, sizeof buffer, pattern.c_str(), s)
                           : std::snprintf(buffer, sizeof buffer, pattern.c_str(), u);
    if (n < 0)
        return {};
    return std::string(buffer, std::min(static_cast<size_t>(n), sizeof buffer - 1));
}

// Characters counted as code points, so a precision never splits a UTF-8 sequence.
std::string FormatStringField(const Conversion& c, std::string_view value) {
    size_t bytes = 0;
    size_t chars = 0;
    const size_t limit = c.precision >= 0 ? static_cast<size_t>(c.precision) : SIZE_MAX;
    while (bytes < value.size() && chars < limit) {
        ++bytes;
        while (bytes < value.size() && (static_cast<uint8_t>(value[bytes]) & 0xC0) == 0x80)
            ++bytes;
        ++chars;
    }
    std::string text(value.substr(0, bytes));
    if (c.width > 0 && chars < static_cast<size_t>(c.width)) {
        const std::string pad(static_cast<size_t>(c.width) - chars, ' ');
        text = c.flags.find('-') != std::string::npos ? text + pad : pad + text;
    }
    return text;
}

template <typename Expand> std::string Format(std::string_view format, ConvKind kind, Expand expand) {
    const auto c = SingleConversion(format, kind);
    if (!c)
        return Literal(format);
    return Literal(format.substr(0, c->begin)) + expand(*c) + Literal(format.substr(c->end));
}

} // namespace

std::string FormatInt(std::string_view format, int64_t value) {
    return Format(format, ConvKind::kInt, [&](const Conversion& c) { return FormatIntField(c, value); });
}

std::string FormatString(std::string_view format, std::string_view value) {
    return Format(format, ConvKind::kString,
                  [&](const Conversion& c) { return FormatStringField(c, value); });
}

} // namespace velkarn
