// CAboutDlg: the about box, opened from the tray menu. One modeless box per
// process: a second request while it exists only brings it forward. Its link
// shows the skin's web address; F1 opens the help page like everywhere else.
//
// Thread safety: UI thread only.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

class QLabel;
class QPushButton;

namespace velkarn {

class CHyperLink;
class Prompts;

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(const std::string& link, Prompts* prompts, std::function<void()> openHelp,
              QWidget* parent = nullptr);

    // Texts from the language of index (the "LANG" message).
    void Localise(int languageIndex);
    CHyperLink* Link() const { return m_link; }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QLabel* m_intro = nullptr;
    QLabel* m_copyright = nullptr;
    CHyperLink* m_link = nullptr;
    QPushButton* m_ok = nullptr;
    std::function<void()> m_openHelp;
};

} // namespace velkarn
