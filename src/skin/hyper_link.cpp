#include "skin/hyper_link.h"

#include "app/prompts.h"
#include "skin/color_controls.h"

#include <QApplication>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QUrl>
#include <cstdio>

namespace velkarn {

std::string HyperlinkErrorText(int code) {
    switch (code) {
    case 0:
        return "The operating system is out\nof memory or resources.";
    case 2:
        return "The specified file was not found.";
    case 3:
        return "The specified path was not found.";
    case 5:
        return "The operating system denied\naccess to the specified file.";
    case 8:
        return "There was not enough memory to complete the operation.";
    case 11:
        return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26:
        return "A sharing violation occurred. ";
    case 27:
        return "The filename association is\nincomplete or invalid.";
    case 28:
        return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29:
        return "The DDE transaction failed.";
    case 30:
        return "The DDE transaction could not\nbe completed because other DDE transactions\nwere being "
               "processed.";
    case 31:
        return "There is no application associated\nwith the given filename extension.";
    case 32:
        return "The specified dynamic-link library was not found.";
    default: {
        char text[64];
        std::snprintf(text, sizeof text, "Unknown Error (%d) occurred.", code);
        return text;
    }
    }
}

CHyperLink::CHyperLink(const QString& text, QWidget* parent) : QLabel(text, parent) {
    // Without a browser to ask, "no application associated" is the honest answer.
    m_opener = [](const QString& address) {
        return QDesktopServices::openUrl(QUrl::fromUserInput(address)) ? 33 : 31;
    };
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    Attach();
}

void CHyperLink::Attach() {
    if (m_address.isEmpty()) {
        m_address = text();
    } else if (text().isEmpty()) {
        setText(m_address);
    }
    setToolTip(m_address);
    Restyle();
}

void CHyperLink::SetURL(const QString& address) {
    m_address = address;
    if (text().isEmpty()) {
        setText(address);
    }
    setToolTip(m_address);
    adjustSize();
}

void CHyperLink::SetUnderline(int mode) {
    m_underline = mode;
    Restyle();
}

QColor CHyperLink::CurrentColour() const {
    return FromColorRef(m_hovering ? kHoverColour : (m_visited ? kVisitedColour : kLinkColour));
}

void CHyperLink::Restyle() {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, CurrentColour());
    setPalette(p);
    QFont f = font();
    f.setUnderline(m_underline == 1 || (m_underline == -1 && m_hovering));
    setFont(f);
    update();
}

bool CHyperLink::Open() {
    m_hovering = false;
    const int result = m_opener ? m_opener(m_address) : 31;
    m_visited = m_visited || result > 32;
    Restyle();
    if (result <= 32) {
        QApplication::beep();
        const std::string message = "Unable to open hyperlink:\n\n" + HyperlinkErrorText(result);
        if (m_prompts) {
            m_prompts->Ok(message);
        }
        return false;
    }
    return true;
}

void CHyperLink::enterEvent(QEnterEvent* event) {
    m_hovering = true;
    Restyle();
    QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
    m_hovering = false;
    Restyle();
    QLabel::leaveEvent(event);
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Open();
    }
    QLabel::mouseReleaseEvent(event);
}

} // namespace velkarn
