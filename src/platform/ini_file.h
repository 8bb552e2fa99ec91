// INI settings files with the private-profile semantics the program grew up
// with: sections and keys compared without regard to case, blanks around
// names and values ignored, one pair of enclosing quotes (" or ') stripped
// from a value, the caller's default for a missing file, section or key, and
// writes that create the file, section and key as needed.
//
// Files are read as UTF-8 (with or without BOM) or UTF-16LE/BE with BOM, CRLF
// or LF, and written as UTF-8 with LF. Every write rewrites the whole file
// atomically (see atomic_file.h) and keeps every line it did not change. A
// file that cannot be read or decoded reads as defaults and is left alone by
// reads; a write over an undecodable file first keeps a copy of it as
// "<file>.bad", and a write over a file that exists but cannot be read fails
// instead of replacing content nobody has seen.
//
// Thread safety: any thread. Writes within the process are serialised so two
// threads updating different keys of one file do not lose each other's change.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace velkarn {

struct IniText {
    std::string text; // UTF-8
    size_t length;    // characters copied, in UTF-16 code units as the Windows call counts them
};

// The value of key in section, or defaultValue (trailing blanks removed) when
// the file, section or key is missing. The text is cut to capacity - 1
// UTF-16 code units; capacity 0 gives an empty text and length 0.
IniText GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                size_t capacity, const std::string& path);

// The value read as a decimal integer (optional sign, leading digits only,
// wrapping like the 32-bit original); defaultValue when the file, section or
// key is missing or the value is empty, 0 when it does not start with a digit.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue,
                         const std::string& path);

// Sets key in section to value. A null value deletes the key, a null key
// deletes the whole section. Returns false when the file could not be
// written, or when a name or value holds a line break or a NUL (which would
// corrupt the file), a key holds '=' or starts with '[', or a section holds ']'.
bool WritePrivateProfileString(std::string_view section, std::optional<std::string_view> key,
                               std::optional<std::string_view> value, const std::string& path);

} // namespace velkarn
