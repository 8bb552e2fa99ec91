// CBitmapSlider: the lighting panel's slider. It shows a picture supplied by
// its parent (the parent swaps pictures by position) and posts 0x28D1
// (control id, position) to its parent whenever the user moves it.
//
// Thread safety: UI thread only.
#pragma once

#include "skin/skin_geometry.h"

#include <QImage>
#include <QWidget>

namespace velkarn {

constexpr uint32_t kSliderMessage = 0x28D1;

class CBitmapSlider : public QWidget {
    Q_OBJECT
public:
    CBitmapSlider(int controlId, QWidget* parent = nullptr);

    int ControlId() const { return m_controlId; }
    // Takes the picture and resizes the control to it, keeping its position.
    void SetPicture(const QImage& picture);
    void ShowPicture(const QImage& picture);
    void SetRange(int minimum, int maximum);
    void SetPos(int position);
    int GetPos() const { return m_position; }
    void SetPageSize(int page) { m_page = page; }
    void SetVertical(bool vertical) { m_vertical = vertical; }
    void SetEnabledFlag(bool enabled) { m_enabledFlag = enabled; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    SliderRange Range() const;
    int Coordinate(const QPointF& point) const;
    void Notify();

    int m_controlId;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_position = 0;
    int m_page = 1;
    QImage m_picture;
    bool m_vertical = false;
    bool m_dragging = false;
    bool m_enabledFlag = true;
    bool m_hover = false;
    int m_wheelPending = 0; // the part of a wheel notch not yet applied
};

} // namespace velkarn
