#include "ui/main/velkarn_dlg.h"

#include "app/exit_sequence.h"
#include "app/localisation.h"
#include "app/path_table.h"
#include "app/startup.h"
#include "device/commands.h"
#include "device/device_state.h"
#include "device/service_library.h"
#include "model/key_button_table.h"
#include "platform/clock_change_watch.h"
#include "platform/instance_socket.h"
#include "platform/named_events.h"
#include "skin/png_button.h"
#include "skin/prompts.h"
#include "skin/tray_icon.h"
#include "skin/window_message.h"
#include "store/profile_file.h"
#include "store/user_settings.h"
#include "ui/main/about_dlg.h"
#include "ui/main/main_messages.h"
#include "ui/main/presence_bridge.h"
#include "ui/main/trace.h"
#include "ui/main/ui_call_bridge.h"

#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QEventLoop>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <cstdio>

namespace velkarn {

namespace {

constexpr const char* kSection = "BUTTONINFO";
constexpr const char* kButtonFont = "Arial Unicode MS";
constexpr int kButtonFontSize = 10;
constexpr int kLanguageCount = 4;

// Fixed pages behind the three web buttons of the bottom bar.
constexpr const char* kWebPages[] = {
    "https://velkarn.example/",
    "https://velkarn.example/community",
    "https://velkarn.example/news",
};

const QColor kCaptionNormal(0xE6, 0xE9, 0xEF);
const QColor kCaptionOver(0xFF, 0xFF, 0xFF);
const QColor kCaptionDown(0xFF, 0xD2, 0x7A);
const QColor kCaptionDisabled(0x6B, 0x70, 0x7A);
const QColor kCaptionExtra(0xFF, 0xB3, 0x47);

QString Q(const std::string& text) {
    return QString::fromStdString(text);
}

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", value);
    return text;
}

// Until the lighting panel exists: keep the store's mirror of the status and
// the three lighting records current, so what the keyboard reports is known.
class MirrorLighting final : public LightingHooks {
public:
    explicit MirrorLighting(ProfileStore& store) : m_store(store) {}

    void ReadLighting(bool) override { m_store.RefreshLightingMirror(); }

private:
    ProfileStore& m_store;
};

} // namespace

// The store asks the window to redraw keys and to enable or disable Apply.
class CVelkarnDlg::StoreViewSink final : public KeyViewSink {
public:
    explicit StoreViewSink(CVelkarnDlg& window) : m_window(window) {}
    void RefreshKeyButton(int controlId) override { m_window.View().RefreshKeyButton(controlId); }
    void RefreshKeyButtons() override { m_window.View().RefreshKeyButtons(); }
    void SetApplyPending(bool pending) override { m_window.SetApplyPending(pending); }

private:
    CVelkarnDlg& m_window;
};

// What the window holds of the operating system: the single-instance lock,
// the instance socket and the named events.
struct MainWindowSystem {
    SingleInstanceLock lock;
    InstanceServer server;
    NamedEvents events;
    ClockChangeWatch clockWatch;
    ExitSequence exit;
};

CVelkarnDlg::CVelkarnDlg(MainWindowOptions options, QWidget* parent)
    : CBaseDialog(parent, AppPaths().mainSkinFile, AppPaths().mainSkinDirectory), m_opts(std::move(options)),
      m_store(m_opts.store ? *m_opts.store : GlobalProfileStore()),
      m_system(std::make_unique<MainWindowSystem>()) {
    // A frameless top-level window; a tool window (no taskbar entry) while
    // it is hidden in the tray.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::Tool);
    setAttribute(Qt::WA_QuitOnClose, false);

    if (m_opts.prompts) {
        m_prompts = m_opts.prompts;
    } else {
        m_ownPrompts = std::make_unique<QtPrompts>(this);
        m_prompts = m_ownPrompts.get();
    }
    if (m_opts.dialogs) {
        m_dialogs = m_opts.dialogs;
    } else {
        m_ownDialogs = std::make_unique<ChildDialogs>();
        m_dialogs = m_ownDialogs.get();
    }
    if (m_opts.lighting) {
        m_lighting = m_opts.lighting;
    } else {
        m_ownLighting = std::make_unique<MirrorLighting>(m_store);
        m_lighting = m_ownLighting.get();
    }
    // The device link keeps its sink for the rest of the process.
    m_ui = new UiCallBridge;
    m_presence = new PresenceBridge(*m_ui);
    m_presence->Attach(this);

    m_timers = new WindowTimers([this](int id) { OnTimer(id); }, this);
    m_view = new KeyboardView(this, m_store, *m_dialogs, *m_lighting, [this](bool p) { SetApplyPending(p); });
    m_view->onColourModeChanged = [this](bool on) { SetSwitchCaption(on); };
    m_storeSink = std::make_unique<StoreViewSink>(*this);
    setWindowIcon(CTrayIcon::LoadIcon(kIconNoKeyboard));

    m_startHidden = m_opts.startHidden;
    m_instanceLock = m_opts.instanceLock ? m_opts.instanceLock : &m_system->lock;
    if (m_opts.startupChecks)
        RunStartupChecks();
}

