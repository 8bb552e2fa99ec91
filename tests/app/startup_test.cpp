#include "app/exit_sequence.h"
#include "app/startup.h"

#include <gtest/gtest.h>

namespace velkarn {
namespace {

TEST(CommandLine, RecognisesKillAndStartInAnyCase) {
    const struct {
        std::vector<std::string> args;
        bool kill;
        bool start;
    } cases[] = {
        {{}, false, false},
        {{"/Kill"}, true, false},
        {{"/kIlL"}, true, false},
        {{"/START"}, false, true},
        {{"/start", "/KILL"}, true, true},
        {{"-kill", "Kill", "/Kill2", "/Starts", ""}, false, false},
    };
    for (const auto& c : cases) {
        const CommandLine line = ParseCommandLine(c.args);
        EXPECT_EQ(line.kill, c.kill) << testing::PrintToString(c.args);
        EXPECT_EQ(line.start, c.start) << testing::PrintToString(c.args);
    }
    const char* argv[] = {"/Kill", "/Start"}; // argv[0] is the program, never an option
    EXPECT_FALSE(ParseCommandLine(1, argv).kill);
    EXPECT_TRUE(ParseCommandLine(2, argv).start);
}

// Records what the start-up asked of the system.
class FakeEnvironment : public StartupEnvironment {
public:
    bool lockExists = false;
    bool createSucceeds = true;
    bool lockAppearsOnCreateFailure = false;
    int runningPid = 0;

    std::vector<std::string> calls;

    bool InstanceLockExists() override {
        calls.push_back("exists");
        return lockExists;
    }
    bool CreateInstanceLock() override {
        calls.push_back("create");
        if (!createSucceeds && lockAppearsOnCreateFailure)
            lockExists = true;
        return createSucceeds;
    }
    int FindRunningInstance() override {
        calls.push_back("find");
        return runningPid;
    }
    void TellRunningInstance(int pid, uint32_t message, uint32_t wParam, uint32_t lParam) override {
        calls.push_back("tell " + std::to_string(pid) + " " + std::to_string(message) + " " +
                        std::to_string(wParam) + " " + std::to_string(lParam));
    }
    void StartCompanion() override { calls.push_back("companion"); }
};

const std::string kTellOpen = "tell 42 " + std::to_string(kMsgOpen) + " " + std::to_string(kTagOpen) + " 0";
const std::string kTellKill = "tell 42 " + std::to_string(kMsgKill) + " " + std::to_string(kTagKill) + " 0";

TEST(StartupChecks, DecideBetweenRunningAndHandingOver) {
    const struct {
        const char* name;
        CommandLine line;
        bool lockExists;
        int runningPid;
        StartupOutcome outcome;
        std::vector<std::string> calls;
    } cases[] = {
        {"first start", {}, false, 0, StartupOutcome::kRun, {"exists", "create", "companion"}},
        {"second start hands over", {}, true, 42, StartupOutcome::kExit, {"exists", "find", kTellOpen}},
        {"lock without a copy runs unlocked",
         {},
         true,
         0,
         StartupOutcome::kRun,
         {"exists", "find", "companion"}},
        {"kill with a copy", {true, false}, true, 42, StartupOutcome::kExit, {"find", kTellKill}},
        {"kill with none starts normally",
         {true, false},
         false,
         0,
         StartupOutcome::kRun,
         {"find", "exists", "create", "companion"}},
        {"stale lock file counts as absent",
         {},
         false,
         0,
         StartupOutcome::kRun,
         {"exists", "create", "companion"}},
    };
    for (const auto& c : cases) {
        FakeEnvironment env;
        env.lockExists = c.lockExists;
        env.runningPid = c.runningPid;
        std::atomic<int32_t> showFlag{0};
        EXPECT_EQ(RunStartupChecks(c.line, env, showFlag), c.outcome) << c.name;
        EXPECT_EQ(env.calls, c.calls) << c.name;
    }
}

TEST(StartupChecks, StartFlagFollowsTheCommandLine) {
    FakeEnvironment env;
    std::atomic<int32_t> showFlag{1};
    RunStartupChecks({}, env, showFlag);
    EXPECT_EQ(showFlag.load(), 0);
    RunStartupChecks({false, true}, env, showFlag);
    EXPECT_EQ(showFlag.load(), 1);
}

TEST(StartupChecks, LosingTheRaceForTheLockHandsOver) {
    FakeEnvironment env;
    env.createSucceeds = false;
    env.lockAppearsOnCreateFailure = true;
    env.runningPid = 42;
    std::atomic<int32_t> showFlag{0};
    EXPECT_EQ(RunStartupChecks({}, env, showFlag), StartupOutcome::kExit);
    EXPECT_EQ(env.calls, (std::vector<std::string>{"exists", "create", "exists", "find", kTellOpen}));
}

TEST(ExitSequence, RunsEachStepOnceInOrder) {
    ExitSequence exit;
    std::vector<std::string> trace;
    exit.Add("hide", [&] { trace.push_back("hide"); });
    exit.Add("kill again", [&] {
        trace.push_back("kill again");
        exit.Run(); // a "KILL" handled while exiting must not restart the teardown
    });
    exit.Add("free store", [&] { trace.push_back("free store"); });
    exit.Run();
    exit.Run();
    EXPECT_EQ(trace, (std::vector<std::string>{"hide", "kill again", "free store"}));
    EXPECT_EQ(exit.Completed(), trace);
    EXPECT_TRUE(exit.HasRun());
}

} // namespace
} // namespace velkarn
