#include "skin/bitmap_slider.h"

#include "skin/window_message.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>
#include <QWheelEvent>

namespace velkarn {

CBitmapSlider::CBitmapSlider(int controlId, QWidget* parent) : QWidget(parent), m_controlId(controlId) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void CBitmapSlider::SetPicture(const QImage& picture) {
    m_picture = picture;
    if (!picture.isNull()) {
        resize(picture.size());
    }
    update();
}

void CBitmapSlider::ShowPicture(const QImage& picture) {
    m_picture = picture;
    repaint();
}

void CBitmapSlider::SetRange(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
}

void CBitmapSlider::SetPos(int position) {
    m_position = ClampSliderPosition(Range(), position);
    update();
}

SliderRange CBitmapSlider::Range() const {
    return {m_minimum, m_maximum, m_vertical, m_vertical ? height() : width()};
}

int CBitmapSlider::Coordinate(const QPointF& point) const {
    return static_cast<int>(m_vertical ? point.y() : point.x());
}

void CBitmapSlider::Notify() {
    if (parentWidget()) {
        PostWindowMessage(parentWidget(), kSliderMessage, static_cast<uintptr_t>(m_controlId), m_position);
    }
}

void CBitmapSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!m_picture.isNull()) {
        painter.drawImage(0, 0, m_picture);
    }
    if (m_hover) {
        painter.setPen(QPen(palette().highlight().color(), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CBitmapSlider::mousePressEvent(QMouseEvent* event) {
    if (!m_enabledFlag || event->button() != Qt::LeftButton) {
        return;
    }
    grabMouse();
    setFocus();
    m_hover = true;
    m_dragging = true;
    const int p = Coordinate(event->position());
    if (p != SliderPixelOfPosition(Range(), m_position)) {
        m_position = ClampSliderPosition(Range(), SliderPositionFromPixel(Range(), p));
        repaint();
        Notify();
    }
}

void CBitmapSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging || !m_enabledFlag) {
        return;
    }
    const int p = Coordinate(event->position());
    if (p != SliderPixelOfPosition(Range(), m_position)) {
        const int next = ClampSliderPosition(Range(), SliderPositionFromPixel(Range(), p));
        if (next != m_position) {
            m_position = next;
            repaint();
        }
        Notify();
    }
}

void CBitmapSlider::mouseReleaseEvent(QMouseEvent* event) {
    if (!m_enabledFlag || event->button() != Qt::LeftButton) {
        return;
    }
    releaseMouse();
    m_dragging = false;
    Notify();
}

void CBitmapSlider::keyPressEvent(QKeyEvent* event) {
    if (!m_enabledFlag) {
        return;
    }
    SliderKey key;
    switch (event->key()) {
    case Qt::Key_PageUp:
        key = SliderKey::PageUp;
        break;
    case Qt::Key_PageDown:
        key = SliderKey::PageDown;
        break;
    case Qt::Key_End:
        key = SliderKey::End;
        break;
    case Qt::Key_Home:
        key = SliderKey::Home;
        break;
    case Qt::Key_Left:
        key = SliderKey::Left;
        break;
    case Qt::Key_Up:
        key = SliderKey::Up;
        break;
    case Qt::Key_Right:
        key = SliderKey::Right;
        break;
    case Qt::Key_Down:
        key = SliderKey::Down;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    m_position = SliderPositionAfterKey(Range(), m_position, m_page, key);
    repaint();
    Notify();
}

void CBitmapSlider::wheelEvent(QWheelEvent* event) {
    if (!m_hover) {
        event->ignore();
        return;
    }
    // Qt gives +120 per notch away from the user, in parts of a notch on
    // high-resolution wheels and touchpads: the parts add up to whole steps.
    const int before = m_position;
    m_position = SliderPositionAfterWheelTurn(Range(), m_position, m_wheelPending, event->angleDelta().y());
    if (m_position != before) {
        update();
        Notify();
    }
}

void CBitmapSlider::enterEvent(QEnterEvent* event) {
    m_hover = true;
    update();
    QWidget::enterEvent(event);
}

void CBitmapSlider::leaveEvent(QEvent* event) {
    m_hover = false;
    update();
    QWidget::leaveEvent(event);
}

} // namespace velkarn
