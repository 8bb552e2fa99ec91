// The report transaction at the wire: what the keyboard receives for each
// kind of answer, retries, and two callers at once.
#include "device_fixture.h"

#include <future>

namespace velkarn::test {
namespace {

ReportFrame StatusRequest() {
    ReportFrame r{};
    r[0] = kReportId;
    r[3] = 0x03;
    r[4] = 44;
    SealReport(r);
    return r;
}

using TransactionTest = DeviceTest;

TEST_F(TransactionTest, NoKeyboardGivesZeroAndWritesNothing) {
    Bind(QuietOptions(false));
    ReportFrame reply{};
    size_t length = 99;
    EXPECT_EQ(Link().SendCommand(StatusRequest(), reply, length), kDeviceNoKeyboard);
    EXPECT_EQ(length, 0u);
    EXPECT_TRUE(Received().empty());
}

TEST_F(TransactionTest, KeyboardThatNeverAnswersGetsThreeWritesThenMinusTwo) {
    BindPlugged();
    m_realWaitCapMs = 20;
    m_sim->SetFaults(FaultsOf("drop=all"));
    ReportFrame reply{};
    size_t length = 0;
    EXPECT_EQ(Link().SendCommand(StatusRequest(), reply, length), kDeviceNoReply);
    auto received = Received();
    ASSERT_EQ(received.size(), 3u);
    EXPECT_EQ(received[0], StatusRequest());
    EXPECT_EQ(received[1], received[0]);
    EXPECT_EQ(received[2], received[0]);
    EXPECT_EQ(Waits(), (std::vector<uint32_t>{1000, 1000, 1000}));
    EXPECT_EQ(m_clock.Sleeps(), (std::vector<uint32_t>{10, 10}));
}

TEST_F(TransactionTest, ErrorStatusIsRetriedAndMappedByTheBuilder) {
    BindPlugged();
    struct Case {
        const char* faults;
        int32_t expected;
    };
    for (const Case c : {Case{"status=ff", kDeviceStatusFF}, Case{"status=fe", kDeviceStatusFE}}) {
        SCOPED_TRACE(c.faults);
        m_sim->SetFaults(FaultsOf(c.faults));
        m_sim->ClearReceived();
        ReportFrame reply{};
        size_t length = 0;
        EXPECT_EQ(Link().SendCommand(StatusRequest(), reply, length), kDeviceSuccess);
        EXPECT_EQ(length, 64u);
        EXPECT_EQ(Received().size(), 3u);
        m_sim->ClearReceived();
        std::array<uint8_t, kStatusRecordSize> status{};
        EXPECT_EQ(ReadStatus(status, Link()), c.expected);
        EXPECT_EQ(Received().size(), 3u);
        EXPECT_EQ(status, (std::array<uint8_t, kStatusRecordSize>{})) << "no data copied on failure";
    }
}

TEST_F(TransactionTest, WrongEchoedCommandCountsAsNoReply) {
    BindPlugged();
    m_realWaitCapMs = 20;
    m_sim->SetFaults(FaultsOf("echo"));
    ReportFrame reply{};
    size_t length = 0;
    EXPECT_EQ(Link().SendCommand(StatusRequest(), reply, length), kDeviceNoReply);
    EXPECT_EQ(Received().size(), 3u);
}

TEST_F(TransactionTest, DroppedReplyIsRetriedWithTheSameFrame) {
    BindPlugged();
    m_realWaitCapMs = 20;
    m_sim->SetFaults(FaultsOf("drop=1"));
    std::array<uint8_t, kStatusRecordSize> status{};
    EXPECT_EQ(ReadStatus(status, Link()), kDeviceSuccess);
    EXPECT_EQ(status[11], pylonet_sim::kFactoryMacroUnits);
    auto received = Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0], received[1]);
}