CVelkarnDlg::~CVelkarnDlg() {
    m_ui->Shutdown();
    m_presence->Attach(nullptr);
    if (m_store.KeyView() == m_storeSink.get())
        m_store.SetKeyView(nullptr);
    m_system->server.Stop();
    m_system->clockWatch.Stop();
    if (m_about)
        m_about->close();
}

void CVelkarnDlg::RunStartupChecks() {
    const CommandLine commandLine = ParseCommandLine(m_opts.arguments);
    m_startHidden = commandLine.start;
    SystemStartupEnvironment environment(AppPaths(), *m_instanceLock);
    if (velkarn::RunStartupChecks(commandLine, environment, TheDeviceState().startupShowDecided) ==
        StartupOutcome::kExit)
        m_shouldRun = false;
}

bool CVelkarnDlg::OnInitDialog() {
    if (m_initialised)
        return true;
    Trace("init");
    if (!CBaseDialog::OnInitDialog())
        return false;
    Trace("skin loaded");

    // The device link: the service library and the first presence worker.
    // A missing library ends the process here.
    if (m_opts.bindDevice)
        m_opts.bindDevice(*m_presence);
    else
        TheServiceLibrary().Bind(*m_presence);

    {
        std::lock_guard lock(m_store.StoreLock());
        m_store.ClearTexts();
        m_store.FreeMacros();
        m_store.NewBlock(0);
    }
    m_store.SetKeyView(m_storeSink.get());
    Trace("bound");

    if (!LoadSkinImages())
        return false;
    Trace("pictures loaded");
    m_link = ReadLink();
    SkinControls();
    EnsureDataFolder();

    // The marker a second copy looks for: listening on the instance socket.
    // Its messages are handled on the UI thread; the socket's thread waits.
    if (m_opts.instanceServer) {
        m_system->server.Start([this](uint32_t message, uint32_t wParam, uint32_t lParam) {
            return static_cast<uint32_t>(DeliverMessage(message, wParam, static_cast<intptr_t>(lParam)));
        });
    }
    setWindowTitle(Q(Text("MAIN_CAPTION")));
    if (m_opts.namedEvents)
        m_system->events.CreateAll();

    m_view->SetColourMode(false);
    PostWindowMessage(this, kMsgInit, kTagInit, 0);
    const int language = GetLanguageIndex();
    SendWindowMessage(this, kMsgLang, kTagLang, language >= kLanguageCount ? 0 : language);
    m_timers->Start(kTimerPreview, kPreviewFirstMs);
    // A change of the system clock applies what is pending, so that edits
    // never wait across it.
    m_system->clockWatch.Start([ui = m_ui, this] { ui->Post([this] { Apply(); }); });

    m_system->exit.Add("hide", [this] { hide(); });
    m_system->exit.Add("close dialogs", [this] { CloseChildDialogs(); });
    m_system->exit.Add("release single instance", [this] { m_instanceLock->Release(); });
    m_system->exit.Add("close named events", [this] { m_system->events.CloseAll(); });
    m_system->exit.Add("remove tray icon", [this] {
        if (m_tray)
            m_tray->Remove();
        SetApplyPending(false);
    });
    m_system->exit.Add("free store", [this] {
        std::lock_guard lock(m_store.StoreLock());
        m_store.SetKeyView(nullptr);
        m_store.ClearTexts();
        m_store.FreeMacros();
        m_store.FreeBlock();
    });
    m_system->exit.Add("free download copy", [this] { m_store.FreeDownloadCopy(); });
    m_initialised = true;
    Trace("initialised");
    return true;
}

