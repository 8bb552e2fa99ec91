#include "platform/paths.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velkarn {
namespace {

std::string AbsoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/')
        return {};
    std::string s(value);
    while (s.size() > 1 && s.back() == '/')
        s.pop_back();
    return s;
}

} // namespace

std::string ExecutablePath() {
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return {};
    return std::string(buffer.data(), static_cast<size_t>(n));
}

std::string ProgramFolder() {
    const std::string exe = ExecutablePath();
    const auto slash = exe.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return slash == 0 ? std::string("/") : exe.substr(0, slash);
}

std::string HomeFolder() {
    std::string home = AbsoluteEnv("HOME");
    if (!home.empty())
        return home;
    struct passwd pw {};
    struct passwd* result = nullptr;
    std::vector<char> buffer(16384);
    if (::getpwuid_r(::getuid(), &pw, buffer.data(), buffer.size(), &result) == 0 && result != nullptr &&
        result->pw_dir != nullptr)
        return result->pw_dir;
    return {};
}

std::string UserDataFolder() {
    std::string dir = AbsoluteEnv("XDG_DATA_HOME");
    return dir.empty() ? JoinPath(HomeFolder(), ".local/share") : dir;
}

std::string UserConfigFolder() {
    std::string dir = AbsoluteEnv("XDG_CONFIG_HOME");
    return dir.empty() ? JoinPath(HomeFolder(), ".config") : dir;
}

std::string RuntimeFolder() {
    std::string dir = AbsoluteEnv("XDG_RUNTIME_DIR");
    if (!dir.empty())
        return dir;
    const uid_t uid = ::getuid();
    dir = "/tmp/velkarn-" + std::to_string(uid);
    ::mkdir(dir.c_str(), 0700);
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != uid)
        return {};
    if ((st.st_mode & 077) != 0 && ::chmod(dir.c_str(), 0700) != 0)
        return {};
    return dir;
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    if (dir.back() == '/')
        return dir + name;
    return dir + "/" + name;
}

std::string BaseName(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace velkarn
