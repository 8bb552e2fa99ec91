// Decoding of the text files we read (INI settings, language files, the
// registry file): UTF-8 with or without BOM, UTF-16LE or UTF-16BE with BOM.
//
// Thread safety: pure functions.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkarn {

// The file's text as UTF-8 without BOM, or nullopt when the bytes are not
// text we understand (an odd-length UTF-16 file, NUL bytes in the text).
// Invalid UTF-8 sequences are kept as they are so that a rewrite does not
// change lines nobody touched.
std::optional<std::string> DecodeTextFile(std::span<const uint8_t> bytes);

// Splits on LF; a CR before the LF is dropped. A final line without LF
// counts; an empty text has no lines.
std::vector<std::string> SplitLines(std::string_view text);

// ASCII blanks (space, tab, CR, LF, VT, FF) trimmed at both ends.
std::string_view TrimBlanks(std::string_view text);

// Case-insensitive comparison of ASCII letters; other bytes must be equal.
bool EqualsNoCase(std::string_view a, std::string_view b);

// Number of UTF-16 code units the UTF-8 text takes.
size_t Utf16Length(std::string_view utf8);

// The longest prefix of utf8 that fits in maxUnits UTF-16 code units without
// splitting a character.
std::string_view Utf8PrefixByUtf16Units(std::string_view utf8, size_t maxUnits);

} // namespace velkarn
