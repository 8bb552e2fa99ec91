// Instance socket, single-instance lock, named events and the process lookup.
#include "platform/auto_reset_event.h"
#include "platform/clock_change_watch.h"
#include "platform/detached_process.h"
#include "platform/instance_socket.h"
#include "platform/named_events.h"
#include "platform/paths.h"
#include "platform/process_lookup.h"
#include "platform/single_instance.h"
#include "support/temp_dir.h"

#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <gtest/gtest.h>
#include <semaphore.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace velkarn {
namespace {

using namespace std::chrono_literals;

TEST(InstanceSocket, DeliversMessageAndReturnsTheHandlersResult) {
    test::XdgSandbox sandbox;
    InstanceServer server;
    std::atomic<uint32_t> seen{0};
    ASSERT_TRUE(server.Start([&](uint32_t message, uint32_t wParam, uint32_t lParam) {
        seen = message ^ wParam ^ lParam;
        return wParam + 1;
    }));
    EXPECT_EQ(server.SocketPath(), sandbox.RuntimeDir() + "/Velkarn.MAIN." + std::to_string(::getpid()));
    struct stat st {};
    ASSERT_EQ(::stat(server.SocketPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    EXPECT_EQ(TellRunningInstance(::getpid(), 0x5350, 0x4F50454E, 7), 0x4F50454Fu);
    EXPECT_EQ(seen.load(), 0x5350u ^ 0x4F50454Eu ^ 7u);

    server.Stop();
    EXPECT_NE(::stat(server.SocketPath().c_str(), &st), 0);
    EXPECT_EQ(TellRunningInstance(::getpid(), 1, 2, 3), std::nullopt);
}

// The "KILL" case: the handler waits for the UI thread, and the UI thread's
// teardown stops the server. Stop must not wait for that handler.
TEST(InstanceSocket, StopDoesNotWaitForAHandlerWaitingOnTheCaller) {
    test::XdgSandbox sandbox;
    AutoResetEvent arrived;
    AutoResetEvent uiDone;
    InstanceServer server;
    ASSERT_TRUE(server.Start([&](uint32_t, uint32_t, uint32_t) {
        arrived.Set();
        uiDone.Wait();
        return 7u;
    }));
    std::optional<uint32_t> reply;
    std::thread client([&] { reply = TellRunningInstance(::getpid(), 0x4D4B, 0x4C4C494B, 0); });
    ASSERT_TRUE(arrived.WaitFor(5s));

    auto stopped = std::async(std::launch::async, [&] { server.Stop(); });
    const bool stopReturned = stopped.wait_for(2s) == std::future_status::ready;
    uiDone.Set();
    client.join();
    EXPECT_TRUE(stopReturned) << "Stop waited for the handler";
    EXPECT_EQ(reply, 7u);
    struct stat st {};
    EXPECT_NE(::stat(InstanceSocketPath(::getpid()).c_str(), &st), 0);
}

TEST(InstanceSocket, StaleSocketFilesBreakNothing) {
    test::XdgSandbox sandbox;
    // A socket file whose owner died: bound once, never listened on again.
    const std::string stale = InstanceSocketPath(999999);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", stale.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    EXPECT_EQ(TellRunningInstance(999999, 1, 2, 3, 500ms), std::nullopt);

    // A leftover file under our own pid (a dead process that had it) is replaced.
    test::WriteWholeFile(InstanceSocketPath(::getpid()), "junk");
    InstanceServer server;
    ASSERT_TRUE(server.Start([](uint32_t, uint32_t, uint32_t) { return 5u; }));
    EXPECT_EQ(TellRunningInstance(::getpid(), 0, 0, 0), 5u);
}

TEST(InstanceSocket, SlowHandlerTimesOutTheClientOnly) {
    test::XdgSandbox sandbox;
    InstanceServer server;
    ASSERT_TRUE(server.Start([](uint32_t message, uint32_t, uint32_t) {
        if (message == 1)
            std::this_thread::sleep_for(400ms);
        return message;
    }));
    EXPECT_EQ(TellRunningInstance(::getpid(), 1, 0, 0, 50ms), std::nullopt);
    EXPECT_EQ(TellRunningInstance(::getpid(), 2, 0, 0), 2u);

    // A client that connects and says nothing does not keep the server from the next one for long.
    const int silent = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", server.SocketPath().c_str());
    ASSERT_EQ(::connect(silent, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
    EXPECT_EQ(TellRunningInstance(::getpid(), 3, 0, 0, 5s), 3u);
    ::close(silent);
}

TEST(SingleInstanceLock, OpenExistingAndCreateOwned) {
    test::TempDir dir;
    const std::string path = dir.File(kSingleInstanceName);
    SingleInstanceLock first(path);
    SingleInstanceLock second(path);
    EXPECT_FALSE(second.ExistsElsewhere());
    ASSERT_TRUE(first.CreateOwned());
    EXPECT_TRUE(second.ExistsElsewhere());
    EXPECT_FALSE(second.CreateOwned());
    first.Release();
    // The file stays behind, but nobody holds it: it counts as absent.
    EXPECT_FALSE(second.ExistsElsewhere());
    EXPECT_TRUE(second.CreateOwned());
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(SingleInstanceLock, LivesInTheRuntimeFolder) {
    test::XdgSandbox sandbox;
    EXPECT_EQ(SingleInstanceLock().Path(), sandbox.RuntimeDir() + "/TM42R08B_Sorvane_Driver");
}

// No runtime folder leaves the path empty: never a lock in the current folder,
// and the start-up goes on as if no other copy ran.
TEST(SingleInstanceLock, AnEmptyPathIsNeverLockedNorCreated) {
    SingleInstanceLock lock{std::string()};
    EXPECT_FALSE(lock.ExistsElsewhere());
    EXPECT_FALSE(lock.CreateOwned());
    EXPECT_FALSE(lock.Owned());
}

TEST(NamedEvents, CreatesAllNamesAndUnlinksThemAtClose) {
    EXPECT_EQ(NamedEvents::EventName("Velkarn_Event_", 1), "Velkarn_Event_Main_01");
    EXPECT_EQ(NamedEvents::EventName("Velkarn_Event_", 99), "Velkarn_Event_Main_99");
    EXPECT_EQ(NamedEvents::EventName("Velkarn_Event_", 208), "Velkarn_Event_Main_208");

    const std::string prefix = "VelkarnTest" + std::to_string(::getpid()) + "_";
    const std::string last = "/" + NamedEvents::EventName(prefix, 208);
    {
        NamedEvents events(prefix);
        ASSERT_EQ(events.CreateAll(), NamedEvents::kCount);
        sem_t* outside = ::sem_open(last.c_str(), 0);
        ASSERT_NE(outside, SEM_FAILED);
        int value = -1;
        ::sem_getvalue(outside, &value);
        EXPECT_EQ(value, 0);
        EXPECT_TRUE(events.Signal(208));
        ::sem_getvalue(outside, &value);
        EXPECT_EQ(value, 1);
        ::sem_close(outside);
        EXPECT_FALSE(events.Signal(0));
        EXPECT_FALSE(events.Signal(209));
        events.CloseAll();
        EXPECT_FALSE(events.IsOpen(1));
    }
    EXPECT_EQ(::sem_open(last.c_str(), 0), SEM_FAILED);
}

TEST(ProcessLookup, FindsOtherProcessesByNameOnly) {
    const std::string self = ProcessProgramName(::getpid());
    EXPECT_EQ(self, BaseName(ExecutablePath()));
    // Never the caller itself (a parallel run of this test program may be found).
    EXPECT_NE(FindProcessByName(self), ::getpid());
    EXPECT_EQ(FindProcessByName(""), 0);

    // A program with a name nobody else runs: a copy of sleep.
    test::TempDir dir;
    const std::string name = "VelkarnLookup" + std::to_string(::getpid());
    const std::string program = dir.File(name);
    const auto sleepBytes = test::ReadWholeFile("/bin/sleep");
    ASSERT_TRUE(sleepBytes);
    ASSERT_TRUE(test::WriteWholeFile(program, *sleepBytes));
    ::chmod(program.c_str(), 0700);
    EXPECT_EQ(FindProcessByName(name), 0);

    const pid_t child = ::fork();
    if (child == 0) {
        ::execl(program.c_str(), program.c_str(), "30", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ASSERT_GT(child, 0);
    int found = 0;
    std::string lower = name;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (int i = 0; i < 300 && found == 0; ++i) {
        found = FindProcessByName(lower);
        if (found == 0)
            std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(found, child);
    EXPECT_EQ(FindProcessByName(name, child), 0);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
}

TEST(Paths, XdgFoldersAndRuntimeFallback) {
    test::XdgSandbox sandbox;
    EXPECT_EQ(UserDataFolder(), sandbox.DataHome());
    EXPECT_EQ(UserConfigFolder(), sandbox.ConfigHome());
    EXPECT_EQ(RuntimeFolder(), sandbox.RuntimeDir());
    {
        test::EnvGuard relative("XDG_DATA_HOME", std::string("relative/path"));
        EXPECT_EQ(UserDataFolder(), sandbox.Root().File("home") + "/.local/share");
    }
    test::EnvGuard noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    const std::string fallback = RuntimeFolder();
    EXPECT_EQ(fallback, "/tmp/velkarn-" + std::to_string(::getuid()));
    struct stat st {};
    ASSERT_EQ(::lstat(fallback.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST(DetachedProcess, StartsAProgramAndRefusesAMissingOne) {
    test::TempDir dir;
    const std::string marker = dir.File("ran");
    const std::string script = dir.Write("companion.sh", "#!/bin/sh\ntouch \"$1\"\necho noise\n");
    ::chmod(script.c_str(), 0700);
    ASSERT_TRUE(StartDetached(script, {marker}));
    struct stat st {};
    for (int i = 0; i < 300 && ::stat(marker.c_str(), &st) != 0; ++i)
        std::this_thread::sleep_for(10ms);
    EXPECT_EQ(::stat(marker.c_str(), &st), 0);

    EXPECT_FALSE(StartDetached(dir.File("Vigilor")));
    const std::string notExecutable = dir.Write("plain", "x");
    ::chmod(notExecutable.c_str(), 0600);
    if (::geteuid() != 0) {
        EXPECT_FALSE(StartDetached(notExecutable));
    }
    EXPECT_FALSE(StartDetached(dir.Path()));
}

} // namespace
} // namespace velkarn

namespace velkarn {
namespace {

// Setting the clock needs privileges a test must not use; this checks that
// the watcher starts, stays quiet and stops cleanly.
TEST(ClockChangeWatch, StartsAndStopsQuietly) {
    ClockChangeWatch watch;
    std::atomic<int> notices{0};
    if (!watch.Start([&] { ++notices; }))
        GTEST_SKIP() << "no timerfd cancel-on-set here";
    EXPECT_FALSE(watch.Start([] {}));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    watch.Stop();
    EXPECT_FALSE(watch.Running());
    EXPECT_EQ(notices.load(), 0);
}

} // namespace
} // namespace velkarn
