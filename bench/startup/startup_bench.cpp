// Measures how long velkarn takes from its start to "tray ready" (the main
// window initialised, the service library bound, the tray icon created)
// against the simulated keyboard, and then how long /Kill takes to end it.
//
//   bench_startup [runs]            (default 10 runs)
//
// Each run uses private XDG folders and a fresh simulated-keyboard state, and
// the offscreen Qt platform, so no display is needed and nothing of the
// user's own settings is touched. The executable prints its trace lines on
// stderr when VELKARN_TRACE=1.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Child {
    pid_t pid = -1;
    int errFd = -1;
};

std::vector<std::string> RunEnvironment(const fs::path& home) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string v = *e;
        if (v.rfind("XDG_", 0) == 0 || v.rfind("QT_QPA_PLATFORM=", 0) == 0 || v.rfind("DISPLAY=", 0) == 0)
            continue;
        env.push_back(v);
    }
    const std::string bin = VELKARN_BIN_DIR;
    env.push_back("XDG_RUNTIME_DIR=" + (home / "run").string());
    env.push_back("XDG_DATA_HOME=" + (home / "data").string());
    env.push_back("XDG_CONFIG_HOME=" + (home / "config").string());
    env.push_back("XDG_STATE_HOME=" + (home / "state").string());
    env.push_back("PYLONET_SIM_STATE=" + (home / "sim.state").string());
    env.push_back("VELKARN_SERVICE_LIBRARY=" + bin + "/libpylonet-sim.so");
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back("VELKARN_TRACE=1");
    return env;
}

Child Spawn(const std::vector<std::string>& args, const std::vector<std::string>& env) {
    int fds[2];
    if (pipe(fds) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    std::vector<char*> argv, envp;
    for (auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    for (auto& e : env)
        envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    Child child;
    if (posix_spawn(&child.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0)
        child.pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    child.errFd = fds[0];
    return child;
}

// Reads the child's stderr until a line contains `needle` or the time-out passes.
bool WaitForLine(int fd, const std::string& needle, std::chrono::milliseconds timeout, std::string& buffer) {
    const auto end = Clock::now() + timeout;
    while (Clock::now() < end) {
        if (buffer.find(needle) != std::string::npos)
            return true;
        pollfd p{fd, POLLIN, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
        if (poll(&p, 1, static_cast<int>(std::max<long long>(left, 0))) <= 0)
            continue;
        char chunk[4096];
        const ssize_t n = read(fd, chunk, sizeof chunk);
        if (n <= 0)
            return buffer.find(needle) != std::string::npos;
        buffer.append(chunk, static_cast<size_t>(n));
    }
    return buffer.find(needle) != std::string::npos;
}

double Ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

} // namespace

int main(int argc, char** argv) {
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    const std::string velkarn = std::string(VELKARN_BIN_DIR) + "/velkarn";
    std::vector<double> startMs, killMs;
    for (int i = 0; i < runs; ++i) {
        char pattern[] = "/tmp/velkarn-bench.XXXXXX";
        if (!mkdtemp(pattern)) {
            std::perror("mkdtemp");
            return 1;
        }
        const fs::path home = pattern;
        fs::create_directories(home / "run");
        fs::permissions(home / "run", fs::perms::owner_all, fs::perm_options::replace);
        const auto env = RunEnvironment(home);

        const auto t0 = Clock::now();
        Child app = Spawn({velkarn, "/Start"}, env);
        std::string log;
        if (app.pid < 0 || !WaitForLine(app.errFd, "tray ready", std::chrono::seconds(20), log)) {
            std::fprintf(stderr, "run %d: no tray ready line; output:\n%s\n", i, log.c_str());
            if (app.pid > 0)
                kill(app.pid, SIGKILL);
            return 1;
        }
        const auto t1 = Clock::now();
        // Let the presence worker finish its arrival (reload from the keyboard)
        // before asking the copy to end, as a user's /Kill would.
        WaitForLine(app.errFd, "tray icon 141", std::chrono::seconds(10), log);
        const auto t2 = Clock::now();
        Child killer = Spawn({velkarn, "/Kill"}, env);
        int status = 0;
        waitpid(killer.pid, &status, 0);
        waitpid(app.pid, &status, 0);
        const auto t3 = Clock::now();
        close(app.errFd);
        close(killer.errFd);
        startMs.push_back(Ms(t1 - t0));
        killMs.push_back(Ms(t3 - t2));
        std::error_code ec;
        fs::remove_all(home, ec);
    }
    auto report = [](const char* what, std::vector<double> v) {
        std::sort(v.begin(), v.end());
        std::printf("%-34s min %7.1f ms   median %7.1f ms   max %7.1f ms\n", what, v.front(), v[v.size() / 2],
                    v.back());
    };
    std::printf("velkarn start-up, simulated keyboard, offscreen, %d runs\n", runs);
    report("start to tray ready", startMs);
    report("/Kill start to both processes ended", killMs);
    return 0;
}