bool CVelkarnDlg::LoadSkinImages() {
    const std::string skins = AppPaths().baseDirectory + "Skins/";
    const std::array<std::string, 4> files = {skins + "main_normal.jpg", skins + "main_over.jpg",
                                              skins + "main_down.jpg", skins + "main_disable.jpg"};
    // Every picture must be there: a window cut from missing pictures would
    // show blank keys the user cannot tell apart.
    auto missing = [](const std::string& file) {
        std::fprintf(stderr, "velkarn: cannot load the skin picture %s\n", file.c_str());
        std::fflush(stderr);
        SkinFatalExit();
        return false;
    };
    const std::string extraFiles[] = {skins + "Arrow.jpg", skins + "main_color0.jpg",
                                      skins + "main_color1.jpg"};
    // A header check first, so that a missing file is named before anything
    // is decoded; a picture that then fails to decode is just as fatal.
    for (const std::string& file : files) {
        if (!QImageReader(Q(file)).canRead())
            return missing(file);
    }
    for (const std::string& file : extraFiles) {
        if (!QImageReader(Q(file)).canRead())
            return missing(file);
    }
    KeyViewPictures pictures;
    const StatePictureSet& set1 = SharedStatePictures("Main", size(), files);
    if (set1.undecoded >= 0)
        return missing(files[static_cast<size_t>(set1.undecoded)]);
    pictures.set1 = set1;
    // The flipped layout's set holds the same four pictures; decoded once.
    pictures.set2 = pictures.set1;
    StatePicture* extras[] = {&m_arrow, &pictures.colourOff, &pictures.colourOn};
    for (size_t i = 0; i < 3; ++i) {
        const StatePicture decoded = LoadStatePicture(extraFiles[i]);
        if (decoded->isNull())
            return missing(extraFiles[i]);
        *extras[i] = DrawStatePicture(decoded, size());
    }
    // Optional: a skin without its own (readable) assigned look shows the
    // over look.
    const std::string assigned = skins + "main_assigned.jpg";
    if (QImageReader(Q(assigned)).canRead()) {
        const StatePicture decoded = LoadStatePicture(assigned);
        if (!decoded->isNull())
            pictures.assigned = DrawStatePicture(decoded, size());
    }
    m_pictures = pictures;
    return true;
}

