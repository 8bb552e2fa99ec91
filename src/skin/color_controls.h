// CSkinColorBtn: the lighting panel's colour-picker button (a swatch, a grey
// right part with a drop-down mark; a click opens the colour dialog).
// ColorStatic: a transparent static text in a chosen colour.
//
// Thread safety: UI thread only.
#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QLabel>
#include <functional>
#include <optional>

namespace velkarn {

// Windows colour values (red in the low byte) to and from QColor.
QColor FromColorRef(uint32_t value);
uint32_t ToColorRef(const QColor& colour);

class CSkinColorBtn : public QAbstractButton {
    Q_OBJECT
public:
    explicit CSkinColorBtn(QWidget* parent = nullptr);

    void SetColor(QColor colour);
    QColor GetColor() const { return m_colour.value_or(m_automatic); }
    void SetAutomaticColor(QColor colour) { m_automatic = colour; }
    // The dialog that picks a colour; tests replace it. Nothing = cancelled.
    void SetChooser(std::function<std::optional<QColor>(QColor current, QWidget* parent)> chooser);

signals:
    void colourChosen(QColor colour);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Choose();

    std::optional<QColor> m_colour;
    QColor m_automatic{Qt::black};
    std::function<std::optional<QColor>(QColor, QWidget*)> m_chooser;
};

class ColorStatic : public QLabel {
    Q_OBJECT
public:
    explicit ColorStatic(QWidget* parent = nullptr);
    void SetTextColour(QColor colour);
    void SetFontHeight(int pixels);
};

} // namespace velkarn
