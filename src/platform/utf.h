// UTF-8 <-> UTF-16 conversion. Texts live as UTF-8 in the program; the
// profile file's text pool, macro names and UTF-16 INI files are UTF-16LE.
// Malformed input never fails: a bad sequence becomes U+FFFD.
#pragma once

#include <string>
#include <string_view>

namespace velkarn {

std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

} // namespace velkarn