CPngButton* CVelkarnDlg::AddCommandButton(int id, const char* skinKey, const char* tooltipKey) {
    auto* button = new CPngButton(this);
    button->setObjectName(QString::number(id));
    button->setFocusPolicy(Qt::NoFocus);
    const auto& p = m_pictures.set1.pictures;
    PlaceImageButton(button, IniPath(), kSection, skinKey, p[0], p[1], p[2], p[3], p[1]);
    if (tooltipKey)
        button->SetTooltipText(Q(Text(tooltipKey)), true);
    connect(button, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
    m_commands[id] = button;
    return button;
}

CPngButton* CVelkarnDlg::CommandButton(int id) const {
    auto it = m_commands.find(id);
    return it == m_commands.end() ? nullptr : it->second;
}

void CVelkarnDlg::SkinControls() {
    const std::string& ini = IniPath();
    m_view->Skin(ini, m_pictures);

    AddCommandButton(cmd::kLink, "ORLEQA_LINK")->SetTooltipText(Q(m_link), true);
    AddCommandButton(cmd::kProfiles, "FUNC_PROFILES");
    AddCommandButton(cmd::kMacro, "FUNC_MACRO");
    AddCommandButton(cmd::kOk, "CONTROL_OK");
    AddCommandButton(cmd::kCancel, "CONTROL_CANCEL");
    AddCommandButton(cmd::kHelp, "CONTROL_HELP", "MAIN_HELP_PROMPT");
    AddCommandButton(cmd::kClose, "CONTROL_CLOSE", "MAIN_CLOSE_PROMPT");
    AddCommandButton(cmd::kMinimize, "CONTROL_MINIMIZE", "MAIN_MINIMIZE_PROMPT");
    AddCommandButton(cmd::kButtonMenu, "CONTROL_MENU", "MAIN_MENU_PROMPT");
    AddCommandButton(cmd::kApply, "CONTROL2_APPLY");
    // Lock indicators: skinned, disabled, no behaviour of their own.
    for (auto [id, key] : {std::pair{1125, "LOCK_CAPS"}, std::pair{1126, "LOCK_NUM"},
                           std::pair{1127, "LOCK_SCROLL"}, std::pair{1128, "LOCK_AB"}}) {
        AddCommandButton(id, key)->setEnabled(false);
    }
    m_version = new QLabel(this);
    PlaceControl(m_version, ini, kSection, "ORLEQA_VER");
    m_version->setStyleSheet("color: #8b93a1; background: transparent;");
    m_version->setFont(QFont("Verdana Unicode MS", 8));
    m_version->setText(QStringLiteral("v%1").arg(QStringLiteral(VELKARN_VERSION)));
    AddCommandButton(1135, "FUNC_PROFILE1");
    AddCommandButton(1136, "FUNC_PROFILE2");
    AddCommandButton(1137, "FUNC_PROFILE3");
    AddCommandButton(1138, "FUNC_DEFAULT");
    AddCommandButton(cmd::kSwitch, "FUNC_SWITCH");
    const char* reports[] = {"FUNC_REPORT1", "FUNC_REPORT2", "FUNC_REPORT3", "FUNC_REPORT4"};
    const int reportIds[] = {1147, 1168, 1169, 1170};
    for (int i = 0; i < 4; ++i)
        AddCommandButton(reportIds[i], reports[i]);
    AddCommandButton(cmd::kWebLink1, "CONTROL_Network");
    AddCommandButton(cmd::kWebLink2, "CONTROL_Facebook");
    AddCommandButton(cmd::kWebLink3, "CONTROL_twitter");
    // The arrows show their looks from one picture and never act.
    for (auto [id, key] : {std::pair{1132, "LEFT_ARROW"}, std::pair{1133, "RIGHT_ARROW"}}) {
        auto* arrow = new CPngButton(this);
        PlaceImageButtonAt(arrow, ini, kSection, key, "BUTTONINFO2", key, m_arrow);
        arrow->setEnabled(false);
    }
    // Hidden buttons: the keyboard test command and the profile menu.
    for (int id : {cmd::kTest, cmd::kDynamicMenu}) {
        auto* hidden = new CPngButton(this);
        hidden->hide();
        connect(hidden, &QAbstractButton::clicked, this, [this, id] { OnCommand(id); });
        m_commands[id] = hidden;
    }

    // The lighting toggle: its picture and label. The rest of the panel is
    // hidden while lighting is off.
    m_lightingLabel = new QLabel(this);
    PlaceControl(m_lightingLabel, ini, kSection, "CONTROL_DengStatic");
    m_lightingLabel->setStyleSheet("color: #c9ced8; background: transparent;");
    m_lightingToggle = new QLabel(this);
    PlaceControl(m_lightingToggle, ini, kSection, "CONTROL_DengStaPic");
    m_lightingToggle->setPixmap(QPixmap(Q(AppPaths().mainSkinDirectory + "dengup.bmp")));
    m_lightingToggle->setScaledContents(true);
    m_rateLabel = new QLabel(this);
    PlaceControl(m_rateLabel, ini, kSection, "CONTROL_UsbStatic");
    m_rateLabel->setStyleSheet("color: #c9ced8; background: transparent;");

    SetApplyPending(false);
}

void CVelkarnDlg::SetSwitchCaption(bool colourMode) {
    if (CPngButton* sw = CommandButton(cmd::kSwitch))
        sw->setText(Q(Text(SwitchCaptionKey(colourMode))));
}

void CVelkarnDlg::SetApplyPending(bool pending) {
    m_applyPending = pending;
    if (CPngButton* apply = CommandButton(cmd::kApply))
        apply->setEnabled(pending);
}

int CVelkarnDlg::Run() {
    if (!m_shouldRun)
        return 0;
    if (!OnInitDialog())
        return 0;
    if (m_exiting)
        return 0;
    QEventLoop loop;
    m_loop = &loop;
    loop.exec();
    m_loop = nullptr;
    return 0;
}

bool CVelkarnDlg::event(QEvent* e) {
    if (e->type() == WindowMessageEvent::EventType()) {
        auto* message = static_cast<WindowMessageEvent*>(e);
        message->SetResult(WindowProc(message->Message(), message->WParam(), message->LParam()));
        return true;
    }
    return CBaseDialog::event(e);
}

intptr_t CVelkarnDlg::DeliverMessage(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!AcceptedFromOutside(message, static_cast<uint32_t>(wParam))) {
        Trace("outside message " + Hex(message) + " refused");
        return 0;
    }
    return m_ui->Send([this, message, wParam, lParam] {
        return static_cast<int>(SendWindowMessage(this, message, wParam, lParam));
    });
}

