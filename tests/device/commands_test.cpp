// The command set at the wire: chunk offsets and lengths, the carried-over
// bytes of a short last chunk, range checks, and the boot-loader report.
#include "device_fixture.h"
#include "platform/le.h"

namespace velkarn::test {
namespace {

using CommandsTest = DeviceTest;

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint8_t>(seed + i * 7);
    return v;
}

struct Chunk {
    uint8_t command;
    uint8_t length;
    uint16_t offset;
    bool operator==(const Chunk&) const = default;
};

std::vector<Chunk> Chunks(const std::vector<pylonet_sim::Report>& reports) {
    std::vector<Chunk> out;
    for (const auto& r : reports)
        out.push_back({r[3], r[4], le::U16(r, 5)});
    return out;
}

TEST_F(CommandsTest, WriteKeyMapOfBankOneSendsTenChunks) {
    BindPlugged();
    const auto map = Pattern(kKeyMapImageSize, 3);
    ASSERT_EQ(WriteKeyMap(std::span<const uint8_t, 512>(map.data(), 512), 1, Link()), kDeviceSuccess);
    auto received = Received();
    std::vector<Chunk> expected;
    for (int k = 0; k < 9; ++k)
        expected.push_back({0x08, 56, static_cast<uint16_t>(512 + 56 * k)});
    expected.push_back({0x08, 8, 1016});
    EXPECT_EQ(Chunks(received), expected);

    // The last report carries its 8 bytes, then the previous chunk's tail.
    const auto& last = received.back();
    EXPECT_TRUE(std::equal(map.begin() + 504, map.end(), last.begin() + 8));
    EXPECT_TRUE(std::equal(map.begin() + 456, map.begin() + 504, last.begin() + 16));
    EXPECT_EQ(le::U16(last, 1), ReportSum(last));

    const auto memory = m_sim->Memory();
    EXPECT_TRUE(std::equal(map.begin(), map.end(), memory.keyMaps.begin() + 512));
}

TEST_F(CommandsTest, WriteMacroAreaOf130BytesSendsThreeChunks) {
    BindPlugged();
    const auto macro = Pattern(130, 9);
    ASSERT_EQ(WriteMacroArea(macro, Link()), kDeviceSuccess);
    EXPECT_EQ(Chunks(Received()), (std::vector<Chunk>{{0x0A, 56, 0}, {0x0A, 56, 56}, {0x0A, 18, 112}}));
    std::vector<uint8_t> back(130);
    ASSERT_EQ(ReadMacroArea(back, Link()), kDeviceSuccess);
    EXPECT_EQ(back, macro);
}

TEST_F(CommandsTest, OutOfRangeAndEmptyTransfersSendNothing) {
    BindPlugged();
    std::array<uint8_t, kKeyMapImageSize> map{};
    EXPECT_EQ(ReadKeyMap(map, 3, Link()), kDeviceOutOfRange);
    EXPECT_EQ(WriteKeyMap(map, 3, Link()), kDeviceOutOfRange);
    EXPECT_EQ(ReadMacroArea({}, Link()), kDeviceSuccess);
    EXPECT_EQ(WriteMacroArea({}, Link()), kDeviceSuccess);
    // A lighting write longer than the data field would overrun the report.
    std::array<uint8_t, 60> bytes{};
    EXPECT_EQ(WriteLightingTable(bytes, 57, 0, Link()), kDeviceOutOfRange);
    EXPECT_EQ(WriteLightingTable(std::span(bytes).first(2), 3, 0, Link()), kDeviceOutOfRange);
    EXPECT_EQ(WriteKeyColours(bytes, 3, 126, Link()), kDeviceOutOfRange);
    EXPECT_TRUE(Received().empty());
}

TEST_F(CommandsTest, FailingChunkEndsTheTransferAndKeepsEarlierChunks) {
    BindPlugged();
    const auto map = Pattern(kKeyMapImageSize, 1);
    m_realWaitCapMs = 20;
    m_sim->SetFaults(FaultsOf("drop=2,drop=3,drop=4"));
    EXPECT_EQ(WriteKeyMap(std::span<const uint8_t, 512>(map.data(), 512), 0, Link()), kDeviceNoReply);
    EXPECT_EQ(Received().size(), 4u) << "one good chunk, then three tries of the second";
    const auto memory = m_sim->Memory();
    EXPECT_TRUE(std::equal(map.begin(), map.begin() + 56, memory.keyMaps.begin()));
}

TEST_F(CommandsTest, EndUpdatePausesTenMillisecondsFirst) {
    BindPlugged();
    size_t sentAtPause = 99;
    m_clock.OnSleep([&](uint32_t) { sentAtPause = m_sim->Received().size(); });
    EXPECT_EQ(EndUpdate(Link()), kDeviceSuccess);
    m_clock.OnSleep({});
    EXPECT_EQ(m_clock.Sleeps(), (std::vector<uint32_t>{kEndUpdatePauseMs}));
    EXPECT_EQ(sentAtPause, 0u);
    EXPECT_EQ(Chunks(Received()), (std::vector<Chunk>{{0x02, 0, 0}}));
}

TEST_F(CommandsTest, StatusRoundTripChangesOnlyTheActiveProfile) {
    BindPlugged();
    std::array<uint8_t, kStatusRecordSize> status{};
    ASSERT_EQ(ReadStatus(status, Link()), kDeviceSuccess);
    const auto before = m_sim->Memory().status;
    EXPECT_TRUE(std::equal(status.begin(), status.end(), before.begin()));
    status[10] = 2;
    ASSERT_EQ(WriteStatus(status, Link()), kDeviceSuccess);
    auto after = m_sim->Memory().status;
    EXPECT_EQ(after[10], 2);
    after[10] = before[10];
    EXPECT_EQ(after, before);
}

TEST_F(CommandsTest, LightingReadAtTheLastRecordKeepsItsFortyTwoBytes) {
    BindPlugged();
    const auto record = Pattern(3, 0x40);
    ASSERT_EQ(WriteLightingTable(record, 3, 84 + 25, Link()), kDeviceSuccess);
    std::array<uint8_t, kReportDataSize> out{};
    ASSERT_EQ(ReadLightingTable(out, 56, 84, Link()), kDeviceSuccess);
    const auto memory = m_sim->Memory();
    EXPECT_TRUE(std::equal(out.begin(), out.begin() + 42, memory.lighting.begin() + 84));
    EXPECT_TRUE(std::equal(record.begin(), record.end(), out.begin() + 25));
}

TEST_F(CommandsTest, ReadsReturnTheKeyboardMemory) {
    BindPlugged();
    ASSERT_TRUE(m_sim->SetKey(2, 17, 0x02, 0x02, 0x05));
    std::array<uint8_t, kKeyMapImageSize> map{};
    ASSERT_EQ(ReadKeyMap(map, 2, Link()), kDeviceSuccess);
    EXPECT_EQ(map[51], 0x02);
    EXPECT_EQ(map[53], 0x05);
    std::array<uint8_t, kKeyMapImageSize> matrix{};
    ASSERT_EQ(ReadDefaultMatrix(matrix, Link()), kDeviceSuccess);
    EXPECT_EQ(matrix, pylonet_sim::FactoryDefaultMatrix());
    EXPECT_EQ(TestCommand(Link()), kDeviceSuccess);
    EXPECT_EQ(BeginUpdate(Link()), kDeviceSuccess);
}

TEST_F(CommandsTest, UnknownCommandAndBadReportSumAreAnsweredFF) {
    BindPlugged();
    ReportFrame unknown{};
    unknown[0] = kReportId;
    unknown[3] = 0x42;
    SealReport(unknown);
    ReportFrame badSum = unknown;
    badSum[3] = 0x0D;
    for (const auto& request : {unknown, badSum}) {
        ReportFrame reply{};
        size_t length = 0;
        EXPECT_EQ(Link().SendCommand(request, reply, length), kDeviceSuccess);
        EXPECT_EQ(reply[7], 0xFF);
    }
}

TEST_F(CommandsTest, EnterBootLoaderSendsNoSumWaitsForNothingAndUnplugs) {
    BindPlugged();
    EXPECT_GT(EnterBootLoader(Link()), 0);
    auto received = Received();
    ASSERT_EQ(received.size(), 1u);
    ReportFrame expected{};
    expected[0] = 0x04;
    expected[3] = 0xEE;
    expected[4] = 0xEE;
    EXPECT_EQ(received[0], expected);
    EXPECT_TRUE(Waits().empty());
    EXPECT_TRUE(m_sink.WaitFor("icon 128"));
    EXPECT_FALSE(m_sim->Plugged());
}

} // namespace
} // namespace velkarn::test
