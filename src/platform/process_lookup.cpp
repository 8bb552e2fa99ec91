#include "platform/process_lookup.h"

#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/text_decode.h"

#include <algorithm>
#include <climits>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace velkarn {
namespace {

std::vector<int> ProcessIds() {
    std::vector<int> pids;
    DIR* dir = ::opendir("/proc");
    if (dir == nullptr)
        return pids;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.empty() ||
            !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        if (name.size() > 9)
            continue;
        pids.push_back(std::stoi(std::string(name)));
    }
    ::closedir(dir);
    std::sort(pids.begin(), pids.end());
    return pids;
}

} // namespace

std::string ProcessProgramName(int pid) {
    const std::string base = "/proc/" + std::to_string(pid);
    std::vector<char> buffer(PATH_MAX + 1);
    const ssize_t n = ::readlink((base + "/exe").c_str(), buffer.data(), buffer.size() - 1);
    if (n > 0) {
        std::string exe(buffer.data(), static_cast<size_t>(n));
        // An executable replaced by an update while running still names its program.
        constexpr std::string_view kDeleted = " (deleted)";
        if (exe.ends_with(kDeleted))
            exe.resize(exe.size() - kDeleted.size());
        return BaseName(exe);
    }
    std::vector<uint8_t> cmdline;
    if (ReadFileBytes(base + "/cmdline", cmdline, 1u << 20) != FileReadStatus::kOk || cmdline.empty())
        return {};
    const auto end = std::find(cmdline.begin(), cmdline.end(), uint8_t{0});
    std::string first(cmdline.begin(), end);
    first = first.substr(0, first.find(' '));
    return BaseName(first);
}

int FindProcessByName(std::string_view programFileName, int excludePid,
                      const std::function<bool(int pid)>& preferred) {
    if (programFileName.empty())
        return 0;
    const int self = static_cast<int>(::getpid());
    const uid_t uid = ::getuid();
    int first = 0;
    for (const int pid : ProcessIds()) {
        if (pid == self || pid == excludePid)
            continue;
        struct stat st {};
        if (::stat(("/proc/" + std::to_string(pid)).c_str(), &st) != 0 || st.st_uid != uid)
            continue;
        if (!EqualsNoCase(ProcessProgramName(pid), programFileName))
            continue;
        if (!preferred || preferred(pid))
            return pid;
        if (first == 0)
            first = pid;
    }
    return first;
}

} // namespace velkarn
