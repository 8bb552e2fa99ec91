#include "ui/main/about_dlg.h"

#include "app/localisation.h"
#include "skin/hyper_link.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace velkarn {

CAboutDlg::CAboutDlg(const std::string& link, Prompts* prompts, std::function<void()> openHelp,
                     QWidget* parent)
    : QDialog(parent), m_openHelp(std::move(openHelp)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(10);
    auto* title = new QLabel(QStringLiteral("Velkarn %1").arg(QStringLiteral(VELKARN_VERSION)), this);
    QFont big = title->font();
    big.setPointSize(big.pointSize() + 4);
    big.setBold(true);
    title->setFont(big);
    layout->addWidget(title);
    m_intro = new QLabel(this);     // control 1206
    m_copyright = new QLabel(this); // control 1205
    m_intro->setWordWrap(true);
    layout->addWidget(m_intro);
    layout->addWidget(m_copyright);
    const QString address = QString::fromStdString(link);
    m_link = new CHyperLink(address, this);
    m_link->SetURL(address);
    m_link->SetPrompts(prompts);
    layout->addWidget(m_link);
    auto* row = new QHBoxLayout;
    row->addStretch();
    m_ok = new QPushButton(this);
    m_ok->setDefault(true);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    row->addWidget(m_ok);
    layout->addLayout(row);
    Localise(GetLanguageIndex());
}

void CAboutDlg::Localise(int languageIndex) {
    setWindowTitle(QString::fromStdString(LoadText("LANG_ABOUT_TITLE", languageIndex)));
    m_ok->setText(QString::fromStdString(LoadText("LANG_ABOUT_OK", languageIndex)));
    m_intro->setText(QString::fromStdString(LoadText("GUANYU_JIESHAO", languageIndex)));
    m_copyright->setText(QString::fromStdString(LoadText("GUANYU_BANQUAN", languageIndex)));
}

void CAboutDlg::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F1 && m_openHelp) {
        m_openHelp();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace velkarn
