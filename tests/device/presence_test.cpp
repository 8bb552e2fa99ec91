// Keyboard arrival and removal as the main window sees them, the consumer
// events, and the G-key bank indicator.
#include "app/localisation.h"
#include "device_fixture.h"

namespace velkarn::test {
namespace {

using PresenceTest = DeviceTest;
using Lines = std::vector<std::string>;

TEST_F(PresenceTest, StartWithoutKeyboardThenPlugIn) {
    Bind(QuietOptions(false));
    EXPECT_EQ(m_state.startupShowDecided.load(), 1);
    m_library->PresenceHandling().Shutdown(); // let the first worker finish
    EXPECT_TRUE(m_sink.Events().empty());
    EXPECT_TRUE(Received().empty());
}

TEST_F(PresenceTest, PlugInAfterAnEmptyStartReadsAndReportsButDoesNotOpen) {
    Bind(QuietOptions(false));
    m_sim->Plug(true);
    ASSERT_TRUE(m_sink.WaitFor("icon 141"));
    m_library->PresenceHandling().Shutdown();
    EXPECT_EQ(m_sink.Events(), (Lines{"PROF", "icon 141"}));
    auto received = Received();
    ASSERT_EQ(received.size(), 11u);
    for (size_t i = 0; i < 10; ++i)
        EXPECT_EQ(received[i][3], 0x0F);
    EXPECT_EQ(received[10][3], 0x03);
    EXPECT_EQ(m_state.macroCapacity.load(), pylonet_sim::kFactoryMacroUnits * 128);
    EXPECT_EQ(m_defaultMap.Get(), pylonet_sim::FactoryDefaultMatrix());
    EXPECT_EQ(m_state.lastDeviceCount.load(), 1);
}

TEST_F(PresenceTest, StartWithKeyboardOpensOnceAcrossReplug) {
    m_state.activeProfile = 1;
    Bind();
    ASSERT_TRUE(m_sink.WaitFor("OPEN"));
    EXPECT_EQ(m_sink.Events(), (Lines{"PROF", "icon 141", "OPEN"}));
    EXPECT_EQ(m_state.activeProfile.load(), -1) << "binding forgets the cached profile";

    m_state.activeProfile = 2;
    m_sink.Clear();
    m_sim->Plug(false);
    ASSERT_TRUE(m_sink.WaitFor("icon 128"));
    EXPECT_EQ(m_sink.Events(), (Lines{"removed", "hide", "icon 128"}));
    EXPECT_EQ(m_state.activeProfile.load(), -1);

    m_sink.Clear();
    m_sim->Plug(true);
    ASSERT_TRUE(m_sink.WaitFor("icon 141"));
    m_library->PresenceHandling().Shutdown();
    EXPECT_EQ(m_sink.Events(), (Lines{"PROF", "icon 141"}));
}

TEST_F(PresenceTest, StartupShowAlreadyDecidedKeepsTheWindowHidden) {
    m_state.startupShowDecided = 1; // "/Start"
    Bind();
    ASSERT_TRUE(m_sink.WaitFor("icon 141"));
    m_library->PresenceHandling().Shutdown();
    EXPECT_EQ(m_sink.Events(), (Lines{"PROF", "icon 141"}));
}

TEST_F(PresenceTest, SameCountTwiceEndsTheSecondWorkerAtOnce) {
    BindPlugged();
    EXPECT_EQ(m_library->PresenceHandling().PresenceWorker(1), 0);
    EXPECT_TRUE(m_sink.Events().empty());
    EXPECT_TRUE(Received().empty());
}

TEST_F(PresenceTest, WorkerWaitsForTheTrayBeforeSettingTheIcon) {
    m_sink.SetTrayReady(false);
    std::atomic<int> polls{0};
    m_clock.OnSleep([&](uint32_t ms) {
        if (ms == kTrayPollMs && ++polls == 3)
            m_sink.SetTrayReady(true);
    });
    Bind();
    ASSERT_TRUE(m_sink.WaitFor("icon 141"));
    m_library->PresenceHandling().Shutdown();
    m_clock.OnSleep({});
    EXPECT_EQ(polls.load(), 3);
    EXPECT_EQ(m_sink.Events().front(), "PROF") << "arrival reads come before the tray exists";
}

// A removal reported while the arrival worker still waits for the tray must
// not overtake it: the keyboard ends up gone, as it is.
TEST_F(PresenceTest, WorkersRunInTheOrderOfTheNotifications) {
    m_sink.SetTrayReady(false);
    Bind();
    ASSERT_TRUE(m_sink.WaitFor("PROF"));
    m_sim->Plug(false);
    m_sim->Drain(); // the removal worker has been started
    m_sink.SetTrayReady(true);
    ASSERT_TRUE(m_sink.WaitFor("icon 128"));
    m_library->PresenceHandling().Shutdown();
    EXPECT_EQ(m_sink.Events(), (Lines{"PROF", "icon 141", "OPEN", "removed", "hide", "icon 128"}));
    EXPECT_EQ(m_state.lastDeviceCount.load(), 0);
}

TEST_F(PresenceTest, FailedReadsKeepThePreviousValuesAndStillSendProf) {
    m_realWaitCapMs = 20;
    pylonet_sim::SimOptions options = QuietOptions();
    options.faults = FaultsOf("status=ff");
    m_state.macroCapacity = 512;
    Bind(options);
    ASSERT_TRUE(m_sink.WaitFor("icon 141"));
    m_library->PresenceHandling().Shutdown();
    EXPECT_EQ(m_sink.Events()[0], "message " + Text("MAIN_DEFAULT_MATRIX_PROMPT"));
    EXPECT_EQ(m_sink.Events()[1], "PROF");
    EXPECT_EQ(m_defaultMap.Get(), BuiltinDefaultKeyMap());
    EXPECT_EQ(m_state.macroCapacity.load(), 512);
}

TEST_F(PresenceTest, TwoBankTogglesWriteTheIndicatorAfterDeletingTheOldRequest) {
    BindPlugged();
    const auto deletesAtBind = m_sim->DeletedUnits();
    EXPECT_EQ(deletesAtBind, (std::vector<uint32_t>{0, 0})) << "first registrations delete unit 0";

    m_sim->SendConsumerCode(0x02FF);
    ASSERT_TRUE(m_sink.WaitFor("caption 1143 "));
    EXPECT_EQ(m_library->GKeyBank(), 1);
    m_sim->SendConsumerCode(0x02FF);
    m_sim->Drain();
    EXPECT_EQ(m_library->GKeyBank(), 0);

    EXPECT_EQ(m_sim->IndicatorWrites(), (std::vector<std::vector<uint8_t>>{{0x05, 0x03}, {0x05, 0x02}}));
    auto deletes = m_sim->DeletedUnits();
    ASSERT_EQ(deletes.size(), 4u);
    EXPECT_EQ(deletes[2], 0u);
    EXPECT_NE(deletes[3], 0u) << "the second toggle deletes the first indicator request";

    const auto events = m_sink.Events();
    const Lines firstToggle(events.begin(), events.begin() + 10);
    EXPECT_EQ(firstToggle,
              (Lines{"LED", "caption 1000 B1", "caption 1001 B2", "caption 1002 B3", "caption 1003 B4",
                     "caption 1004 B5", "caption 1140 ", "caption 1141 ", "caption 1142 ", "caption 1143 "}));
    EXPECT_EQ(events[11], "caption 1000 A1");
}

TEST_F(PresenceTest, ConsumerCodesDriveTimerAndIcons) {
    BindPlugged();
    m_sim->SendConsumerCode(0x1802); // recognised, no effect
    m_sim->SendConsumerCode(0x0401);
    ASSERT_TRUE(m_sink.WaitFor("timer 1051"));
    m_sim->SendConsumerCode(0x1811);
    ASSERT_TRUE(m_sink.WaitFor("icon alt 142"));
    m_sim->SendConsumerCode(0x1810);
    ASSERT_TRUE(m_sink.WaitFor("icon 0"));
    m_library->PresenceHandling().Shutdown();
    EXPECT_EQ(m_sink.Events(), (Lines{"timer 1051", "icon alt 142", "icon 0"}));
}

} // namespace
} // namespace velkarn::test
