// The simulated keyboard on its own: its factory default matrix, its state
// file, its fault syntax and its report log.
#include "device_fixture.h"
#include "model/default_key_map.h"

#include <filesystem>
#include <fstream>
#include <set>

namespace velkarn::test {
namespace {

namespace fs = std::filesystem;

fs::path TempFile(const std::string& name) {
    auto folder = fs::temp_directory_path() / ("velkarn-sim-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    auto path = folder / name;
    fs::remove(path);
    return path;
}

TEST(SimDefaultMatrixTest, HoldsTheBuiltinMapAndEveryKeyItHasRoomFor) {
    const auto matrix = pylonet_sim::FactoryDefaultMatrix();
    const auto& builtin = BuiltinDefaultKeyMap();
    std::set<std::array<uint8_t, 3>> seen;
    int gKeys = 0;
    for (int k = 0; k < kKeyPositionCount; ++k) {
        const std::array<uint8_t, 3> action{matrix[3 * k], matrix[3 * k + 1], matrix[3 * k + 2]};
        if (builtin[3 * k] != 0) {
            EXPECT_TRUE(std::equal(action.begin(), action.end(), builtin.begin() + 3 * k))
                << "position " << k;
            continue;
        }
        EXPECT_NE(action[0], 0) << "free position " << k << " left empty";
        EXPECT_TRUE(seen.insert(action).second) << "position " << k << " repeats a key";
        gKeys += action[0] == 0x06 && action[1] == 0xA2;
    }
    EXPECT_EQ(gKeys, 9);
    for (uint8_t n = 1; n <= 9; ++n)
        EXPECT_TRUE(seen.count({0x06, 0xA2, n})) << "G" << int{n};
    // The main block is complete: Enter, Backspace, arrows, Right Ctrl/Win.
    for (std::array<uint8_t, 3> key : {std::array<uint8_t, 3>{2, 2, 0x28},
                                       {2, 2, 0x2A},
                                       {2, 2, 0x52},
                                       {2, 2, 0x4F},
                                       {2, 1, 0x10},
                                       {2, 1, 0x80}})
        EXPECT_TRUE(seen.count(key)) << int{key[2]};
    EXPECT_TRUE(std::all_of(matrix.begin() + 324, matrix.end(), [](uint8_t b) { return b == 0; }));
}

TEST(SimStateTest, MemorySurvivesARestart) {
    const auto path = TempFile("restart.state");
    pylonet_sim::SimOptions options = QuietOptions();
    options.statePath = path.string();
    {
        pylonet_sim::SimKeyboard sim(options);
        ASSERT_TRUE(sim.SetKey(1, 20, 0x05, 0x01, 0x03));
        sim.ResetMemory();
        ASSERT_TRUE(sim.SetKey(1, 21, 0x03, 0xE9, 0x00));
    }
    pylonet_sim::SimKeyboard again(options);
    auto expected = pylonet_sim::FactoryMemory();
    expected.keyMaps[512 + 63] = 0x03;
    expected.keyMaps[512 + 64] = 0xE9;
    expected.keyMaps[512 + 65] = 0x00;
    EXPECT_TRUE(again.Memory() == expected);
}

TEST(SimStateTest, TruncatedOrForeignStateFileGivesFactoryMemoryWithAWarning) {
    const auto good = pylonet_sim::SerialiseState(pylonet_sim::FactoryMemory());
    auto otherVersion = good;
    otherVersion[8] = 9;
    auto longer = good;
    longer.push_back(0);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    const Case cases[] = {
        {"truncated", std::vector<uint8_t>(good.begin(), good.begin() + 100)},
        {"empty", {}},
        {"foreign", std::vector<uint8_t>(good.size(), 'x')},
        {"other version", otherVersion},
        {"too long", longer},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto path = TempFile("bad.state");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(c.bytes.data()),
                   static_cast<std::streamsize>(c.bytes.size()));
        pylonet_sim::SimOptions options = QuietOptions();
        options.statePath = path.string();
        ::testing::internal::CaptureStderr();
        pylonet_sim::SimKeyboard sim(options);
        const std::string err = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("starting from factory memory"), std::string::npos) << err;
        EXPECT_TRUE(sim.Memory() == pylonet_sim::FactoryMemory());
    }
}

TEST(SimFaultsTest, ParsesTheDocumentedSyntax) {
    pylonet_sim::Faults f;
    std::string error;
    ASSERT_TRUE(pylonet_sim::ParseFaults(" drop=2, drop=5,status=fe,echo,long,refuse,init=0 ", f, error))
        << error;
    EXPECT_EQ(f.drop, (std::set<uint64_t>{2, 5}));
    EXPECT_EQ(f.status, 0xFE);
    EXPECT_TRUE(f.echo && f.longReply && f.refuse);
    EXPECT_EQ(f.initResult, 0);
    ASSERT_TRUE(pylonet_sim::ParseFaults("", f, error));
    EXPECT_FALSE(f.echo);
    for (const char* bad : {"drop=0", "drop=x", "status=100", "status=", "echo=1", "slow", "init=zz"})
        EXPECT_FALSE(pylonet_sim::ParseFaults(bad, f, error)) << bad;
}

using SimLogTest = DeviceTest;

TEST_F(SimLogTest, LogsEveryReportAsOneHexLine) {
    const auto path = TempFile("reports.log");
    pylonet_sim::SimOptions options = QuietOptions();
    options.logPath = path.string();
    BindPlugged(options);
    EXPECT_EQ(TestCommand(Link()), kDeviceSuccess);
    m_library->Shutdown();
    pylonet_sim::SetCurrentKeyboard(nullptr);
    m_sim.reset(); // closes the log
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 12u) << "ten matrix chunks and a status read at arrival, then the test command";
    EXPECT_EQ(lines.back(), "04"
                            "0d00"
                            "0d" +
                                std::string(120, '0'));
    for (const auto& line : lines)
        EXPECT_EQ(line.find_first_not_of("0123456789abcdef"), std::string::npos);
}

} // namespace
} // namespace velkarn::test

