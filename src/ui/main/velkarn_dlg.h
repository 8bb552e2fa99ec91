// CVelkarnDlg: the application's one main window. It owns the drawn
// keyboard, binds the keyboard's service library, lives hidden behind a tray
// icon, and is reached from other threads and from a second copy of the
// program only through its custom messages (see main_messages.h).
//
// Start: the constructor runs the start-up checks (command line, single
// instance, hand-over to a running copy, companion program); OnInitDialog
// binds the device link, builds the skin and the controls, starts the
// instance socket and the named events and posts itself "INIT"; Run enters
// the window's loop until Exit.
//
// Thread safety: the window and everything it owns belong to the UI thread.
// Other threads use the presence bridge (PresenceSinkFor) or deliver window
// messages through DeliverMessage, which hands them to the UI thread and
// waits until they are handled.
#pragma once

#include "app/prompts.h"
#include "skin/base_dialog.h"
#include "store/profile_store.h"
#include "ui/main/child_dialogs.h"
#include "ui/main/keyboard_view.h"
#include "ui/main/lighting_hooks.h"
#include "ui/main/window_timers.h"

#include <QUrl>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QEventLoop;
class QLabel;

namespace velkarn {

class CPngButton;
class SingleInstanceLock;
class CTrayIcon;
class CAboutDlg;
class PresenceBridge;
class PresenceSink;
class UiCallBridge;
struct MainWindowSystem;

// What the main window reaches outside itself. Defaults are the real ones;
// tests replace what they need to watch or must not touch.
struct MainWindowOptions {
    std::vector<std::string> arguments; // command line after the program name
    // Run the start-up checks in the constructor (single instance, hand-over,
    // companion program). Tests of one window in a process turn them off.
    bool startupChecks = true;
    // Without the checks: what the caller's own checks found.
    bool startHidden = false;                   // "/Start"
    SingleInstanceLock* instanceLock = nullptr; // released by Exit
    // Bind the keyboard's service library (Bind of the device link) with
    // the window's presence sink. Null: the process-wide binding.
    std::function<void(PresenceSink& sink)> bindDevice;
    // Listen on the instance socket and create the 208 named events.
    bool instanceServer = true;
    bool namedEvents = true;
    Prompts* prompts = nullptr;               // null: the Qt prompts
    ChildDialogs* dialogs = nullptr;          // null: none yet (a key click only highlights)
    LightingHooks* lighting = nullptr;        // null: re-read into the store's mirror
    ProfileStore* store = nullptr;            // null: the process-wide store
    std::function<bool(const QUrl&)> openUrl; // null: QDesktopServices
    std::optional<bool> trayAvailable;        // tests: pretend there is (no) system tray
};

class CVelkarnDlg : public CBaseDialog {
    Q_OBJECT
public:
    explicit CVelkarnDlg(MainWindowOptions options = {}, QWidget* parent = nullptr);
    ~CVelkarnDlg() override;

    // False when the start-up checks handed over to a running copy (or
    // /Kill ended one): the process must end now with code 0.
    bool ShouldRun() const { return m_shouldRun; }

    bool OnInitDialog() override;
    // OnInitDialog, then the window's loop until Exit; the exit code (0).
    int Run();

    // The custom messages, on the UI thread. The result is what a sender
    // gets back (0 for a message that does nothing).
    intptr_t WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam);
    // From any thread: hands a message another program may send ("OPEN",
    // "KILL", the commands for any sender) to the UI thread and waits for its
    // result (the instance socket's handler); anything else gets 0.
    intptr_t DeliverMessage(uint32_t message, uintptr_t wParam, intptr_t lParam);

    // The commands of the window's buttons and menus.
    void OnCommand(int id);
    void OnOK();
    void OnCancel();
    void Show();
    void HideWindow();
    void Exit();
    void OpenHelp();
    void ShowAbout();
    void Apply();

    // Tray icon (the presence interface's icon operation).
    void SetTrayIcon(bool alternate, int iconId);
    int ShownTrayIcon() const { return m_shownIcon; }
    bool TrayReady() const;
    bool TrayAvailable() const;

    // Device-link events, on the UI thread (the presence bridge calls them).
    void OnKeyboardRemoved();
    void OnKeyboardArrived();
    void OnBankToggled();
    void SetButtonCaption(int controlId, const std::string& caption);
    void ShowMessage(const std::string& text);

    PresenceSink& PresenceSinkFor();
    KeyboardView& View() { return *m_view; }
    WindowTimers& Timers() { return *m_timers; }
    ProfileStore& Store() { return m_store; }
    CPngButton* CommandButton(int id) const;
    bool ApplyPending() const { return m_applyPending; }
    void SetApplyPending(bool pending);
    // Re-localises the window (the "LANG" message).
    void Localise(int languageIndex);
    const std::string& LinkAddress() const { return m_link; }

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override { OnCancel(); }
    void accept() override { OnOK(); }

private:
    class StoreViewSink;

    void RunStartupChecks();
    bool LoadSkinImages();
    void SkinControls();
    CPngButton* AddCommandButton(int id, const char* skinKey, const char* tooltipKey = nullptr);
    void CreateTray();
    void OnTimer(int id);
    void OnInitMessage();
    void OnProfMessage();
    void CloseChildDialogs();
    void RefreshProfileButtons();
    void ShowButtonMenu();
    void OpenWebLink(const std::string& address);
    void SetSwitchCaption(bool colourMode);
    void RunExitSequence();

    MainWindowOptions m_opts;
    ProfileStore& m_store;
    std::unique_ptr<Prompts> m_ownPrompts;
    Prompts* m_prompts = nullptr;
    std::unique_ptr<ChildDialogs> m_ownDialogs;
    ChildDialogs* m_dialogs = nullptr;
    std::unique_ptr<LightingHooks> m_ownLighting;
    LightingHooks* m_lighting = nullptr;
    std::unique_ptr<StoreViewSink> m_storeSink;

    // Process-lifetime objects (see presence_bridge.h): never deleted.
    UiCallBridge* m_ui = nullptr;
    PresenceBridge* m_presence = nullptr;

    std::unique_ptr<MainWindowSystem> m_system; // lock, socket, events
    SingleInstanceLock* m_instanceLock = nullptr;
    WindowTimers* m_timers = nullptr;
    KeyboardView* m_view = nullptr;
    std::map<int, CPngButton*> m_commands;
    QLabel* m_version = nullptr;
    QLabel* m_lightingToggle = nullptr;
    QLabel* m_lightingLabel = nullptr;
    QLabel* m_rateLabel = nullptr;
    KeyViewPictures m_pictures;
    StatePicture m_arrow;
    std::unique_ptr<CTrayIcon> m_tray;
    CAboutDlg* m_about = nullptr;
    QEventLoop* m_loop = nullptr;

    std::string m_link;
    bool m_shouldRun = true;
    bool m_startHidden = false; // "/Start"
    bool m_initialised = false;
    bool m_exiting = false;
    bool m_applyPending = false;
    bool m_sawArrival = false;
    bool m_devicePresent = false;
    int m_presenceIcon = 0;
    int m_shownIcon = 0;
    int m_progressFrame = 0;
};

} // namespace velkarn
