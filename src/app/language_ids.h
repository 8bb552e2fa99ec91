// Mapping of the locale environment to Windows language ids (LANGIDs), which
// name the language files (Lang0409.ini) and the stored language choice.
//
// Thread safety: pure functions over the environment.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkarn {

constexpr uint32_t kLangEnglishUs = 0x0409;

// LANGID of a POSIX locale name such as "en_GB.UTF-8" or "de_AT@euro".
// "C", "POSIX", an empty or unknown name give 0x0409. An unknown territory
// of a known language gives that language's main LANGID.
uint32_t LanguageIdFromLocale(std::string_view locale);

// The system default language: the first non-empty of LC_ALL, LC_MESSAGES,
// LANG, mapped by LanguageIdFromLocale.
uint32_t SystemDefaultLanguageId();

// The English-variant map applied to a first-run choice: the listed
// variants become 0x0409, anything else is returned unchanged.
uint32_t MapEnglishVariant(uint32_t langId);

// Full path of the language file of index (see localisation.h).
std::string LanguageFilePath(int index);

} // namespace velkarn
