// Binding the service library: the fatal set-up faults end the process with
// code 0 and one line on stderr; the real simulated-keyboard library loads
// through dlopen and answers.
#include "device_fixture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace velkarn::test {
namespace {

const std::string kSimLibrary = std::string(VELKARN_BIN_DIR) + "/libpylonet-sim.so";

// A private folder for state file and control socket.
std::filesystem::path PrivateFolder(const std::string& name) {
    auto folder = std::filesystem::temp_directory_path() /
                  ("velkarn-device-" + name + "-" + std::to_string(::getpid()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    return folder;
}

void UseSimLibrary(const std::filesystem::path& folder) {
    ::setenv("VELKARN_SERVICE_LIBRARY", kSimLibrary.c_str(), 1);
    ::setenv("PYLONET_SIM_STATE", (folder / "sim.state").c_str(), 1);
    ::setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);
    ::unsetenv("PYLONET_SIM_FAULTS");
    ::unsetenv("PYLONET_SIM_PLUGGED");
}

void BindSystem() {
    RecordingSink sink;
    ServiceLibrary library;
    library.Bind(sink);
    std::fprintf(stderr, "Bind returned\n");
    std::exit(1);
}

class BindDeathTest : public ::testing::Test {
protected:
    void SetUp() override { GTEST_FLAG_SET(death_test_style, "threadsafe"); }
};

TEST_F(BindDeathTest, MissingLibraryEndsTheProcessWithCodeZero) {
    ::setenv("VELKARN_SERVICE_LIBRARY", "/nonexistent/libpylonet.so", 1);
    EXPECT_EXIT(BindSystem(), ::testing::ExitedWithCode(0),
                "velkarn: cannot load the keyboard service library /nonexistent/libpylonet.so: ");
}

TEST_F(BindDeathTest, InitReturningZeroEndsTheProcessWithCodeZero) {
    UseSimLibrary(PrivateFolder("init"));
    ::setenv("PYLONET_SIM_FAULTS", "init=0", 1);
    EXPECT_EXIT(BindSystem(), ::testing::ExitedWithCode(0), "did not start \\(Init returned 0\\)");
}

TEST(BindTest, MissingEntryPointIsNamedAndEndsTheProcess) {
    pylonet_sim::SimKeyboard sim(QuietOptions());
    pylonet_sim::SetCurrentKeyboard(&sim);
    BindHooks hooks = InProcessHooks();
    hooks.lookup = [](void*, const char* name) {
        return std::string(name) == "RequestStatusGet" ? nullptr : pylonet_sim::FindEntryPoint(name);
    };
    int exitCode = -1;
    hooks.exit = [&](int code) { exitCode = code; };
    RecordingSink sink;
    ServiceLibrary library;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(library.Bind(sink, hooks));
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(exitCode, 0);
    EXPECT_NE(err.find("has no entry point RequestStatusGet\n"), std::string::npos) << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1);
    EXPECT_TRUE(sim.Received().empty());
    EXPECT_TRUE(sim.DeletedUnits().empty()) << "nothing registered";
    pylonet_sim::SetCurrentKeyboard(nullptr);
}

std::string RunCtl(const std::string& args) {
    std::string command = std::string(VELKARN_BIN_DIR) + "/pylonet-sim-ctl " + args + " 2>&1";
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p))
            out += buf;
        ::pclose(p);
    }
    return out;
}

// The one test that loads the shared library as the program does; it also
// drives the running keyboard with the control program.
TEST(SharedLibraryTest, BindsThroughDlopenAndTalksToTheKeyboard) {
    // Like the real one, the library keeps its keyboard until the process
    // ends, so a repeated run in the same process would find it unplugged.
    static bool loaded = false;
    if (std::exchange(loaded, true))
        GTEST_SKIP() << "the shared library was loaded by an earlier repetition";
    const auto folder = PrivateFolder("dlopen");
    UseSimLibrary(folder);
    EXPECT_NE(RunCtl("status").find("no simulated keyboard is running"), std::string::npos);

    RecordingSink sink;
    DeviceState state;
    DefaultKeyMapHolder defaultMap;
    ServiceLibrary library(state, defaultMap);
    ASSERT_TRUE(library.Bind(sink));
    ASSERT_TRUE(sink.WaitFor("OPEN"));
    EXPECT_EQ(state.macroCapacity.load(), pylonet_sim::kFactoryMacroUnits * 128);
    EXPECT_EQ(defaultMap.Get(), pylonet_sim::FactoryDefaultMatrix());

    std::array<uint8_t, kKeyMapImageSize> map{};
    map[0] = 0x02;
    map[1] = 0x02;
    map[2] = 0x04;
    EXPECT_EQ(WriteKeyMap(map, 2, library.Link()), kDeviceSuccess);
    EXPECT_EQ(EndUpdate(library.Link()), kDeviceSuccess);

    const std::string status = RunCtl("status");
    EXPECT_NE(status.find("plugged: yes"), std::string::npos) << status;
    EXPECT_NE(status.find("active profile: 0"), std::string::npos) << status;
    EXPECT_NE(status.find("macro capacity: 8192 bytes"), std::string::npos) << status;
    EXPECT_EQ(RunCtl("set-key 2 1 0x02 0x02 0x05"), "");
    EXPECT_NE(RunCtl("set-key 3 1 0 0 0").find("bank must be 0..2"), std::string::npos);
    EXPECT_NE(RunCtl("fly").find("unknown command"), std::string::npos);
    std::array<uint8_t, kKeyMapImageSize> back{};
    ASSERT_EQ(ReadKeyMap(back, 2, library.Link()), kDeviceSuccess);
    EXPECT_EQ((std::array<uint8_t, 6>{back[0], back[1], back[2], back[3], back[4], back[5]}),
              (std::array<uint8_t, 6>{0x02, 0x02, 0x04, 0x02, 0x02, 0x05}));

    sink.Clear();
    EXPECT_EQ(RunCtl("icon-alt"), "");
    EXPECT_TRUE(sink.WaitFor("icon alt 142"));
    EXPECT_EQ(RunCtl("unplug"), "");
    EXPECT_TRUE(sink.WaitFor("icon 128"));
    EXPECT_NE(RunCtl("bank-toggle").find("unplugged"), std::string::npos);
    library.Shutdown();

    // What EndUpdate persisted is in the state file.
    pylonet_sim::SimMemory memory;
    std::string why;
    EXPECT_EQ(pylonet_sim::LoadState((folder / "sim.state").string(), memory, why),
              pylonet_sim::LoadResult::kLoaded);
    EXPECT_EQ(memory.keyMaps[1024 + 2], 0x04);
}

} // namespace
} // namespace velkarn::test
