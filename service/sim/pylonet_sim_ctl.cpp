// pylonet-sim-ctl: drives a running simulated keyboard through its control
// socket (see control_server.h for the commands).
#include "control_server.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

const char kUsage[] = "usage: pylonet-sim-ctl <command>\n"
                      "  plug | unplug            connect or disconnect the simulated keyboard\n"
                      "  bank-toggle              the keyboard toggles its G-key bank\n"
                      "  lighting-changed         the keyboard changed its lighting\n"
                      "  icon-alt | icon-normal   the keyboard asks for the alternate or normal tray icon\n"
                      "  status                   show plugged state, active profile and macro capacity\n"
                      "  reset                    restore factory memory\n"
                      "  set-key <bank> <position> <b0> <b1> <b2>\n"
                      "                           write one key action into a key-map bank\n";

int Connect(const std::string& path) {
    sockaddr_un addr{};
    if (path.size() >= sizeof addr.sun_path)
        return -1;
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size() + 1);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// The newest socket of a simulated keyboard whose process still runs.
int FindRunning(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return -1;
    struct Candidate {
        std::string path;
        time_t mtime;
    };
    std::vector<Candidate> found;
    while (dirent* e = ::readdir(dir)) {
        std::string name = e->d_name;
        long pid = 0;
        char tail[8] = {};
        if (std::sscanf(name.c_str(), "pylonet-sim.%ld.%5s", &pid, tail) != 2 ||
            std::strcmp(tail, "sock") != 0)
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)
            continue;
        struct stat st {};
        std::string path = folder + "/" + name;
        if (::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode))
            found.push_back({path, st.st_mtime});
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.mtime > b.mtime; });
    for (const auto& c : found)
        if (int fd = Connect(c.path); fd >= 0)
            return fd;
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
        std::fputs(kUsage, argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    std::string line;
    for (int i = 1; i < argc; ++i)
        line += std::string(i > 1 ? " " : "") + argv[i];
    line += '\n';

    std::string folder = pylonet_sim::RuntimeFolder();
    int fd = folder.empty() ? -1 : FindRunning(folder);
    if (fd < 0) {
        std::fprintf(stderr, "pylonet-sim-ctl: no simulated keyboard is running (no control socket in %s)\n",
                     folder.empty() ? "the runtime folder" : folder.c_str());
        return 1;
    }
    if (::send(fd, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) {
        std::fprintf(stderr, "pylonet-sim-ctl: cannot send the command: %s\n", std::strerror(errno));
        ::close(fd);
        return 1;
    }
    std::string answer;
    char buf[256];
    for (ssize_t n; (n = ::read(fd, buf, sizeof buf)) > 0;)
        answer.append(buf, static_cast<size_t>(n));
    ::close(fd);
    if (answer.rfind("ok", 0) == 0) {
        size_t nl = answer.find('\n');
        std::fputs(nl == std::string::npos ? "" : answer.c_str() + nl + 1, stdout);
        return 0;
    }
    std::fprintf(stderr, "pylonet-sim-ctl: %s", answer.empty() ? "no answer\n" : answer.c_str());
    return 1;
}
