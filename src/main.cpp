// Entry point of the velkarn executable: the application start. Builds the
// path table, opens the settings key, hands over to a running copy when
// there is one, then runs the main window until Exit and tears down.
#include "app/path_table.h"
#include "app/settings_key.h"
#include "app/startup.h"
#include "device/device_state.h"
#include "device/service_library.h"
#include "platform/paths.h"
#include "platform/single_instance.h"
#include "ui/main/velkarn_dlg.h"

#include <QApplication>
#include <QSocketNotifier>
#include <csignal>
#include <fcntl.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace {

int g_signalFds[2] = {-1, -1};

void OnTerminationSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(g_signalFds[1], &byte, 1);
}

// SIGTERM and SIGINT end the program as the tray's Exit does (events
// closed, tray icon removed), not half-way.
void RouteTerminationSignals(velkarn::CVelkarnDlg& window) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalFds) != 0)
        return;
    // A burst of signals that fills the socket must not block the handler
    // (and with it the UI thread it interrupted): one byte already waiting is
    // enough to end the program.
    const int flags = ::fcntl(g_signalFds[1], F_GETFL);
    if (flags == -1 || ::fcntl(g_signalFds[1], F_SETFL, flags | O_NONBLOCK) == -1) {
        ::close(g_signalFds[0]);
        ::close(g_signalFds[1]);
        g_signalFds[0] = g_signalFds[1] = -1;
        return;
    }
    auto* notifier = new QSocketNotifier(g_signalFds[0], QSocketNotifier::Read, &window);
    QObject::connect(notifier, &QSocketNotifier::activated, &window, [&window, notifier] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(g_signalFds[0], &byte, 1);
        notifier->setEnabled(false);
        window.Exit();
    });
    struct sigaction action {};
    action.sa_handler = OnTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

// Once the window is gone nothing reads the socket: a later signal ends the
// process the ordinary way instead of vanishing.
void RestoreTerminationSignals() {
    if (g_signalFds[1] == -1)
        return;
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    ::close(g_signalFds[0]);
    ::close(g_signalFds[1]);
    g_signalFds[0] = g_signalFds[1] = -1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace velkarn;
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);

    SetAppPaths(PathTable::FromExecutable(ExecutablePath()));
    OpenSettingsKey();

    // The start-up checks run before the toolkit connects to the display, so
    // a second start or "/Kill" hands over at once and needs no display.
    SingleInstanceLock instanceLock;
    const CommandLine commandLine = ParseCommandLine(arguments);
    {
        SystemStartupEnvironment environment(AppPaths(), instanceLock);
        if (RunStartupChecks(commandLine, environment, TheDeviceState().startupShowDecided) ==
            StartupOutcome::kExit)
            return 0;
    }

    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setApplicationName(QStringLiteral("velkarn"));
    QGuiApplication::setDesktopFileName(QStringLiteral("velkarn"));

    MainWindowOptions options;
    options.arguments = arguments;
    options.startupChecks = false;
    options.startHidden = commandLine.start;
    options.instanceLock = &instanceLock;
    int code = 0;
    {
        CVelkarnDlg window(std::move(options));
        RouteTerminationSignals(window);
        code = window.Run();
    }
    RestoreTerminationSignals();
    // The presence threads end before the process does; the library itself
    // stays loaded until the end.
    TheServiceLibrary().Shutdown();
    return code;
}
