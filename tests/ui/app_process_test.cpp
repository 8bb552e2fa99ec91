// Whole-process behaviour of velkarn against the simulated keyboard, in a
// virtual X display with a tray host: the first show, /Start, starting
// without the keyboard, the hand-over to a running copy and /Kill.
#include "app_process.h"

#include <QFile>
#include <QThread>
#include <array>
#include <gtest/gtest.h>

namespace velkarn::test {
namespace {

class AppProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (VirtualDisplay().isEmpty())
            GTEST_SKIP() << "needs Xvfb and trayer";
        if (!QFile::exists(BinFolder() + "/velkarn") || !QFile::exists(BinFolder() + "/libpylonet-sim.so"))
            GTEST_SKIP() << "needs the velkarn executable and the simulated keyboard";
    }

    // Starts the first copy and waits until its tray exists and the first
    // presence report is through.
    void StartFirst(AppProcess& app, bool plugged, const QStringList& args = {}) {
        ASSERT_TRUE(app.Start(m_home.Environment(plugged), args));
        ASSERT_TRUE(app.WaitForTrace("tray ready")) << app.Output().toStdString();
        ASSERT_TRUE(app.WaitForTrace(plugged ? "tray icon 141" : "tray icon 128"))
            << app.Output().toStdString();
    }

    ProcessTestLock m_turn;
    AppHome m_home;
};

TEST_F(AppProcessTest, PluggedStartShowsTheWindowOnce) {
    AppProcess app;
    StartFirst(app, true);
    ASSERT_TRUE(app.WaitForTrace("window shown"));
    // Unplugging hides it; plugging in again does not open it a second time.
    ASSERT_EQ(RunSimCtl(m_home.Environment(true), {"unplug"}), 0);
    ASSERT_TRUE(app.WaitForTrace("tray icon 128"));
    ASSERT_TRUE(app.WaitForTrace("window hidden"));
    ASSERT_EQ(RunSimCtl(m_home.Environment(true), {"plug"}), 0);
    ASSERT_TRUE(app.WaitForTrace("store reloaded"));
    EXPECT_EQ(app.CountTrace("window shown", 1000), 1);
    EXPECT_EQ(app.CountTrace("tray icon 141"), 2);
}

TEST_F(AppProcessTest, StartOptionKeepsTheWindowHidden) {
    AppProcess app;
    StartFirst(app, true, {"/sTaRt"});
    EXPECT_EQ(app.CountTrace("window shown", 1000), 0);
}

TEST_F(AppProcessTest, UnpluggedStartStaysInTheTrayAndALaterArrivalDoesNotOpen) {
    AppProcess app;
    StartFirst(app, false);
    EXPECT_EQ(app.CountTrace("store reloaded"), 0);
    ASSERT_EQ(RunSimCtl(m_home.Environment(false), {"plug"}), 0);
    ASSERT_TRUE(app.WaitForTrace("store reloaded"));
    ASSERT_TRUE(app.WaitForTrace("tray icon 141"));
    EXPECT_EQ(app.CountTrace("window shown", 1000), 0);
}

TEST_F(AppProcessTest, ArrivalWritesTheStoreFileOfAnEmptyKeyboard) {
    AppProcess app;
    StartFirst(app, true);
    ASSERT_TRUE(app.WaitForTrace("store reloaded"));
    QFile file(m_home.DataFolder() + "/Ferrowyn Driver/$Profile0");
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_GE(bytes.size(), 32832);
    const std::array<uint8_t, 16> head = {0x46, 0x44, 0x20, 0x00, 0x03, 0x00, 0x01, 0x00,
                                          0x40, 0x80, 0x00, 0x00, 0x00, 0x08, 0x00, 0x00};
    for (size_t i = 0; i < head.size(); ++i)
        EXPECT_EQ(static_cast<uint8_t>(bytes[static_cast<int>(i)]), head[i]) << "byte " << i;
    for (int i = 16; i < 31; ++i)
        EXPECT_EQ(bytes[i], 0) << "byte " << i;
    EXPECT_EQ(static_cast<uint8_t>(bytes[31]), 0x76);
}

TEST_F(AppProcessTest, SecondStartHandsOverAndEnds) {
    AppProcess app;
    StartFirst(app, true, {"/Start"});
    EXPECT_EQ(RunVelkarn(m_home.Environment(true), {}), 0);
    EXPECT_TRUE(app.WaitForTrace("window shown"));
    // Only the first copy ever bound the keyboard and made a tray icon.
    EXPECT_EQ(app.CountTrace("tray ready"), 1);
}

TEST_F(AppProcessTest, KillEndsTheRunningCopyInOrder) {
    AppProcess app;
    StartFirst(app, true, {"/Start"});
    EXPECT_TRUE(QFile::exists("/dev/shm/sem.Velkarn_Event_Main_01"));
    EXPECT_TRUE(QFile::exists("/dev/shm/sem.Velkarn_Event_Main_208"));
    EXPECT_EQ(RunVelkarn(m_home.Environment(true), {"/KILL"}), 0);
    EXPECT_EQ(app.WaitForExit(), 0);
    const QStringList lines = app.TraceLines();
    QStringList steps;
    for (const QString& line : lines) {
        if (line.startsWith("exit step "))
            steps << line.mid(10);
    }
    const QStringList expected = {
        "hide",      "close dialogs", "release single instance", "close named events", "remove tray icon",
        "free store", "free download copy"};
    EXPECT_EQ(steps, expected) << lines.join('\n').toStdString();
    EXPECT_FALSE(QFile::exists("/dev/shm/sem.Velkarn_Event_Main_01"));
    EXPECT_FALSE(QFile::exists("/dev/shm/sem.Velkarn_Event_Main_208"));
}

TEST_F(AppProcessTest, KillWithNothingRunningStartsNormally) {
    AppProcess app;
    StartFirst(app, false, {"/kill"});
    EXPECT_EQ(app.CountTrace("tray ready"), 1);
}

} // namespace
} // namespace velkarn::test
