// The main window as the device link sees it: every PresenceSink call from a
// presence worker, an icon thread or the library's consumer thread is handed
// to the UI thread (blocking where the device link waits for the window) and
// run there against the main window.
//
// Lifetime: the device link keeps a pointer to its sink for the rest of the
// process, so a bridge is never destroyed; once its UI bridge is shut down
// (the main window ended) every call returns at once and does nothing.
//
// Thread safety: the PresenceSink members may be called from any thread.
// Attach and Detach belong to the UI thread.
#pragma once

#include "device/presence.h"
#include "ui/main/ui_call_bridge.h"

#include <atomic>

namespace velkarn {

class CVelkarnDlg;

class PresenceBridge final : public PresenceSink {
public:
    explicit PresenceBridge(UiCallBridge& ui) : m_ui(ui) {}

    void Attach(CVelkarnDlg* window) { m_window = window; }
    void SetTrayReady(bool ready) { m_trayReady.store(ready); }

    void KeyboardRemoved() override;
    void HideMainWindow() override;
    void KeyboardArrived() override;
    void PostOpen() override;
    bool TrayReady() override { return m_trayReady.load() || m_ui.IsShutDown(); }
    void SetTrayIcon(bool alternate, int32_t iconId) override;
    void ShowMessage(const std::string& text) override;
    void BankToggled() override;
    void SetButtonCaption(int controlId, const std::string& caption) override;
    void StartLightingRefresh() override;

private:
    UiCallBridge& m_ui;
    CVelkarnDlg* m_window = nullptr; // read on the UI thread only
    std::atomic<bool> m_trayReady{false};
};

} // namespace velkarn
