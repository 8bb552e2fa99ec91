#include "app/path_table.h"

#include "platform/paths.h"

#include <memory>
#include <mutex>

namespace velkarn {
namespace {

std::mutex& TableMutex() {
    static std::mutex mutex;
    return mutex;
}

std::unique_ptr<PathTable>& TableSlot() {
    static std::unique_ptr<PathTable> table;
    return table;
}

} // namespace

PathTable PathTable::FromExecutable(const std::string& executablePath) {
    const auto slash = executablePath.find_last_of('/');
    if (slash == std::string::npos)
        return FromFolder("", executablePath);
    return FromFolder(executablePath.substr(0, slash + 1), executablePath.substr(slash + 1));
}

PathTable PathTable::FromFolder(const std::string& folder, const std::string& programFileName) {
    PathTable t;
    t.programFileName = programFileName;
    t.baseDirectory = folder;
    if (!t.baseDirectory.empty() && t.baseDirectory.back() != '/')
        t.baseDirectory += '/';
    const std::string& base = t.baseDirectory;
    t.helpDirectory = base + "Help/";
    t.mainSkinDirectory = base + "Skins/";
    t.mainSkinFile = t.mainSkinDirectory + "Main.ini";
    t.userColourPrefix = t.mainSkinDirectory + "UserDengColor_";
    t.profileSkinDirectory = t.mainSkinDirectory;
    t.profileSkinFile = t.mainSkinDirectory + "Profile.ini";
    t.updateSkinDirectory = t.mainSkinDirectory;
    t.updateSkinFile = t.mainSkinDirectory + "UpdateDlg.ini";
    t.package = base + "Package";
    t.compositeSkinDirectory = t.mainSkinDirectory;
    t.compositeSkinFile = t.mainSkinDirectory + "Composite.ini";
    t.companionProgram = base + "Vigilor";
    return t;
}

PathTable AppPaths() {
    std::lock_guard lock(TableMutex());
    auto& slot = TableSlot();
    if (!slot)
        slot = std::make_unique<PathTable>(PathTable::FromExecutable(ExecutablePath()));
    return *slot;
}

void SetAppPaths(PathTable table) {
    std::lock_guard lock(TableMutex());
    TableSlot() = std::make_unique<PathTable>(std::move(table));
}

} // namespace velkarn
