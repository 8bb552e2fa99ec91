// Whole-file reads and crash-safe whole-file writes.
//
// Every file the program rewrites (INI settings, the registry file, the
// profile store) goes through WriteFileAtomically: the new content is written
// to a temporary file in the same folder, flushed to disk and renamed over the
// old file, so a crash or a full disk leaves either the old or the new file,
// never half of one.
//
// Thread safety: the functions keep no state; concurrent writers of the same
// path each produce a whole file and the last rename wins. Callers that read,
// modify and write the same file serialise that themselves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace velkarn {

enum class FileReadStatus : int {
    kOk = 0,
    kMissing = 1,    // no such file (or a folder on the way is missing)
    kUnreadable = 2, // exists but cannot be read: permissions, a folder, too large, I/O error
};

// Files we read whole are small settings files; anything larger than this is
// not one of ours and is refused rather than read into memory.
constexpr size_t kMaxReadFileSize = 64u * 1024u * 1024u;

FileReadStatus ReadFileBytes(const std::string& path, std::vector<uint8_t>& out,
                             size_t maxSize = kMaxReadFileSize);

// Replaces the content of path with bytes. Keeps the mode of an existing
// file (a new file gets 0666 less the umask) and writes through a symbolic
// link to its target instead of replacing the link. A read-only file is not
// replaced. False when anything failed; the old file is then untouched.
bool WriteFileAtomically(const std::string& path, std::span<const uint8_t> bytes);
bool WriteFileAtomically(const std::string& path, std::string_view text);

// Holds an exclusive lock on the folder of a file for the length of a
// read-modify-write, so two processes updating the same settings file (a
// second instance, a tool) do not lose each other's change. Where the folder
// cannot be locked the update simply goes ahead unlocked.
class FolderLock {
public:
    explicit FolderLock(const std::string& filePath);
    ~FolderLock();
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;

private:
    int m_fd = -1;
};

// Creates path and any missing parent folders with the given mode (umask
// applies). True when the folder exists afterwards.
bool MakeFolders(const std::string& path, unsigned mode = 0700);

} // namespace velkarn