intptr_t CVelkarnDlg::WindowProc(uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (!TagMatches(message, static_cast<uint32_t>(wParam))) {
        Trace("message " + Hex(message) + " ignored");
        return 0;
    }
    switch (message) {
    case kMsgInit:
        OnInitMessage();
        return 1;
    case kMsgProf:
        OnProfMessage();
        return 1;
    case kMsgOpen:
        Show();
        return 1;
    case kMsgKill:
        Exit();
        return 1;
    case kMsgCloseChildren:
        CloseChildDialogs();
        return 1;
    case kMsgLed:
        m_view->RefreshGKeyLooks();
        return 1;
    case kMsgLang: {
        const int language = static_cast<int>(lParam);
        if (m_about)
            m_about->Localise(language);
        m_dialogs->Relocalise(language);
        Localise(language);
        return 1;
    }
    case kMsgSlider:
        m_lighting->OnSlider(static_cast<int>(wParam), static_cast<int>(lParam));
        return 1;
    case kMsgCommand:
        OnCommand(static_cast<int>(wParam & 0xFFFF));
        return 1;
    default:
        return 0;
    }
}

void CVelkarnDlg::OnInitMessage() {
    CreateTray();
    m_dialogs->RebuildProfileMenu();
    m_presence->SetTrayReady(true);
    Trace("tray ready");
    if (TrayAvailable())
        hide();
}

void CVelkarnDlg::CreateTray() {
    if (m_tray)
        return;
    m_tray = std::make_unique<CTrayIcon>();
    m_shownIcon = kIconNoKeyboard;
    if (m_presenceIcon == 0)
        m_presenceIcon = kIconNoKeyboard;
    std::vector<TrayMenuItem> items = {{cmd::kTrayOpen, Q(Text("MENU_11"))},
                                       {cmd::kTrayAbout, Q(Text("MENU_22"))},
                                       {cmd::kTrayExit, Q(Text("MENU_33"))}};
    m_tray->Create(Q(Text("KEYBOARD_TRAY_DESC")), kIconNoKeyboard, std::move(items),
                   [this](int command) { OnCommand(command); });
    // The menu is relabelled each time it is shown: the language may have
    // changed since.
    m_tray->SetMenuCallback([](std::vector<TrayMenuItem>& menu) {
        const char* keys[] = {"MENU_11", "MENU_22", "MENU_33"};
        for (size_t i = 0; i < menu.size() && i < 3; ++i)
            menu[i].text = Q(Text(keys[i]));
    });
    m_tray->SetClickCommand(cmd::kDynamicMenu);
    Trace("tray icon " + std::to_string(m_shownIcon));
    if (!TrayAvailable())
        Trace("no system tray");
}

bool CVelkarnDlg::TrayReady() const {
    return m_presence->TrayReady();
}

bool CVelkarnDlg::TrayAvailable() const {
    if (m_opts.trayAvailable)
        return *m_opts.trayAvailable;
    // Asked each time: the desktop's tray may come up after the program.
    return CTrayIcon::TrayAvailable();
}

void CVelkarnDlg::SetTrayIcon(bool alternate, int iconId) {
    if (!alternate && iconId != 0)
        m_presenceIcon = iconId;
    const int wanted = alternate ? kIconAlternate : (iconId != 0 ? iconId : m_presenceIcon);
    if (wanted == 0 || wanted == m_shownIcon)
        return;
    m_shownIcon = wanted;
    if (m_tray)
        m_tray->SetIcon(wanted);
    Trace("tray icon " + std::to_string(wanted));
}

void CVelkarnDlg::OnProfMessage() {
    m_devicePresent = true;
    ReloadFromKeyboard(m_store, false);
    RefreshProfileButtons();
    m_lighting->ReadLighting(true);
    m_lighting->RefreshPanel();
    Trace("store reloaded");
    // Without a tray the window is the only way to reach the program, so an
    // arrival brings it up, except the very first one after "/Start".
    if (!TrayAvailable() && (m_sawArrival || !m_startHidden))
        Show();
    m_sawArrival = true;
}

