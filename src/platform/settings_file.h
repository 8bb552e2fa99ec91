// The read-modify-write cycle shared by the text settings files (the INI
// files and the registry file): load and decode the file, set a file we
// cannot make sense of aside as "<name>.bad" instead of silently dropping it,
// and rewrite it atomically only when something changed.
//
// Thread safety: any thread. Updates of every settings file in the process
// take turns on one lock, and each holds the folder lock (FolderLock) so a
// second process updating the same file does not lose our change.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velkarn {

enum class SettingsLoad { kOk, kMissing, kUnreadable, kMalformed };

// Fills the caller's content from decoded text. False when the text is not a
// file of that kind; the content must then be left empty.
using SettingsParse = std::function<bool(std::string_view text)>;

// Reads path and hands its decoded text to parse. kMalformed when the bytes
// are not text or parse refuses them. The bytes read go to `bytes` when given.
SettingsLoad LoadSettingsText(const std::string& path, const SettingsParse& parse,
                              std::vector<uint8_t>* bytes = nullptr);

struct SettingsUpdate {
    SettingsParse parse;
    // Applies the edit to the parsed (or, for a missing or malformed file,
    // empty) content; false when nothing changed.
    std::function<bool()> change;
    // The whole new content.
    std::function<std::string()> serialise;
    // Create the file's folder first (a fresh configuration folder).
    bool createFolder = false;
};

// Runs one update of the file at path. A malformed file is copied to
// path + ".bad" and replaced by the edit alone; an unreadable one is left
// alone. False when the file could not be read or written.
bool UpdateSettingsFile(const std::string& path, const SettingsUpdate& update);

// A line break or NUL would split a line of a settings file or cut it short.
bool HasBreakOrNul(std::string_view s);

} // namespace velkarn
