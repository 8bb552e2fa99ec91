// The main window in this process (offscreen), with the skin of the build
// tree, a store over a fake keyboard port and scripted prompts: messages and
// their tags, the keyboard, colour marks, flip, bank captions and removal.
#include "app/localisation.h"
#include "app/path_table.h"
#include "app/settings_key.h"
#include "app_process.h"
#include "device/service_library.h"
#include "model/key_button_table.h"
#include "skin/png_button.h"
#include "support/temp_dir.h"
#include "ui/main/about_dlg.h"
#include "ui/main/main_messages.h"
#include "ui/main/ui_call_bridge.h"
#include "ui/main/velkarn_dlg.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QThread>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace velkarn {
namespace {

QApplication& App() {
    static int argc = 1;
    static char name[] = "test_ui";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: Qt's own statics may go first at exit.
    static QApplication* app = new QApplication(argc, argv);
    return *app;
}

// Runs the UI thread's events until done() holds or the time is up.
bool SpinUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
    QElapsedTimer t;
    t.start();
    while (!done()) {
        if (t.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(5);
    }
    return true;
}

class FakePort final : public KeyboardPort {
public:
    int ReadStatus(std::span<uint8_t, kDeviceStatusSize>) override { return 0; }
    int ReadKeyMap(std::span<uint8_t, kKeyMapBankSize>, int) override { return 0; }
    int WriteKeyMap(std::span<const uint8_t, kKeyMapBankSize>, int) override { return 0; }
    int ReadMacroArea(std::span<uint8_t>) override { return 0; }
    int WriteMacroArea(std::span<const uint8_t>) override { return 0; }
    int BeginUpdate() override { return 0; }
    int EndUpdate() override { return 0; }
    int ReadLightingTable(std::span<uint8_t, kReportDataSize>, int, int) override { return 0; }
    int ActiveProfileCache() const override { return active; }
    void SetActiveProfileCache(int profile) override { active = profile; }
    int MacroCapacity() const override { return 0; }
    int GKeyBank() const override { return bankSource ? bankSource() : bank; }

    int active = 0;
    int bank = 0;
    std::function<int()> bankSource;
};

class ScriptedPrompts final : public Prompts {
public:
    void Ok(std::string_view text, std::string_view) override { shown.emplace_back(text); }
    bool YesNo(std::string_view text, std::string_view) override {
        shown.emplace_back(text);
        return false;
    }
    void TopmostOk(std::string_view text, std::string_view) override { shown.emplace_back(text); }
    std::optional<std::string> OpenFile(const FileDialogRequest&) override { return openPath; }
    std::optional<std::string> SaveFile(const FileDialogRequest&) override { return savePath; }
    std::vector<std::string> shown;
    std::optional<std::string> openPath;
    std::optional<std::string> savePath;
};

class CountingDialogs final : public ChildDialogs {
public:
    void RunComposite(QWidget*, const KeyTarget& target) override { composite.push_back(target); }
    void CloseAll() override { ++closed; }
    std::vector<KeyTarget> composite;
    int closed = 0;
};

class CountingLighting final : public LightingHooks {
public:
    void ReadLighting(bool fillUserModes) override { reads.push_back(fillUserModes); }
    void RefreshPanel() override { ++refreshed; }
    bool LightingOn() const override { return on; }
    void PreviewTick() override { ++ticks; }
    std::vector<bool> reads;
    int refreshed = 0;
    bool on = false;
    int ticks = 0;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        if (!QFile::exists(QString(VELKARN_BIN_DIR) + "/Skins/Main.ini"))
            GTEST_SKIP() << "needs the generated skin in " << VELKARN_BIN_DIR;
        SetAppPaths(PathTable::FromFolder(VELKARN_BIN_DIR));
        m_store = std::make_unique<ProfileStore>(m_port);
    }

    MainWindowOptions Options() {
        MainWindowOptions o;
        o.startupChecks = false;
        o.bindDevice = [](PresenceSink&) {};
        o.instanceServer = false;
        o.namedEvents = false;
        o.prompts = &m_prompts;
        o.dialogs = &m_dialogs;
        o.store = m_store.get();
        o.trayAvailable = true;
        o.openUrl = [this](const QUrl& url) {
            m_opened.push_back(url);
            return true;
        };
        return o;
    }

    std::unique_ptr<CVelkarnDlg> MakeWindow() {
        auto window = std::make_unique<CVelkarnDlg>(Options());
        EXPECT_TRUE(window->OnInitDialog());
        QCoreApplication::processEvents(); // "INIT"
        return window;
    }

