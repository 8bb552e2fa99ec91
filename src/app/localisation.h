// Language choice and the lookup of user-visible texts in the language file
// (Lang%04X.ini beside the executable).
//
// Nothing is cached: every lookup reads the registry value and the file
// again, so a changed language takes effect at the next lookup. Lookups are
// made from the UI thread and from worker threads (message boxes of the
// presence worker); they share no mutable state.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace velkarn {

// Windows language id (LANGID) chosen for this user: the stored
// "dwLanguageId", or on first run the system language from the locale
// environment (LC_ALL, LC_MESSAGES, LANG), mapped as described in the
// implementation. May write the registry value.
uint32_t GetLanguageId();

// Position of GetLanguageId() in the supported-language table, 0 when none.
int GetLanguageIndex();

// Text of key in section "TEXT", "LIGHT" or "MODE" of the language file of
// index. A missing file or key gives "#Error"; a key with an empty value
// gives an empty text; texts are cut to 259 characters.
std::string LoadText(std::string_view key, int index);
std::string LoadLightText(std::string_view key, int index);
std::string LoadModeText(std::string_view key, int index);

// LoadText(key, GetLanguageIndex()): what almost every caller wants.
std::string Text(std::string_view key);

} // namespace velkarn