TEST_F(TransactionTest, LongReplyIsCutToTheBuffer) {
    BindPlugged();
    m_sim->SetFaults(FaultsOf("long"));
    std::array<uint8_t, 80> buffer{};
    buffer.fill(0x11);
    size_t length = 0;
    EXPECT_EQ(Link().SendCommand(StatusRequest(), std::span(buffer).first(64), length), kDeviceSuccess);
    EXPECT_EQ(length, 64u);
    EXPECT_EQ(buffer[64], 0x11) << "nothing written past the capacity";
}

TEST_F(TransactionTest, RefusedWriteGivesMinusOneWithoutRetry) {
    BindPlugged();
    m_sim->SetFaults(FaultsOf("refuse"));
    ReportFrame reply{};
    size_t length = 0;
    EXPECT_EQ(Link().SendCommand(StatusRequest(), reply, length), kDeviceRefused);
    EXPECT_TRUE(Waits().empty());
}

TEST_F(TransactionTest, ShortRequestIsSentAsSixtyFourBytes) {
    BindPlugged();
    const uint8_t request[10] = {0x04, 0x0D, 0x00, 0x0D, 0, 0, 0, 0, 0, 0};
    ReportFrame reply{};
    size_t length = 0;
    EXPECT_EQ(Link().SendCommand(request, reply, length), kDeviceSuccess);
    auto received = Received();
    ASSERT_EQ(received.size(), 1u);
    ReportFrame expected{};
    std::copy(std::begin(request), std::end(request), expected.begin());
    EXPECT_EQ(received[0], expected);
}

TEST_F(TransactionTest, InputWhileNobodyWaitsIsDropped) {
    BindPlugged();
    const uint8_t stray[64] = {0x04, 0, 0, 0x03, 0, 0, 0, 0xFF};
    m_library->Link().Deliver(stray, sizeof stray);
    std::array<uint8_t, kStatusRecordSize> status{};
    EXPECT_EQ(ReadStatus(status, Link()), kDeviceSuccess);
    EXPECT_EQ(Received().size(), 1u);
}

// A second caller waits for the transaction in flight; neither reply is lost
// or handed to the wrong caller, and no report is sent twice.
TEST_F(TransactionTest, SecondCallerWaitsForTheFirstAndKeepsItsReply) {
    pylonet_sim::SimOptions options = QuietOptions();
    options.latencyUs = 20000;
    BindPlugged(options);
    std::array<uint8_t, kStatusRecordSize> status{};
    std::array<uint8_t, kReportDataSize> lighting{};
    auto first = std::async(std::launch::async, [&] { return ReadStatus(status, Link()); });
    auto second = std::async(std::launch::async, [&] { return ReadLightingTable(lighting, 42, 0, Link()); });
    EXPECT_EQ(first.get(), kDeviceSuccess);
    EXPECT_EQ(second.get(), kDeviceSuccess);
    const auto memory = m_sim->Memory();
    EXPECT_TRUE(std::equal(status.begin(), status.end(), memory.status.begin()));
    EXPECT_TRUE(std::equal(lighting.begin(), lighting.begin() + 42, memory.lighting.begin()));
    EXPECT_EQ(Received().size(), 2u);
}

TEST(RequestChecksumTest, SumsTheTableOverRecordAndData) {
    const InterfaceSelector zero{};
    // 24 zero record bytes, each adding table[0] = 0xFD.
    EXPECT_EQ(RequestChecksum(zero, nullptr, 0), 24u * 0xFD);
    const uint8_t data[] = {0x01, 0xFF};
    EXPECT_EQ(RequestChecksum(zero, nullptr, 0, data), 24u * 0xFD + 0x86 + 0xDE);
    // The tag's bytes as stored: "CTRL" is 4C 52 54 43.
    EXPECT_EQ(RequestChecksum(zero, nullptr, kControlTag), 20u * 0xFD + kChecksumTable[0x4C] +
                                                               kChecksumTable[0x52] + kChecksumTable[0x54] +
                                                               kChecksumTable[0x43]);
}

} // namespace
} // namespace velkarn::test