    // The key-map area of the active profile in the store's block.
    std::span<uint8_t> Area() { return m_store->Block()->Area(m_port.active); }
    static uint32_t Mark(std::span<uint8_t> area, int entry) { return area[entry * 16 + 8]; }

    test::XdgSandbox m_sandbox;
    FakePort m_port;
    std::unique_ptr<ProfileStore> m_store;
    ScriptedPrompts m_prompts;
    CountingDialogs m_dialogs;
    std::vector<QUrl> m_opened;
};

TEST_F(MainWindowTest, TagsMustMatchOrNothingHappens) {
    auto window = std::make_unique<CVelkarnDlg>(Options());
    ASSERT_TRUE(window->OnInitDialog());
    // The posted "INIT" has not run yet: a wrong tag must not create the tray.
    EXPECT_EQ(window->WindowProc(kMsgInit, 0x494E4955, 0), 0);
    EXPECT_FALSE(window->TrayReady());
    EXPECT_EQ(window->WindowProc(kMsgKill, kTagOpen, 0), 0);
    EXPECT_EQ(window->WindowProc(kMsgProf, 0, 0), 0);
    EXPECT_EQ(window->WindowProc(kMsgLang, kTagInit, 0), 0);
    EXPECT_EQ(window->WindowProc(0x1234, kTagInit, 0), 0);
    EXPECT_EQ(window->WindowProc(kMsgCommand, cmd::kClose, 0), 0); // not a command for outsiders
    // From another program only "OPEN", "KILL" and the commands for any
    // sender act, even with the right tag.
    EXPECT_EQ(window->DeliverMessage(kMsgInit, kTagInit, 0), 0);
    EXPECT_EQ(window->DeliverMessage(kMsgLang, kTagLang, 0), 0);
    EXPECT_EQ(window->DeliverMessage(kMsgSlider, 0, 0), 0);
    EXPECT_EQ(window->DeliverMessage(kMsgCommand, cmd::kClose, 0), 0);
    EXPECT_FALSE(window->TrayReady());
    EXPECT_EQ(window->WindowProc(kMsgInit, kTagInit, 0), 1);
    EXPECT_TRUE(window->TrayReady());
    EXPECT_EQ(window->ShownTrayIcon(), kIconNoKeyboard);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->WindowProc(kMsgCommand, cmd::kExit, 0), 1); // 32779 from any sender ends it
    EXPECT_EQ(m_store->Block(), nullptr);                         // the exit freed the store
}

TEST_F(MainWindowTest, OpenNeedsTheKeyboard) {
    auto window = MakeWindow();
    EXPECT_EQ(window->WindowProc(kMsgOpen, kTagOpen, 0), 1);
    EXPECT_FALSE(window->isVisible());
    ASSERT_EQ(m_prompts.shown.size(), 1u);
    EXPECT_EQ(m_prompts.shown[0], Text("MAIN_NO_DEVICE_PROMPT"));

    window->WindowProc(kMsgProf, kTagProf, 0);
    window->WindowProc(kMsgOpen, kTagOpen, 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(window->ApplyPending()); // a reload leaves nothing to apply
}

TEST_F(MainWindowTest, EnterAndEscapeNeitherApplyNorHide) {
    auto window = MakeWindow();
    window->WindowProc(kMsgProf, kTagProf, 0);
    window->Show();
    ASSERT_TRUE(window->isVisible());
    for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &press);
        QApplication::sendEvent(window.get(), &release);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(window->isVisible());
    // Cancel hides; a close from the window manager hides too and never exits.
    window->OnCommand(cmd::kCancel);
    EXPECT_FALSE(window->isVisible());
    window->Show();
    window->close();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(m_dialogs.closed, 0);
}

TEST_F(MainWindowTest, KeyClicksOpenTheAssignmentDialogWithTheirTarget) {
    auto window = MakeWindow();
    m_port.bank = 1;
    window->View().Button(1002)->click(); // G3
    window->OnCommand(kMacroButtonId);
    window->View().Button(1075)->click(); // B
    window->View().Button(1016)->click(); // D1: no assignment of its own
    ASSERT_EQ(m_dialogs.composite.size(), 3u);
    EXPECT_EQ(m_dialogs.composite[0].targetCode, 0x10B);
    EXPECT_FALSE(m_dialogs.composite[0].macroOnly);
    EXPECT_EQ(m_dialogs.composite[1].controlId, 1143);
    EXPECT_TRUE(m_dialogs.composite[1].macroOnly);
    EXPECT_EQ(m_dialogs.composite[2].targetCode, 48);
    EXPECT_EQ(window->View().OpenKey(1016), -1);
}

