// The program's own file paths, built once from the executable's location:
// the skin files, the help folder, the firmware package, the companion
// program. Folders end with '/', so a file name can simply be appended.
//
// Thread safety: a PathTable is a plain value. The process-wide table is
// built on first use from /proc/self/exe (or set once by start-up or a test
// before any other thread looks); AppPaths() returns a copy, safe from any thread.
#pragma once

#include <string>

namespace velkarn {

struct PathTable {
    std::string programFileName;     // executable file name without folder: the instance lookup compares it
    std::string baseDirectory;       // folder of the executable, ending in '/'
    std::string helpDirectory;       // base + "Help/"
    std::string mainSkinFile;        // base + "Skins/Main.ini"
    std::string mainSkinDirectory;   // base + "Skins/"
    std::string userColourPrefix;    // base + "Skins/UserDengColor_"
    std::string profileSkinFile;     // base + "Skins/Profile.ini"
    std::string profileSkinDirectory;
    std::string updateSkinFile; // base + "Skins/UpdateDlg.ini"
    std::string updateSkinDirectory;
    std::string package; // base + "Package"
    std::string compositeSkinFile; // base + "Skins/Composite.ini"
    std::string compositeSkinDirectory;
    std::string companionProgram; // base + "Vigilor"

    // From the executable's full path.
    static PathTable FromExecutable(const std::string& executablePath);
    // As if the executable named programFileName lay in folder (tests, tools).
    static PathTable FromFolder(const std::string& folder, const std::string& programFileName = "velkarn");
};

// The process-wide table, built from /proc/self/exe on first use.
PathTable AppPaths();

// Replaces the process-wide table (start-up, tests).
void SetAppPaths(PathTable table);

} // namespace velkarn