void CVelkarnDlg::RefreshProfileButtons() {
    const int active = m_store.Port().ActiveProfileCache();
    if (active < 0 || active >= kOnboardProfileCount)
        return;
    m_store.SetSelectedProfile(active);
    const int ids[] = {1135, 1136, 1137};
    for (int p = 0; p < kOnboardProfileCount; ++p) {
        if (CPngButton* button = CommandButton(ids[p]))
            button->SetExtra(p == active, true);
    }
}

void CVelkarnDlg::OnKeyboardRemoved() {
    m_devicePresent = false;
    SendWindowMessage(this, kMsgCloseChildren, 0, 0);
}

void CVelkarnDlg::OnKeyboardArrived() {
    SendWindowMessage(this, kMsgProf, kTagProf, 0);
}

void CVelkarnDlg::OnBankToggled() {
    SendWindowMessage(this, kMsgLed, kTagLed, 0);
}

void CVelkarnDlg::SetButtonCaption(int controlId, const std::string& caption) {
    if (CPngButton* button = m_view->Button(controlId)) {
        button->setText(Q(caption));
        button->update();
    }
}

void CVelkarnDlg::ShowMessage(const std::string& text) {
    m_prompts->Ok(text);
}

PresenceSink& CVelkarnDlg::PresenceSinkFor() {
    return *m_presence;
}

void CVelkarnDlg::CloseChildDialogs() {
    if (m_about)
        m_about->close();
    m_dialogs->CloseAll();
}

void CVelkarnDlg::OnTimer(int id) {
    switch (id) {
    case kTimerProgress:
        // Apply's progress animation (Apply's progress display cycles ten frames).
        m_progressFrame = (m_progressFrame + 1) % 10;
        break;
    case kTimerLightingReread:
        m_timers->Kill(kTimerLightingReread);
        m_lighting->ReadLighting(false);
        m_lighting->RefreshPanel();
        break;
    case kTimerPreview:
        m_timers->Kill(kTimerPreview);
        if (m_lighting->LightingOn())
            m_lighting->PreviewTick();
        m_timers->Start(kTimerPreview, kPreviewPeriodMs);
        break;
    default:
        break;
    }
}

void CVelkarnDlg::OnCommand(int id) {
    if (id >= cmd::kProfileMenuFirst && id <= cmd::kProfileMenuLast) {
        m_dialogs->SelectProfileFromMenu(id - (cmd::kProfileMenuFirst + 1));
        return;
    }
    if (GKeyIndexOf(id) >= 0 || id == kMacroButtonId) {
        m_view->OnGKey(id);
        return;
    }
    switch (id) {
    case cmd::kOk:
        OnOK();
        break;
    case cmd::kCancel:
        OnCancel();
        break;
    case cmd::kHelp:
        OpenHelp();
        break;
    case cmd::kMinimize:
        showMinimized();
        break;
    case cmd::kClose:
    case cmd::kTrayExit:
    case cmd::kExit:
        Exit();
        break;
    case cmd::kLink:
        OpenWebLink(m_link);
        break;
    case cmd::kWebLink1:
    case cmd::kWebLink2:
    case cmd::kWebLink3:
        OpenWebLink(kWebPages[id - cmd::kWebLink1]);
        break;
    case cmd::kButtonMenu:
        ShowButtonMenu();
        break;
    case cmd::kProfiles:
        m_dialogs->RunProfileManager(this);
        break;
    case cmd::kDynamicMenu:
        m_dialogs->ShowProfileMenu(this);
        break;
    case cmd::kTrayOpen:
        Show();
        break;
    case cmd::kTrayAbout:
        ShowAbout();
        break;
    case cmd::kImport:
        ImportProfileFile(m_store, *m_prompts);
        break;
    case cmd::kExport:
        ExportProfileFile(m_store, *m_prompts);
        break;
    case cmd::kUpdate:
        m_dialogs->RunUpdate(this);
        break;
    case cmd::kTest:
        TestCommand();
        break;
    case cmd::kSwitch:
        m_view->ToggleColourMode();
        break;
    case cmd::kApply:
        Apply();
        break;
    case 1135:
    case 1136:
    case 1137:
        // Profile switching is the profile controls' work; until then a click
        // shows which profile the keyboard has active.
        RefreshProfileButtons();
        break;
    default:
        break;
    }
}

