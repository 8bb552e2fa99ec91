// A stand-in for the program in the two-process tests: it runs the real
// start-up checks and, as the first instance, answers instance messages the
// way the main window does, logging each to $VELKARN_HELPER_LOG.
#include "app/path_table.h"
#include "app/startup.h"
#include "platform/auto_reset_event.h"
#include "platform/instance_socket.h"
#include "platform/paths.h"
#include "platform/single_instance.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

void Log(const std::string& line) {
    const char* path = std::getenv("VELKARN_HELPER_LOG");
    if (path == nullptr)
        return;
    std::ofstream out(path, std::ios::app);
    out << line << std::endl;
}

} // namespace

int main(int argc, char** argv) {
    using namespace velkarn;
    const PathTable paths = PathTable::FromExecutable(ExecutablePath());
    SingleInstanceLock lock;
    SystemStartupEnvironment environment(paths, lock);
    std::atomic<int32_t> startupShowFlag{0};
    if (RunStartupChecks(ParseCommandLine(argc, argv), environment, startupShowFlag) == StartupOutcome::kExit)
        return 0;

    // Shared with the handler: Stop may leave the accept thread to finish the
    // "KILL" reply on its own after main has moved on.
    auto killed = std::make_shared<AutoResetEvent>();
    InstanceServer server;
    const bool listening = server.Start([killed](uint32_t message, uint32_t wParam, uint32_t) -> uint32_t {
        if (message == kMsgOpen && wParam == kTagOpen) {
            Log("OPEN");
            return 1;
        }
        if (message == kMsgKill && wParam == kTagKill) {
            Log("KILL");
            killed->Set();
            return 1;
        }
        return 0;
    });
    Log("READY " + std::to_string(::getpid()) + " owned=" + (lock.Owned() ? "1" : "0") +
        " listening=" + (listening ? "1" : "0"));
    // A test that breaks must not leave this running for long.
    const bool gotKill = killed->WaitFor(std::chrono::seconds(60));
    server.Stop();
    lock.Release();
    return gotKill ? 0 : 3;
}
