#include "platform/settings_file.h"

#include "platform/atomic_file.h"
#include "platform/text_decode.h"

#include <mutex>
#include <span>

namespace velkarn {

SettingsLoad LoadSettingsText(const std::string& path, const SettingsParse& parse,
                              std::vector<uint8_t>* bytes) {
    std::vector<uint8_t> read;
    std::vector<uint8_t>& data = bytes ? *bytes : read;
    const FileReadStatus status = ReadFileBytes(path, data);
    if (status == FileReadStatus::kMissing)
        return SettingsLoad::kMissing;
    if (status != FileReadStatus::kOk)
        return SettingsLoad::kUnreadable;
    const auto text = DecodeTextFile(data);
    if (!text || !parse(*text))
        return SettingsLoad::kMalformed;
    return SettingsLoad::kOk;
}

bool UpdateSettingsFile(const std::string& path, const SettingsUpdate& update) {
    static std::mutex mutex;
    std::lock_guard lock(mutex);
    if (update.createFolder) {
        // The folder must exist before it can be locked.
        const auto slash = path.find_last_of('/');
        if (slash != std::string::npos && slash > 0)
            MakeFolders(path.substr(0, slash), 0700);
    }
    const FolderLock folderLock(path);

    std::vector<uint8_t> bytes;
    const SettingsLoad loaded = LoadSettingsText(path, update.parse, &bytes);
    if (loaded == SettingsLoad::kUnreadable)
        return false;
    // The content is not ours to judge; keep it where the user can find it.
    if (loaded == SettingsLoad::kMalformed &&
        !WriteFileAtomically(path + ".bad", std::span<const uint8_t>(bytes)))
        return false;
    if (!update.change() && loaded != SettingsLoad::kMalformed)
        return true;
    return WriteFileAtomically(path, update.serialise());
}

bool HasBreakOrNul(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

} // namespace velkarn
