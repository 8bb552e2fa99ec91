#include "app/startup.h"

#include "platform/detached_process.h"
#include "platform/instance_socket.h"
#include "platform/process_lookup.h"
#include "platform/text_decode.h"

#include <sys/stat.h>

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
    // Another desktop session of the same user may run a copy of its own;
    // the copy whose window listens in our runtime folder is the one to talk
    // to. Without one, the first copy found is taken, as before.
    return FindProcessByName(m_paths.programFileName, 0, [](int pid) {
        struct stat st {};
        return ::stat(InstanceSocketPath(pid).c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
    });
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
