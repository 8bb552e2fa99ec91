// Formatting of language texts that are used as format strings.
//
// A translation is data, not code: a text meant to take one integer may
// carry a stray %s, a %n or three conversions. These formatters substitute
// the argument only for a text with exactly one conversion of the matching
// kind; any other text is returned literally ("%%" still becomes "%").
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkarn {

// One integer conversion: %d %i %u %x %X %o, with optional flags, width and
// precision, and an optional length modifier (h, hh, l, ll).
std::string FormatInt(std::string_view format, int64_t value);

// One string conversion: %s (also %ls / %S), with optional flags, width and precision.
std::string FormatString(std::string_view format, std::string_view value);

} // namespace velkarn
