#include "skin/png_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

namespace velkarn {

PngLook ChoosePngLook(bool enabled, bool toggleMode, bool toggleState, bool pressed, bool hover, bool extra) {
    if (!enabled) {
        return PngLook::Disabled;
    }
    if (toggleMode) {
        return toggleState ? PngLook::ToggleOn : PngLook::ToggleOff;
    }
    if (pressed) {
        return PngLook::Down;
    }
    if (hover) {
        return PngLook::Over;
    }
    return extra ? PngLook::Extra : PngLook::Normal;
}

CPngButton::CPngButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setMouseTracking(true);
}

void CPngButton::SetLooks(int x, int y, StatePicture normal, StatePicture over, StatePicture down,
                          StatePicture disabled, StatePicture extra, bool redraw) {
    m_originX = x;
    m_originY = y;
    SetLooks(std::move(normal), std::move(over), std::move(down), std::move(disabled), std::move(extra),
             redraw);
}

void CPngButton::SetLooks(StatePicture normal, StatePicture over, StatePicture down, StatePicture disabled,
                          StatePicture extra, bool redraw) {
    m_normal = std::move(normal);
    m_over = std::move(over);
    m_down = std::move(down);
    m_disabled = std::move(disabled);
    m_extraLook = std::move(extra);
    m_hover = false;
    setDown(false);
    Repaint(redraw);
}

void CPngButton::SetToggleLooks(StatePicture off, StatePicture on, bool toggleMode, bool toggleState,
                                bool redraw) {
    m_toggleOff = std::move(off);
    m_toggleOn = std::move(on);
    m_toggleMode = toggleMode;
    m_toggleState = toggleState;
    m_hover = false;
    setDown(false);
    Repaint(redraw);
}

void CPngButton::SetExtra(bool extra, bool redraw) {
    m_extra = extra;
    Repaint(redraw);
}

void CPngButton::SetFrame(QColor colour, bool on) {
    m_frameColour = colour;
    m_frameMode = on;
    update();
}

void CPngButton::SetTextStyle(bool textOn, int size, const QString& face, QColor normal, QColor over,
                              QColor down, QColor disabled, QColor extra, Qt::Alignment format) {
    m_textOn = textOn;
    m_fontSize = size;
    m_fontFace = face;
    m_textNormal = normal;
    m_textOver = over;
    m_textDown = down;
    m_textDisabled = disabled;
    m_textExtra = extra;
    m_textFormat = format;
    update();
}

void CPngButton::SetSlant(int escapement, bool slanted) {
    m_escapement = escapement;
    m_slanted = slanted;
    update();
}

void CPngButton::SetPaintCallback(std::function<void(CPngButton*, bool)> callback) {
    m_paintCallback = std::move(callback);
}

void CPngButton::SetTooltipText(const QString& text, bool activate) {
    if (text.isEmpty()) {
        return;
    }
    m_tooltip = text;
    setToolTip(activate ? text : QString());
    setToolTipDuration(-1);
}

void CPngButton::Repaint(bool redraw) {
    if (redraw) {
        repaint();
    } else {
        update();
    }
}

StatePicture CPngButton::SourceOf(PngLook look) const {
    switch (look) {
    case PngLook::Disabled:
        return m_disabled;
    case PngLook::ToggleOn:
        return m_toggleOn;
    case PngLook::ToggleOff:
        return m_toggleOff;
    case PngLook::Down:
        return m_down;
    case PngLook::Over:
        return m_over;
    case PngLook::Extra:
        return m_extraLook;
    case PngLook::Normal:
        break;
    }
    return m_normal;
}

QColor CPngButton::TextColourOf(PngLook look) const {
    switch (look) {
    case PngLook::Disabled:
        return m_textDisabled;
    case PngLook::Down:
        return m_textDown;
    case PngLook::Over:
        return m_textOver;
    case PngLook::Extra:
        return m_textExtra;
    default:
        return m_textNormal;
    }
}

void CPngButton::paintEvent(QPaintEvent*) {
    const PngLook look = ChoosePngLook(isEnabled(), m_toggleMode, m_toggleState, isDown(), m_hover, m_extra);
    QPainter painter(this);
    const StatePicture source = SourceOf(look);
    if (m_frameMode) {
        painter.setPen(QPen(m_frameColour, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRect(QPoint(1, 1), QPoint(width() - 2, height() - 2)));
    } else if (source && !source->isNull()) {
        painter.drawImage(QPoint(0, 0), *source, QRect(m_originX - 1, m_originY - 1, width(), height()));
    }
    m_currentLook = look;
    if (m_textOn && !text().isEmpty()) {
        QFont font(m_fontFace);
        font.setPointSize(std::max(m_fontSize, 1));
        font.setWeight(m_slanted ? QFont::Black : QFont::Normal);
        painter.setFont(font);
        painter.setPen(TextColourOf(look));
        QRect r = rect();
        if (m_slanted && m_escapement != 0) {
            painter.translate(r.center());
            painter.rotate(-m_escapement / 10.0);
            painter.drawText(QRect(-r.width(), -r.height() / 2, 2 * r.width(), r.height()), m_textFormat,
                             text().left(260));
        } else {
            painter.drawText(r, m_textFormat, text().left(260));
        }
    }
    if (m_paintCallback) {
        m_paintCallback(this, source == m_normal && look == PngLook::Normal);
    }
}

void CPngButton::enterEvent(QEnterEvent* event) {
    m_hover = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CPngButton::leaveEvent(QEvent* event) {
    m_hover = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void CPngButton::mouseDoubleClickEvent(QMouseEvent* event) {
    // A double click counts as a second press, so fast clicking never loses a click.
    mousePressEvent(event);
}

} // namespace velkarn
