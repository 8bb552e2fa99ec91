// Real processes: a second start hands over to the first through the lock,
// the process lookup and the instance socket, and a lock left by a killed
// process does not block the next start.
#include "platform/paths.h"
#include "platform/single_instance.h"
#include "support/temp_dir.h"

#include <chrono>
#include <csignal>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace velkarn {
namespace {

using namespace std::chrono_literals;

class TwoProcessTest : public ::testing::Test {
protected:
    TwoProcessTest() : m_log("VELKARN_HELPER_LOG", m_sandbox.Root().File("helper.log")) {}

    ~TwoProcessTest() override {
        for (const pid_t pid : m_started) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }

    pid_t Spawn(std::vector<std::string> args) {
        args.insert(args.begin(), VELKARN_INSTANCE_HELPER);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        EXPECT_EQ(::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ), 0);
        m_started.push_back(pid);
        return pid;
    }

    // Exit code, or -1 when it did not end in time (it is then killed by the destructor).
    int WaitForExit(pid_t pid, std::chrono::milliseconds timeout = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            const pid_t done = ::waitpid(pid, &status, WNOHANG);
            if (done == pid) {
                std::erase(m_started, pid);
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(10ms);
        }
        return -1;
    }

    bool WaitForLog(const std::string& text, std::chrono::milliseconds timeout = 10s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            if (Log().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(10ms);
        }
        return false;
    }

    std::string Log() { return m_sandbox.Root().Read("helper.log").value_or(""); }

    test::XdgSandbox m_sandbox;
    test::EnvGuard m_log;
    std::vector<pid_t> m_started;
};

TEST_F(TwoProcessTest, SecondStartHandsOverAndKillEndsTheFirst) {
    const pid_t first = Spawn({});
    ASSERT_TRUE(WaitForLog("owned=1 listening=1"));

    const pid_t second = Spawn({});
    EXPECT_EQ(WaitForExit(second), 0);
    EXPECT_TRUE(WaitForLog("OPEN"));
    EXPECT_EQ(Log().find("READY " + std::to_string(second)), std::string::npos)
        << "second start ran a window";

    const pid_t killer = Spawn({"/kIlL"});
    EXPECT_EQ(WaitForExit(killer), 0);
    EXPECT_TRUE(WaitForLog("KILL"));
    EXPECT_EQ(WaitForExit(first), 0);
    struct stat st {};
    EXPECT_NE(::stat((m_sandbox.RuntimeDir() + "/Velkarn.MAIN." + std::to_string(first)).c_str(), &st), 0)
        << "socket file left behind";
}

TEST_F(TwoProcessTest, LockOfAKilledProcessDoesNotBlockANewStart) {
    const pid_t crashed = Spawn({});
    ASSERT_TRUE(WaitForLog("READY " + std::to_string(crashed) + " owned=1"));
    ::kill(crashed, SIGKILL);
    EXPECT_EQ(WaitForExit(crashed), 128 + SIGKILL);
    struct stat st {};
    ASSERT_EQ(::stat((m_sandbox.RuntimeDir() + "/" + kSingleInstanceName).c_str(), &st), 0);

    const pid_t next = Spawn({});
    EXPECT_TRUE(WaitForLog("READY " + std::to_string(next) + " owned=1 listening=1"));
    const pid_t killer = Spawn({"/Kill"});
    EXPECT_EQ(WaitForExit(killer), 0);
    EXPECT_EQ(WaitForExit(next), 0);
}

TEST_F(TwoProcessTest, KillWithNothingRunningStartsNormally) {
    const pid_t lone = Spawn({"/KILL"});
    EXPECT_TRUE(WaitForLog("READY " + std::to_string(lone) + " owned=1"));
    EXPECT_EQ(WaitForExit(Spawn({"/kill"})), 0);
    EXPECT_EQ(WaitForExit(lone), 0);
}

} // namespace
} // namespace velkarn