TEST_F(MainWindowTest, ColourModeTogglesMarksInTheirEntriesAndEnablesApply) {
    auto window = MakeWindow();
    CPngButton* sw = window->CommandButton(cmd::kSwitch);
    ASSERT_NE(sw, nullptr);
    EXPECT_EQ(sw->text().toStdString(), Text("MAIN_SWITCH_FUNCTION_TEXT"));
    sw->click();
    EXPECT_TRUE(window->View().ColourMode());
    EXPECT_EQ(sw->text().toStdString(), Text("MAIN_SWITCH_COLOR_TEXT"));
    EXPECT_FALSE(window->ApplyPending());

    window->View().Button(1075)->click(); // B: row 1
    EXPECT_EQ(Mark(Area(), 1), 1u);
    EXPECT_EQ(Mark(Area(), 48), 0u); // B's own entry is never marked
    EXPECT_TRUE(window->ApplyPending());
    EXPECT_TRUE(m_dialogs.composite.empty());
    window->View().Button(1075)->click();
    EXPECT_EQ(Mark(Area(), 1), 0u);

    m_port.bank = 1;
    window->View().Button(1002)->click(); // G3 in bank 1: its own entry 267, not row 11's
    EXPECT_EQ(Mark(Area(), 267), 1u);
    EXPECT_EQ(Mark(Area(), 11), 0u);

    // With the keyboard's profile unknown nothing is marked anywhere.
    m_port.active = -1;
    const std::vector<uint8_t> before(m_store->Block()->Bytes().begin(), m_store->Block()->Bytes().end());
    window->View().Button(1058)->click();
    EXPECT_TRUE(std::equal(before.begin(), before.end(), m_store->Block()->Bytes().begin()));

    sw->click();
    EXPECT_FALSE(window->View().ColourMode());
}

TEST_F(MainWindowTest, FlipButtonsSwapTheFKeysForTheDKeys) {
    auto window = MakeWindow();
    auto enabled = [&](auto ids) {
        std::vector<bool> out;
        for (int id : ids)
            out.push_back(window->View().Button(id)->isEnabled());
        return out;
    };
    const std::vector<int> fKeys = {1010, 1011, 1012, 1013};
    const std::vector<int> dKeys(kDKeyControlIds.begin(), kDKeyControlIds.end());
    EXPECT_EQ(enabled(fKeys), std::vector<bool>(4, true));
    EXPECT_EQ(enabled(dKeys), std::vector<bool>(6, false));
    window->View().Button(1130)->click(); // FLIP_1
    EXPECT_EQ(enabled(fKeys), std::vector<bool>(4, false));
    EXPECT_EQ(enabled(dKeys), std::vector<bool>(6, true));
    EXPECT_EQ(ReadProfileInt("Flip", 0), 1);
    window->View().Button(1129)->click(); // FLIP_0 does nothing
    EXPECT_EQ(ReadProfileInt("Flip", 0), 1);
    window->View().Button(1131)->click(); // FLIP_2
    EXPECT_EQ(enabled(fKeys), std::vector<bool>(4, true));
    EXPECT_EQ(ReadProfileInt("Flip", 0), 0);
    EXPECT_TRUE(window->View().Button(1014)->isEnabled()); // F5 is never flipped
}

TEST_F(MainWindowTest, ButtonMenuBacksUpAndRestoresProfileFiles) {
    auto window = MakeWindow();
    m_prompts.savePath = m_sandbox.Root().File("backup.fwc");
    window->OnCommand(cmd::kExport);
    const auto saved = m_sandbox.Root().Read("backup.fwc");
    ASSERT_TRUE(saved);
    EXPECT_EQ(saved->substr(0, 2), "FD");
    m_prompts.openPath = m_sandbox.Root().File("missing.fwc");
    window->OnCommand(cmd::kImport);
    ASSERT_FALSE(m_prompts.shown.empty());
    EXPECT_EQ(m_prompts.shown.back(), Text("MAIN_PROMPT_INPORT"));
}

TEST_F(MainWindowTest, HelpOpensTheIndexPageBesideTheProgram) {
    auto window = MakeWindow();
    window->OnCommand(cmd::kTrayAbout);
    window->OnCommand(cmd::kHelp);
    ASSERT_EQ(m_opened.size(), 1u);
    EXPECT_EQ(m_opened[0].toLocalFile(), QString(VELKARN_BIN_DIR) + "/Help/index.html");
}

