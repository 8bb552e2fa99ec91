// Where the program and the user's files live.
//
// Folders are returned without a trailing '/'. The XDG variables are read at
// each call (tests point them at private folders); a relative or empty value
// is ignored, as the XDG rules say.
//
// Thread safety: any thread; nothing is cached.
#pragma once

#include <string>

namespace velkarn {

// Full path of the running executable (/proc/self/exe); empty if unknown.
std::string ExecutablePath();

// Folder of the running executable; it holds Skins/, Help/ and the language file.
std::string ProgramFolder();

// The user's home: $HOME, else the password database entry.
std::string HomeFolder();

// $XDG_DATA_HOME, else ~/.local/share. Not created.
std::string UserDataFolder();

// $XDG_CONFIG_HOME, else ~/.config. Not created.
std::string UserConfigFolder();

// $XDG_RUNTIME_DIR, else a private folder /tmp/velkarn-<uid> created with
// mode 0700. The fallback is refused (empty result) when it is a symbolic
// link, not a folder, or owned by someone else, since lock files and sockets
// placed there must not be reachable by other users.
std::string RuntimeFolder();

// "dir/name" from a folder and a name; tolerates a trailing '/' on dir.
std::string JoinPath(const std::string& dir, const std::string& name);

// Everything after the last '/'.
std::string BaseName(const std::string& path);

} // namespace velkarn
