// CPngButton: the image button used for every clickable element of the
// skinned windows, including each key of the drawn keyboard. Its looks are
// rectangles of whole-window state pictures (see base_dialog.h).
//
// Look chosen at paint, first match wins: disabled, toggle mode (on/off),
// pressed, hover, extra ("marked"), normal.
//
// Thread safety: UI thread only.
#pragma once

#include "skin/base_dialog.h"

#include <QAbstractButton>
#include <QColor>
#include <QString>
#include <functional>

namespace velkarn {

enum class PngLook { Disabled, ToggleOn, ToggleOff, Down, Over, Extra, Normal };

// Which look a button in this state shows.
PngLook ChoosePngLook(bool enabled, bool toggleMode, bool toggleState, bool pressed, bool hover, bool extra);

class CPngButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit CPngButton(QWidget* parent = nullptr);

    void SetLooks(int x, int y, StatePicture normal, StatePicture over, StatePicture down,
                  StatePicture disabled, StatePicture extra, bool redraw);
    void SetLooks(StatePicture normal, StatePicture over, StatePicture down, StatePicture disabled,
                  StatePicture extra, bool redraw);
    void SetToggleLooks(StatePicture off, StatePicture on, bool toggleMode, bool toggleState, bool redraw);
    void SetExtra(bool extra, bool redraw);
    bool Extra() const { return m_extra; }
    void SetFrame(QColor colour, bool on);
    void SetTextStyle(bool textOn, int size, const QString& face, QColor normal, QColor over, QColor down,
                      QColor disabled, QColor extra, Qt::Alignment format = Qt::AlignCenter);
    void SetSlant(int escapement, bool slanted);
    // Called after every paint with the button and whether the normal look was used.
    void SetPaintCallback(std::function<void(CPngButton*, bool isNormal)> callback);
    // An empty text leaves the previous tooltip in place.
    void SetTooltipText(const QString& text, bool activate);
    void Repaint(bool redraw);

    PngLook CurrentLook() const { return m_currentLook; }
    QPoint Origin() const { return {m_originX, m_originY}; }
    bool IsHover() const { return m_hover; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    StatePicture SourceOf(PngLook look) const;
    QColor TextColourOf(PngLook look) const;

    StatePicture m_normal, m_over, m_down, m_disabled, m_extraLook;
    StatePicture m_toggleOff, m_toggleOn;
    bool m_hover = false;
    bool m_extra = false;
    bool m_toggleMode = false;
    bool m_toggleState = false;
    int m_originX = 0;
    int m_originY = 0;
    bool m_textOn = false;
    int m_fontSize = 8;
    QString m_fontFace = QStringLiteral("Tahoma Unicode MS");
    QColor m_textNormal{0, 0, 0}, m_textOver{0, 0, 0}, m_textDown{0, 0, 0}, m_textDisabled{0, 0, 0},
        m_textExtra{0, 0, 0};
    Qt::Alignment m_textFormat = Qt::AlignCenter;
    int m_escapement = 0;
    bool m_slanted = false;
    std::function<void(CPngButton*, bool)> m_paintCallback;
    QString m_tooltip;
    bool m_frameMode = false;
    QColor m_frameColour{0, 0, 0};
    PngLook m_currentLook = PngLook::Normal;
};

} // namespace velkarn
