#include "app/startup.h"

#include "platform/detached_process.h"
#include "platform/instance_socket.h"
#include "platform/process_lookup.h"
#include "platform/text_decode.h"

#include <chrono>
#include <sys/stat.h>
#include <thread>

namespace velkarn {
namespace {

constexpr int kInstanceWaitMs = 5000;
constexpr int kInstanceWaitStepMs = 50;

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (const std::string& arg : args) {
        if (EqualsNoCase(arg, "/Kill"))
            line.kill = true;
        else if (EqualsNoCase(arg, "/Start"))
            line.start = true;
    }
    return line;
}

CommandLine ParseCommandLine(int argc, const char* const* argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        if (argv[i] != nullptr)
            args.emplace_back(argv[i]);
    return ParseCommandLine(args);
}

StartupOutcome RunStartupChecks(const CommandLine& commandLine, StartupEnvironment& environment,
                                std::atomic<int32_t>& startupShowFlag) {
    startupShowFlag = 0;
    if (commandLine.kill) {
        if (const int pid = environment.FindRunningInstance()) {
            environment.TellRunningInstance(pid, kMsgKill, kTagKill, 0);
            return StartupOutcome::kExit;
        }
    }
    if (commandLine.start)
        startupShowFlag = 1;

    // Two copies started at the same moment can both find no lock; the one
    // that then fails to take it goes the "exists" way like a later start.
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (environment.InstanceLockExists()) {
            if (const int pid = environment.FindRunningInstance()) {
                environment.TellRunningInstance(pid, kMsgOpen, kTagOpen, 0);
                return StartupOutcome::kExit;
            }
            // Locked, but no copy of ours to hand over to: run as a second
            // instance without the lock.
            break;
        }
        if (environment.CreateInstanceLock())
            break;
    }
    environment.StartCompanion();
    return StartupOutcome::kRun;
}

bool SystemStartupEnvironment::InstanceLockExists() {
    return m_lock.ExistsElsewhere();
}

bool SystemStartupEnvironment::CreateInstanceLock() {
    return m_lock.CreateOwned();
}

int SystemStartupEnvironment::FindRunningInstance() {
    // The running copy is the one whose main window listens in our runtime
    // folder, just as the lock lives there: a copy in another desktop session
    // of the same user is not ours to open or to end.
    const auto listensHere = [](int pid) {
        struct stat st {};
        return ::stat(InstanceSocketPath(pid).c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
    };
    const auto find = [&] {
        const int pid = FindProcessByName(m_paths.programFileName, 0, listensHere);
        return pid != 0 && listensHere(pid) ? pid : 0;
    };
    // A copy that holds the lock but is still setting up its window has no
    // socket yet: give it a moment rather than starting a second copy.
    for (int waited = 0;; waited += kInstanceWaitStepMs) {
        if (const int pid = find())
            return pid;
        if (waited >= kInstanceWaitMs || !m_lock.ExistsElsewhere())
            return 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(kInstanceWaitStepMs));
    }
}

void SystemStartupEnvironment::TellRunningInstance(int pid, uint32_t message, uint32_t wParam,
                                                   uint32_t lParam) {
    velkarn::TellRunningInstance(pid, message, wParam, lParam);
}

void SystemStartupEnvironment::StartCompanion() {
    StartCompanionProgram(m_paths);
}

bool StartCompanionProgram(const PathTable& paths) {
    return StartDetached(paths.companionProgram);
}

} // namespace velkarn
