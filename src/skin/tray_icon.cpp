#include "skin/tray_icon.h"

#include <QCoreApplication>
#include <QDir>

namespace velkarn {

CTrayIcon::CTrayIcon(QObject* parent) : QObject(parent), m_iconLoader(&CTrayIcon::LoadIcon) {}

CTrayIcon::~CTrayIcon() {
    Remove();
}

bool CTrayIcon::TrayAvailable() {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

QIcon CTrayIcon::LoadIcon(int resourceId) {
    const QString path = QDir(QCoreApplication::applicationDirPath())
                             .filePath(QStringLiteral("Skins/icon%1.png").arg(resourceId));
    return QIcon(path);
}

bool CTrayIcon::Create(const QString& tip, int iconResource, std::vector<TrayMenuItem> menu,
                       CommandHandler onCommand) {
    m_items = std::move(menu);
    m_onCommand = std::move(onCommand);
    m_menu = std::make_unique<QMenu>();
    // The icon is made and shown even when no tray is there yet: at login the
    // program often starts before the desktop's tray, and Qt puts the icon in
    // place as soon as a tray appears.
    m_icon = std::make_unique<QSystemTrayIcon>();
    m_icon->setIcon(m_iconLoader(iconResource));
    m_icon->setToolTip(tip);
    m_icon->setContextMenu(m_menu.get());
    connect(m_menu.get(), &QMenu::aboutToShow, this, [this] { PrepareMenu(); });
    connect(m_icon.get(), &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
    m_icon->show();
    m_present = true;
    m_hidden = false;
    return TrayAvailable();
}

QMenu* CTrayIcon::PrepareMenu() {
    if (!m_menu) {
        m_menu = std::make_unique<QMenu>();
    }
    std::vector<TrayMenuItem> items = m_items;
    if (m_menuCallback) {
        m_menuCallback(items);
    }
    m_menu->clear();
    for (size_t i = 0; i < items.size(); ++i) {
        QAction* action = m_menu->addAction(items[i].text);
        const int command = items[i].command;
        connect(action, &QAction::triggered, this, [this, command] {
            if (m_onCommand) {
                m_onCommand(command);
            }
        });
        if (i == 0) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
            m_menu->setDefaultAction(action);
        }
    }
    return m_menu.get();
}

void CTrayIcon::OnDoubleClick() {
    if (!m_items.empty() && m_onCommand) {
        m_onCommand(m_items.front().command);
    }
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    if (reason == QSystemTrayIcon::DoubleClick) {
        OnDoubleClick();
    }
}

bool CTrayIcon::SetIcon(int resourceId) {
    if (!m_present || !m_icon) {
        return false;
    }
    m_icon->setIcon(m_iconLoader(resourceId));
    return true;
}

bool CTrayIcon::Hide() {
    if (!m_present || m_hidden || !m_icon) {
        return false;
    }
    m_icon->hide();
    m_hidden = true;
    return true;
}

bool CTrayIcon::Show() {
    Hide();
    if (!m_present || !m_hidden || !m_icon) {
        return false;
    }
    m_icon->show();
    m_hidden = false;
    return true;
}

bool CTrayIcon::Remove() {
    if (!m_present) {
        return false;
    }
    if (m_icon) {
        m_icon->hide();
    }
    m_present = false;
    return true;
}

} // namespace velkarn
