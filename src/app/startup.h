// Start-up of the program: the command line, the hand-over to a copy that is
// already running, and the start of the companion program.
//
// RunStartupChecks is written against StartupEnvironment so the decisions
// can be tested without processes; SystemStartupEnvironment is the real one
// (single-instance lock, /proc lookup, instance socket, detached start).
//
// Thread safety: start-up runs on the UI thread before any window exists.
// The start-up show flag is read and written from the presence worker too,
// hence atomic.
#pragma once

#include "app/path_table.h"
#include "platform/single_instance.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace velkarn {

// Instance messages: number and the four-letter tag carried in wParam.
constexpr uint32_t kMsgOpen = 0x5350;
constexpr uint32_t kTagOpen = 0x4F50454E; // "OPEN"
constexpr uint32_t kMsgKill = 0x4D4B;
constexpr uint32_t kTagKill = 0x4C4C494B; // "KILL"

struct CommandLine {
    bool kill = false;  // "/Kill": close the running copy and end
    bool start = false; // "/Start": start hidden in the notification area
};

// The arguments after the program name; "/Kill" and "/Start" in any mix of
// case, everything else ignored.
CommandLine ParseCommandLine(const std::vector<std::string>& args);
CommandLine ParseCommandLine(int argc, const char* const* argv);

class StartupEnvironment {
public:
    virtual ~StartupEnvironment() = default;
    // "Open existing": is the single-instance lock held by a running copy?
    virtual bool InstanceLockExists() = 0;
    // "Create owned": take the lock; false when that failed.
    virtual bool CreateInstanceLock() = 0;
    // Process id of another running copy, 0 when none.
    virtual int FindRunningInstance() = 0;
    // Delivers the message to that copy's main window and waits for it to be handled.
    virtual void TellRunningInstance(int pid, uint32_t message, uint32_t wParam, uint32_t lParam) = 0;
    virtual void StartCompanion() = 0;
};

enum class StartupOutcome : int {
    kRun = 0,  // go on and run the main window
    kExit = 1, // end the process now with exit code 0, before any window exists
};

// Sets the start-up show flag (1 = the main window must not open by itself
// when the keyboard is first found: 0 here, 1 for "/Start"; the device
// presence code owns it afterwards), walks the command line, hands over to a
// running copy or takes the lock, and starts the companion program.
StartupOutcome RunStartupChecks(const CommandLine& commandLine, StartupEnvironment& environment,
                                std::atomic<int32_t>& startupShowFlag);

class SystemStartupEnvironment final : public StartupEnvironment {
public:
    // lock is held by the caller for the life of the process (released in
    // the exit sequence).
    SystemStartupEnvironment(const PathTable& paths, SingleInstanceLock& lock)
        : m_paths(paths), m_lock(lock) {}

    bool InstanceLockExists() override;
    bool CreateInstanceLock() override;
    int FindRunningInstance() override;
    void TellRunningInstance(int pid, uint32_t message, uint32_t wParam, uint32_t lParam) override;
    void StartCompanion() override;

private:
    PathTable m_paths;
    SingleInstanceLock& m_lock;
};

// Starts the companion program detached with its output discarded; false
// when it is missing (which changes nothing else).
bool StartCompanionProgram(const PathTable& paths);

} // namespace velkarn
