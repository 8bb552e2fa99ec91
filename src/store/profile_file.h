// The profile file on disk: the profile store file in the user's data
// folder, the files the user exports and imports (".fwc"), and the empty
// profile files of the profile manager. One layout serves them all (see
// profile_image.h).
//
// Every rewrite goes to a temporary file in the same folder that is renamed
// over the old one, so a crash, a full disk or a failed write leaves the
// previous file whole; ReadKeyboardIntoFile builds the whole image before it
// touches the file.
//
// Thread safety: all functions run on the UI thread. LoadProfileFile expects
// the store lock held by its caller; the save functions take it when asked
// (takeLock); ReadKeyboardIntoFile takes no lock and blocks on the keyboard.
#pragma once

#include "app/prompts.h"
#include "store/profile_image.h"
#include "store/profile_store.h"

#include <string>

namespace velkarn {

// Result codes of CheckProfileFile.
constexpr int kProfileFileValid = 1;
constexpr int kProfileFileInvalid = 0;     // missing, too small, 4 GiB or more, or header rejected
constexpr int kProfileFileUnreadable = -2; // cannot be opened for reading
constexpr int kProfileFileNoMemory = -3;

// The per-user data folder: user data folder + "/Ferrowyn Driver".
std::string DataFolder();

// Creates the data folder when it is missing and seeds it with the user
// lighting-mode files UserDengColor_0/1/2.userd, copies of the shipped
// Skins/UserDengColor_3.userd. An existing folder is left alone.
void EnsureDataFolder();

// EnsureDataFolder, then the path of the profile store file "$Profile0".
// The number is always 0: the one store file holds all three profiles.
std::string ProfileStoreFilePath(int profile = 0);

// Validates a file chosen for import; shows "PROFILE_FORMAT_ERROR" with the
// file's path when its header is rejected. The file is only read.
int CheckProfileFile(const std::string& path, Prompts& prompts);

// Reads a whole profile file into `out` (no store involved). False when it
// cannot be read or is shorter than its header announces.
bool ReadProfileContents(const std::string& path, ProfileContents& out);

// Puts contents into the store, replacing block, macros and texts. The
// caller holds the store lock.
void InstallProfileContents(ProfileStore& store, ProfileContents&& contents);

// Fills the emptied store from the file. When the file cannot be loaded the
// store gets a default block, so it never stays without one.
bool LoadProfileFile(ProfileStore& store, const std::string& path);

// Writes the store to the profile store file, only if that file exists.
bool SaveProfileStoreFile(ProfileStore& store, bool takeLock);

// Writes the store to path, creating or replacing it.
bool SaveProfileFileAs(ProfileStore& store, bool takeLock, const std::string& path);

// Builds a profile file from the keyboard's three key maps and macro area
// (no texts: the keyboard keeps none) and writes it to path. False, with the
// file untouched, when the keyboard is absent or a read fails.
bool ReadKeyboardIntoFile(ProfileStore& store, const std::string& path);

// The bytes ReadKeyboardIntoFile writes; empty when the keyboard is absent
// or a read fails.
std::vector<uint8_t> ReadKeyboardImage(ProfileStore& store);

// Replaces the store's contents with the keyboard's by way of the profile
// store file; a default block when the keyboard is absent or not answering.
// Refreshes every key button; keepApplyState false also disables Apply.
void ReloadFromKeyboard(ProfileStore& store, bool keepApplyState);

// The main window's import and export commands.
void ImportProfileFile(ProfileStore& store, Prompts& prompts);
void ExportProfileFile(ProfileStore& store, Prompts& prompts);

} // namespace velkarn
