#include "app/startup.h"

#include "platform/detached_process.h"
#include "platform/instance_socket.h"
#include "platform/process_lookup.h"
#include "platform/text_decode.h"

namespace velkarn {

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

std::atomic<int>& StartupShowFlag() {
    static std::atomic<int> flag{0};
    return flag;
}

StartupOutcome RunStartupChecks(const CommandLine& commandLine, StartupEnvironment& environment) {
    StartupShowFlag() = 0;
    if (commandLine.kill) {
        if (const int pid = environment.FindRunningInstance()) {
            environment.TellRunningInstance(pid, kMsgKill, kTagKill, 0);
            return StartupOutcome::kExit;
        }
    }
    if (commandLine.start)
        StartupShowFlag() = 1;

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
    return FindProcessByName(m_paths.programFileName);
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