TEST_F(MainWindowTest, TrayIconFollowsPresenceAndTheConsumerCodes) {
    auto window = MakeWindow();
    window->SetTrayIcon(false, kIconKeyboardPresent);
    EXPECT_EQ(window->ShownTrayIcon(), 141);
    window->SetTrayIcon(true, 0); // 0x1811
    EXPECT_EQ(window->ShownTrayIcon(), 142);
    window->SetTrayIcon(false, 0); // 0x1810: back to the presence icon
    EXPECT_EQ(window->ShownTrayIcon(), 141);
    window->SetTrayIcon(false, kIconNoKeyboard);
    EXPECT_EQ(window->ShownTrayIcon(), 128);
}

TEST_F(MainWindowTest, TimersTickThePreviewAndRereadTheLighting) {
    CountingLighting lighting;
    MainWindowOptions o = Options();
    o.lighting = &lighting;
    CVelkarnDlg window(o);
    ASSERT_TRUE(window.OnInitDialog());
    EXPECT_EQ(window.Timers().Period(kTimerPreview), kPreviewFirstMs);
    ASSERT_TRUE(SpinUntil([&] { return window.Timers().Period(kTimerPreview) == kPreviewPeriodMs; }));
    EXPECT_EQ(lighting.ticks, 0); // the preview runs only with the lighting on
    lighting.on = true;
    ASSERT_TRUE(SpinUntil([&] { return lighting.ticks >= 2; }));

    // The library's callback arms 1051 from its own thread; it fires once.
    const size_t readsBefore = lighting.reads.size();
    std::thread callback([&] { window.PresenceSinkFor().StartLightingRefresh(); });
    callback.join();
    ASSERT_TRUE(SpinUntil([&] { return lighting.reads.size() == readsBefore + 1; }));
    EXPECT_FALSE(lighting.reads.back()); // without the user modes
    EXPECT_FALSE(window.Timers().IsActive(kTimerLightingReread));
    SpinUntil([] { return false; }, 100);
    EXPECT_EQ(lighting.reads.size(), readsBefore + 1);
}

TEST_F(MainWindowTest, WithoutATrayTheWindowComesUpAndMinimisesInsteadOfHiding) {
    MainWindowOptions o = Options();
    o.trayAvailable = false;
    CVelkarnDlg window(o);
    ASSERT_TRUE(window.OnInitDialog());
    QCoreApplication::processEvents();
    window.WindowProc(kMsgProf, kTagProf, 0);
    EXPECT_TRUE(window.isVisible());
    window.OnCommand(cmd::kCancel);
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.isMinimized());
    window.HideWindow(); // what a removal does
    EXPECT_TRUE(window.isVisible());
}

// The simulated keyboard bound in this process: the keyboard's own bank
// toggle recaptions the G keys through the library's thread, and unplugging
// it closes the child dialogs and hides the window.
TEST_F(MainWindowTest, KeyboardBankToggleAndRemovalReachTheWindow) {
    const std::string sim = std::string(VELKARN_BIN_DIR) + "/libpylonet-sim.so";
    if (!std::filesystem::exists(sim) ||
        !std::filesystem::exists(std::string(VELKARN_BIN_DIR) + "/pylonet-sim-ctl"))
        GTEST_SKIP() << "needs the simulated keyboard";
    test::EnvGuard library("VELKARN_SERVICE_LIBRARY", sim);
    test::EnvGuard state("PYLONET_SIM_STATE", m_sandbox.Root().File("sim.state"));
    test::EnvGuard plugged("PYLONET_SIM_PLUGGED", "1");
    static ServiceLibrary* link = new ServiceLibrary; // the library's threads may outlive the test
    MainWindowOptions o = Options();
    o.bindDevice = [](PresenceSink& sink) { link->Bind(sink); };
    m_port.bankSource = [] { return link->GKeyBank(); };
    auto window = std::make_unique<CVelkarnDlg>(o);
    ASSERT_TRUE(window->OnInitDialog());
    ASSERT_TRUE(SpinUntil([&] { return window->ShownTrayIcon() == kIconKeyboardPresent; }));
    ASSERT_TRUE(SpinUntil([&] { return window->isVisible(); })); // the first arrival opens it

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    auto ctl = [&](const char* command) {
        std::thread t([&] { EXPECT_EQ(test::RunSimCtl(env, {command}), 0); });
        SpinUntil([] { return false; }, 300);
        t.join();
    };
    auto caption = [&](int id) { return window->View().Button(id)->text().toStdString(); };
    // G1 has an assignment in bank 1 only: its look follows the bank.
    {
        std::lock_guard lock(m_store->StoreLock());
        Area()[265 * 16] = 1;
    }
    CPngButton* g1 = window->View().Button(1000);
    EXPECT_FALSE(g1->Extra());
    ctl("bank-toggle");
    ASSERT_TRUE(SpinUntil([&] { return caption(1000) == "B1"; }));
    EXPECT_EQ(caption(1004), "B5");
    EXPECT_EQ(caption(1140), "");
    EXPECT_TRUE(g1->Extra());
    ctl("bank-toggle");
    ASSERT_TRUE(SpinUntil([&] { return caption(1000) == "A1"; }));
    EXPECT_EQ(caption(1002), "A3");
    EXPECT_FALSE(g1->Extra());

    // The keyboard's own icon codes: 0x1811 then 0x1810.
    ctl("icon-alt");
    ASSERT_TRUE(SpinUntil([&] { return window->ShownTrayIcon() == kIconAlternate; }));
    ctl("icon-normal");
    ASSERT_TRUE(SpinUntil([&] { return window->ShownTrayIcon() == kIconKeyboardPresent; }));

    window->ShowAbout();
    ctl("unplug");
    ASSERT_TRUE(SpinUntil([&] { return window->ShownTrayIcon() == kIconNoKeyboard; }));
    EXPECT_FALSE(window->isVisible());
    EXPECT_GE(m_dialogs.closed, 1);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(qobject_cast<CAboutDlg*>(w) && w->isVisible()) << "the about box stayed open";
    window->Exit();
    link->Shutdown();
}

