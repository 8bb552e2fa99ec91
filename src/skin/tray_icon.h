// CTrayIcon: the program's icon in the desktop's system tray, with its menu.
// The menu's first item is the default (bold) and a double click on the icon
// runs it; the chosen command reaches the owner as a callback. The icon is
// made even when the desktop has no tray yet; it appears once a tray does.
//
// Thread safety: UI thread only.
#pragma once

#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <vector>

namespace velkarn {

struct TrayMenuItem {
    int command;
    QString text;
};

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    using CommandHandler = std::function<void(int command)>;
    using MenuCallback = std::function<void(std::vector<TrayMenuItem>& items)>;
    // Resource id -> icon file (Skins/icon<id>.png beside the program by default).
    using IconLoader = std::function<QIcon(int resourceId)>;

    explicit CTrayIcon(QObject* parent = nullptr);
    ~CTrayIcon() override;

    // Makes and shows the icon whether or not a tray is there now; the answer
    // only says whether one is (it may come or go later: ask TrayAvailable).
    bool Create(const QString& tip, int iconResource, std::vector<TrayMenuItem> menu,
                CommandHandler onCommand);
    bool SetIcon(int resourceId);
    bool Hide();
    bool Show();
    bool Remove();
    bool IsPresent() const { return m_present; }
    void SetMenuCallback(MenuCallback callback) { m_menuCallback = std::move(callback); }
    void SetIconLoader(IconLoader loader) { m_iconLoader = std::move(loader); }
    void SetClickCommand(int command) { m_clickCommand = command; }

    // The menu as it is about to be shown (relabelled by the menu callback,
    // first item bold). Exposed so the menu can be checked without a tray.
    QMenu* PrepareMenu();
    // What a double click on the icon does.
    void OnDoubleClick();

    static bool TrayAvailable();
    static QIcon LoadIcon(int resourceId);

private:
    void OnActivated(QSystemTrayIcon::ActivationReason reason);

    std::unique_ptr<QSystemTrayIcon> m_icon;
    std::unique_ptr<QMenu> m_menu;
    std::vector<TrayMenuItem> m_items;
    CommandHandler m_onCommand;
    MenuCallback m_menuCallback;
    IconLoader m_iconLoader;
    bool m_present = false;
    bool m_hidden = false;
    int m_clickCommand = 0;
};

} // namespace velkarn
