#include "skin/color_controls.h"

#include <QColorDialog>
#include <QPainter>

namespace velkarn {

QColor FromColorRef(uint32_t value) {
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

uint32_t ToColorRef(const QColor& colour) {
    return static_cast<uint32_t>(colour.red()) | static_cast<uint32_t>(colour.green()) << 8 |
           static_cast<uint32_t>(colour.blue()) << 16;
}

CSkinColorBtn::CSkinColorBtn(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    m_chooser = [](QColor current, QWidget* owner) -> std::optional<QColor> {
        const QColor chosen = QColorDialog::getColor(current, owner);
        if (!chosen.isValid()) {
            return std::nullopt;
        }
        return chosen;
    };
    connect(this, &QAbstractButton::clicked, this, &CSkinColorBtn::Choose);
}

void CSkinColorBtn::SetColor(QColor colour) {
    m_colour = colour;
    update();
}

void CSkinColorBtn::SetChooser(std::function<std::optional<QColor>(QColor, QWidget*)> chooser) {
    m_chooser = std::move(chooser);
}

void CSkinColorBtn::Choose() {
    if (!m_chooser) {
        return;
    }
    if (const std::optional<QColor> chosen = m_chooser(GetColor(), this)) {
        SetColor(*chosen);
        emit colourChosen(*chosen);
    }
}

void CSkinColorBtn::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect r = rect();
    // Swatch on the left half, grey drop-down part on the right.
    QRect swatch = r;
    swatch.setRight(r.width() / 2 + 5);
    painter.setPen(QColor(0x3A, 0x40, 0x4B));
    painter.setBrush(GetColor());
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    QRect right = r;
    right.setLeft(r.left() + r.width() / 2 + 3);
    painter.setPen(FromColorRef(0x8B9294));
    painter.setBrush(FromColorRef(0x8B9294));
    painter.drawRect(right.adjusted(0, 0, -1, -1));
    const int m = r.height() / 2;
    const int edge = r.right() + 1;
    const QPoint triangle[3] = {{edge - 11, m - 2}, {edge - 5, m - 2}, {edge - 8, m + 1}};
    painter.setPen(Qt::black);
    painter.setBrush(Qt::black);
    painter.drawPolygon(triangle, 3);
    if (underMouse()) {
        painter.setPen(QColor(0x27, 0xC4, 0xF5));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

ColorStatic::ColorStatic(QWidget* parent) : QLabel(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    SetTextColour(Qt::white);
}

void ColorStatic::SetTextColour(QColor colour) {
    QPalette p = palette();
    p.setColor(QPalette::WindowText, colour);
    setPalette(p);
    repaint();
}

void ColorStatic::SetFontHeight(int pixels) {
    QFont f = font();
    f.setPixelSize(std::max(pixels, 1));
    setFont(f);
    repaint();
}

} // namespace velkarn