TEST(UiCallBridgeTest, SendRunsOnTheUiThreadAndShutdownReleasesWaiters) {
    App();
    UiCallBridge bridge;
    std::atomic<bool> ranOnUi{false};
    int result = 0;
    std::thread worker([&] {
        result = bridge.Send([&] {
            ranOnUi = QThread::currentThread() == QCoreApplication::instance()->thread();
            return 7;
        });
    });
    ASSERT_TRUE(SpinUntil([&] { return result == 7; }));
    worker.join();
    EXPECT_TRUE(ranOnUi);

    // A worker waiting on a UI thread that no longer turns is let go with 0.
    std::atomic<int> late{-1};
    std::thread waiting([&] { late = bridge.Send([] { return 5; }); });
    QThread::msleep(50);
    bridge.Shutdown();
    waiting.join();
    EXPECT_EQ(late, 0);
    EXPECT_EQ(bridge.Send([] { return 3; }), 0);
}

TEST(MissingSkinTest, AMissingOrUndecodablePictureEndsTheProcessWithCodeZero) {
    App();
    // A JPEG header that passes the reader's check, then nothing a decoder can use.
    static const char kCorrupt[] = "\xFF\xD8\xFF\xE0\x00\x10JFIF\x00garbage-garbage-garbage";
    const std::string corrupt(kCorrupt, sizeof kCorrupt - 1);
    struct Case {
        const char* file;
        bool remove; // else overwritten with the corrupt bytes
    };
    const Case cases[] = {{"main_color1.jpg", true}, {"Arrow.jpg", false}, {"main_over.jpg", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        test::TempDir dir;
        std::filesystem::copy(std::string(VELKARN_BIN_DIR) + "/Skins", dir.File("Skins"),
                              std::filesystem::copy_options::recursive);
        std::filesystem::copy(std::string(VELKARN_BIN_DIR) + "/Lang0409.ini", dir.File("Lang0409.ini"));
        const std::string picture = dir.File(std::string("Skins/") + c.file);
        if (c.remove) {
            std::filesystem::remove(picture);
        } else {
            std::ofstream(picture, std::ios::binary | std::ios::trunc) << corrupt;
        }
        SetAppPaths(PathTable::FromFolder(dir.Path()));
        int exitCode = -1;
        SetSkinExitFunction([&](int code) { exitCode = code; });
        FakePort port;
        ProfileStore store(port);
        MainWindowOptions o;
        o.startupChecks = false;
        o.bindDevice = [](PresenceSink&) {};
        o.instanceServer = false;
        o.namedEvents = false;
        o.store = &store;
        testing::internal::CaptureStderr();
        {
            CVelkarnDlg window(o);
            EXPECT_FALSE(window.OnInitDialog());
        }
        const std::string err = testing::internal::GetCapturedStderr();
        SetSkinExitFunction(nullptr);
        SetAppPaths(PathTable::FromFolder(VELKARN_BIN_DIR));
        EXPECT_EQ(exitCode, 0);
        EXPECT_NE(err.find(c.file), std::string::npos) << err;
    }
}

} // namespace
} // namespace velkarn