void CVelkarnDlg::ShowButtonMenu() {
    QMenu menu(this);
    menu.addAction(Q(Text("MENU_1")), this, [this] { OnCommand(cmd::kImport); });
    menu.addAction(Q(Text("MENU_2")), this, [this] { OnCommand(cmd::kExport); });
    menu.exec(QCursor::pos());
}

void CVelkarnDlg::Apply() {
    if (!m_applyPending)
        return;
    std::lock_guard lock(m_store.StoreLock());
    const bool saved = SaveProfileStoreFile(m_store, false);
    const bool sent = m_store.MakeDownloadCopy(0, *m_prompts) == 1;
    if (saved && sent)
        SetApplyPending(false);
}

void CVelkarnDlg::OnOK() {
    Apply();
    HideWindow();
}

void CVelkarnDlg::OnCancel() {
    HideWindow();
}

void CVelkarnDlg::Show() {
    if (!m_devicePresent) {
        m_prompts->Ok(Text("MAIN_NO_DEVICE_PROMPT"), "");
        return;
    }
    const bool wasVisible = isVisible() && !isMinimized();
    if (!isVisible() && (windowFlags() & Qt::Tool))
        setWindowFlags((windowFlags() & ~Qt::Tool) | Qt::Window);
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
    if (!wasVisible)
        Trace("window shown");
}

void CVelkarnDlg::HideWindow() {
    if (!isVisible())
        return;
    if (!TrayAvailable()) {
        // Nowhere to come back from: keep the window in the task bar.
        if (!isMinimized()) {
            showMinimized();
            Trace("window minimised");
        }
        return;
    }
    hide();
    setWindowFlags(windowFlags() | Qt::Tool);
    Trace("window hidden");
}

void CVelkarnDlg::Exit() {
    if (m_exiting)
        return;
    m_exiting = true;
    RunExitSequence();
}

void CVelkarnDlg::RunExitSequence() {
    Trace("exit");
    // Threads waiting for the UI (a presence worker, the socket's thread
    // that delivered "KILL") are released first: none may wait on a window
    // that is going away.
    m_ui->Shutdown();
    m_timers->KillAll();
    m_system->exit.Run();
    for (const std::string& step : m_system->exit.Completed())
        Trace("exit step " + step);
    CBaseDialog::OnCancel();
    if (m_loop)
        m_loop->exit(0);
    Trace("exit done");
}

void CVelkarnDlg::OpenHelp() {
    const QUrl page = QUrl::fromLocalFile(Q(AppPaths().helpDirectory + "index.html"));
    if (m_opts.openUrl)
        m_opts.openUrl(page);
    else
        QDesktopServices::openUrl(page);
}

void CVelkarnDlg::OpenWebLink(const std::string& address) {
    const QUrl url(Q(address));
    if (m_opts.openUrl)
        m_opts.openUrl(url);
    else
        QDesktopServices::openUrl(url);
}

void CVelkarnDlg::ShowAbout() {
    if (!m_about) {
        m_about = new CAboutDlg(m_link, m_prompts, [this] { OpenHelp(); });
        connect(m_about, &QObject::destroyed, this, [this] { m_about = nullptr; });
    }
    m_about->show();
    m_about->raise();
    m_about->activateWindow();
}