namespace velkarn::test {
namespace {

TEST(SimOptionsTest, StatusRecordValuesComeFromTheEnvironment) {
    ::setenv("PYLONET_SIM_ACTIVE_PROFILE", "2", 1);
    ::setenv("PYLONET_SIM_MACRO_UNITS", "0", 1);
    ::setenv("PYLONET_SIM_MODES", "3, 20", 1);
    ::setenv("PYLONET_SIM_STATE", TempFile("options.state").c_str(), 1);
    pylonet_sim::SimOptions options = pylonet_sim::SimOptions::FromEnvironment();
    ::setenv("PYLONET_SIM_MACRO_UNITS", "256", 1);
    ::setenv("PYLONET_SIM_MODES", "1,0", 1);
    ::testing::internal::CaptureStderr();
    const pylonet_sim::SimOptions refused = pylonet_sim::SimOptions::FromEnvironment();
    const std::string err = ::testing::internal::GetCapturedStderr();
    for (const char* name :
         {"PYLONET_SIM_ACTIVE_PROFILE", "PYLONET_SIM_MACRO_UNITS", "PYLONET_SIM_MODES", "PYLONET_SIM_STATE"})
        ::unsetenv(name);

    EXPECT_FALSE(refused.macroUnits.has_value());
    EXPECT_FALSE(refused.modes.has_value());
    EXPECT_NE(err.find("PYLONET_SIM_MACRO_UNITS must be 0..255"), std::string::npos) << err;

    pylonet_sim::SimKeyboard sim(options);
    auto status = sim.Memory().status;
    EXPECT_EQ(status[10], 2);
    EXPECT_EQ(status[11], 0);
    EXPECT_EQ(status[12], 3);
    EXPECT_EQ(status[13], 20);
    EXPECT_TRUE(std::all_of(status.begin() + 14, status.end(), [](uint8_t b) { return b == 0; }));
    sim.ResetMemory();
    EXPECT_EQ(sim.Memory().status, status) << "a reset keeps the configured record";
}

// The shipped library takes its options from the environment and runs for
// as long as the session: it must not keep every report it was sent.
TEST(SimOptionsTest, TheEnvironmentsKeyboardKeepsNoTraffic) {
    ::setenv("PYLONET_SIM_STATE", TempFile("traffic.state").c_str(), 1);
    pylonet_sim::SimOptions options = pylonet_sim::SimOptions::FromEnvironment();
    ::unsetenv("PYLONET_SIM_STATE");
    EXPECT_FALSE(options.recordTraffic);
    options.faults = {};
    options.plugged = true;
    pylonet_sim::SimKeyboard sim(options);
    const InterfaceSelector vendor{0, 0, 0, pylonet_sim::kSimVendorPage, pylonet_sim::kSimVendorUsage, 0};
    const uint8_t report[kPylonetReportSize] = {0x00, 0x01};
    const uint8_t indicator[2] = {0x05, 0x03};
    uint32_t unit = 0;
    EXPECT_EQ(sim.WriteOne(&vendor, report, sizeof report), 1);
    EXPECT_EQ(sim.StatusWrite(&vendor, nullptr, 0, indicator, sizeof indicator, &unit), 1);
    sim.DeleteRequest(unit);
    EXPECT_TRUE(sim.Received().empty());
    EXPECT_TRUE(sim.IndicatorWrites().empty());
    EXPECT_TRUE(sim.DeletedUnits().empty());
}

} // namespace
} // namespace velkarn::test