void CVelkarnDlg::Localise(int languageIndex) {
    auto text = [languageIndex](const char* key) { return Q(LoadText(key, languageIndex)); };
    if (CPngButton* b = CommandButton(cmd::kMinimize))
        b->SetTooltipText(text("MAIN_MINIMIZE_PROMPT"), true);
    if (CPngButton* b = CommandButton(cmd::kButtonMenu))
        b->SetTooltipText(text("MAIN_MENU_PROMPT"), true);
    if (CPngButton* b = CommandButton(cmd::kClose))
        b->SetTooltipText(text("MAIN_CLOSE_PROMPT"), true);
    if (CPngButton* b = CommandButton(cmd::kHelp))
        b->SetTooltipText(text("MAIN_HELP_PROMPT"), true);
    const std::pair<int, const char*> captions[] = {{1135, "PROFILE_1"},
                                                    {1136, "PROFILE_2"},
                                                    {1137, "PROFILE_3"},
                                                    {cmd::kMacro, "PROFILE_MACRO"},
                                                    {1138, "PROFILE_DEFAULT"},
                                                    {cmd::kOk, "PROFILE_OK"},
                                                    {cmd::kCancel, "PROFILE_CANCLE"},
                                                    {cmd::kApply, "PROFILE_APPLY"}};
    for (const auto& [id, key] : captions) {
        if (CPngButton* b = CommandButton(id))
            b->setText(text(key));
    }
    // Buttons without a language text of their own keep their template captions.
    if (CPngButton* b = CommandButton(cmd::kProfiles))
        b->setText(QStringLiteral("Profiles\u2026"));
    const char* rates[] = {"125", "250", "500", "1000"};
    const int rateIds[] = {1147, 1168, 1169, 1170};
    for (int i = 0; i < 4; ++i) {
        if (CPngButton* b = CommandButton(rateIds[i]))
            b->setText(QString::fromLatin1(rates[i]));
    }
    for (auto& [id, button] : m_commands) {
        const bool small = id == 1147 || id == 1168 || id == 1169 || id == 1170;
        if (!button->text().isEmpty() || id == cmd::kSwitch)
            button->SetTextStyle(true, small ? 8 : kButtonFontSize, kButtonFont, kCaptionNormal, kCaptionOver,
                                 kCaptionDown, kCaptionDisabled, kCaptionExtra);
    }
    if (m_lightingLabel)
        m_lightingLabel->setText(Q(LoadLightText("Deng", languageIndex)));
    if (m_rateLabel)
        m_rateLabel->setText(Q(LoadLightText("Usb", languageIndex)));
    SetSwitchCaption(m_view->ColourMode());
    setWindowTitle(text("MAIN_CAPTION"));
    m_lighting->Relocalise(languageIndex);
}

void CVelkarnDlg::keyPressEvent(QKeyEvent* e) {
    // The main window never applies or hides from the keyboard.
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        e->accept();
        return;
    case Qt::Key_F1:
        OpenHelp();
        return;
    default:
        CBaseDialog::keyPressEvent(e);
    }
}

void CVelkarnDlg::keyReleaseEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter || e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    CBaseDialog::keyReleaseEvent(e);
}

void CVelkarnDlg::closeEvent(QCloseEvent* e) {
    // A close from the window manager hides, as Cancel does; Exit is the
    // only way out.
    if (!m_exiting) {
        e->ignore();
        OnCancel();
        return;
    }
    CBaseDialog::closeEvent(e);
}

// The presence bridge's calls, run on the UI thread.

void PresenceBridge::KeyboardRemoved() {
    m_ui.Send([this] {
        if (m_window)
            m_window->OnKeyboardRemoved();
        return 1;
    });
}

void PresenceBridge::HideMainWindow() {
    m_ui.Send([this] {
        if (m_window)
            m_window->HideWindow();
        return 1;
    });
}

void PresenceBridge::KeyboardArrived() {
    m_ui.Send([this] {
        if (m_window)
            m_window->OnKeyboardArrived();
        return 1;
    });
}

void PresenceBridge::PostOpen() {
    m_ui.Post([this] {
        if (m_window)
            PostWindowMessage(m_window, kMsgOpen, kTagOpen, 0);
    });
}

void PresenceBridge::SetTrayIcon(bool alternate, int32_t iconId) {
    m_ui.Post([this, alternate, iconId] {
        if (m_window)
            m_window->SetTrayIcon(alternate, iconId);
    });
}

void PresenceBridge::ShowMessage(const std::string& text) {
    m_ui.Send([this, text] {
        if (m_window)
            m_window->ShowMessage(text);
        return 1;
    });
}

void PresenceBridge::BankToggled() {
    m_ui.Send([this] {
        if (m_window)
            m_window->OnBankToggled();
        return 1;
    });
}

void PresenceBridge::SetButtonCaption(int controlId, const std::string& caption) {
    m_ui.Send([this, controlId, caption] {
        if (m_window)
            m_window->SetButtonCaption(controlId, caption);
        return 1;
    });
}

void PresenceBridge::StartLightingRefresh() {
    m_ui.Post([this] {
        if (m_window)
            m_window->Timers().Start(kTimerLightingReread, 0);
    });
}

} // namespace velkarn
