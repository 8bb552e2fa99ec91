// Draws the product's skin and writes its INI files from the layout in
// skin_layout.cpp. Usage: velkarn_skingen <output folder>
//
// Every state picture is the background shifted one pixel up and left with
// each control's look drawn at (x - 1, y - 1): a button copies its look from
// (origin x - 1, origin y - 1), so this is what makes it sit seamlessly on
// the background.
#include "model/key_button_table.h"
#include "skin_layout.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QTextStream>
#include <cmath>
#include <cstdio>
#include <functional>

using namespace velkarn;
using namespace velkarn::skingen;

namespace {

enum class State { Normal, Over, Down, Disabled, Mark0, Mark1, Assigned };

const QColor kAccent(0x27, 0xC4, 0xF5);
const QColor kMarkColour(0xFF, 0x8A, 0x1F);
const QString kFace = QStringLiteral("DejaVu Sans");

QFont Font(int pixels, bool bold = false) {
    QFont f(kFace);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferFullHinting);
    return f;
}

QRectF Inset(const QRect& r, double d) {
    return QRectF(r).adjusted(d, d, -d, -d);
}

void DrawKeyLegend(QPainter& p, const QRect& r, const std::string& legend, const QColor& colour) {
    const QString text = QString::fromStdString(legend);
    p.setPen(colour);
    const int bar = text.indexOf('\n');
    if (bar > 0 && text.size() > bar + 1) {
        p.setFont(Font(10));
        p.drawText(r.adjusted(0, 3, 0, -r.height() / 2), Qt::AlignCenter, text.left(bar));
        p.setFont(Font(13, true));
        p.drawText(r.adjusted(0, r.height() / 2 - 4, 0, -3), Qt::AlignCenter, text.mid(bar + 1));
        return;
    }
    const int length = static_cast<int>(text.size());
    const int pixels = length <= 2 ? 14 : (length <= 4 ? 11 : 10);
    p.setFont(Font(pixels, length <= 2));
    p.drawText(r, Qt::AlignCenter, text);
}

void DrawKey(QPainter& p, const QRect& r, const SkinControl& c, State s) {
    const QRectF body = Inset(r, 0.5);
    QColor top(0x2C, 0x31, 0x3C), bottom(0x1F, 0x23, 0x2B), border(0x3A, 0x41, 0x4D),
        legend(0xD8, 0xDD, 0xE6);
    double borderWidth = 1.0;
    int shift = 0;
    switch (s) {
    case State::Normal:
    case State::Mark0:
        break;
    case State::Over:
        // Hover lifts the cap in neutral grey, so it never reads as assigned.
        top = QColor(0x40, 0x47, 0x55);
        bottom = QColor(0x31, 0x37, 0x43);
        border = QColor(0x9A, 0xA4, 0xB3);
        borderWidth = 1.5;
        legend = Qt::white;
        break;
    case State::Assigned:
        // A key with a new meaning: tinted cap, accent outline and legend.
        top = QColor(0x1B, 0x46, 0x5A);
        bottom = QColor(0x12, 0x2E, 0x3C);
        border = kAccent;
        borderWidth = 2.0;
        legend = kAccent.lighter(135);
        break;
    case State::Down:
        // Pressed is the one solid accent cap, so it never reads as hovered or assigned.
        top = kAccent.darker(115);
        bottom = kAccent;
        border = kAccent.lighter(120);
        borderWidth = 1.0;
        legend = QColor(0x08, 0x16, 0x1D);
        shift = 1;
        break;
    case State::Disabled:
        top = QColor(0x1A, 0x1D, 0x22);
        bottom = QColor(0x17, 0x19, 0x1D);
        border = QColor(0x26, 0x2A, 0x31);
        legend = QColor(0x4E, 0x54, 0x5E);
        break;
    case State::Mark1:
        top = QColor(0x4A, 0x2C, 0x12);
        bottom = QColor(0x33, 0x1E, 0x0C);
        border = kMarkColour;
        borderWidth = 2.0;
        legend = Qt::white;
        break;
    }
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, top);
    g.setColorAt(1, bottom);
    p.setBrush(g);
    p.setPen(QPen(border, borderWidth));
    p.drawRoundedRect(body.adjusted(borderWidth / 2, borderWidth / 2, -borderWidth / 2, -borderWidth / 2), 5,
                      5);
    if (s == State::Normal || s == State::Mark0) {
        // A faint top highlight gives the cap some depth.
        p.setPen(QPen(QColor(255, 255, 255, 18), 1));
        p.drawLine(QPointF(body.left() + 5, body.top() + 1.5), QPointF(body.right() - 5, body.top() + 1.5));
    }
    if (s == State::Mark0 || s == State::Mark1) {
        const QColor dot = s == State::Mark1 ? kMarkColour : QColor(0x4A, 0x50, 0x5B);
        p.setPen(Qt::NoPen);
        p.setBrush(dot);
        p.drawRoundedRect(QRectF(body.center().x() - 8, body.bottom() - 6, 16, 3), 1.5, 1.5);
    }
    DrawKeyLegend(p, r.translated(shift, shift).adjusted(2, 0, -2, -2), c.legend, legend);
}

void DrawTextButton(QPainter& p, const QRect& r, State s, bool tab) {
    QColor fill(0x2A, 0x2F, 0x3A), border(0x3D, 0x44, 0x52);
    double bw = 1.0;
    if (s == State::Over) {
        fill = QColor(0x22, 0x3E, 0x4D);
        border = kAccent;
        bw = 1.5;
    } else if (s == State::Down) {
        fill = QColor(0x13, 0x6A, 0x8C);
        border = kAccent;
        bw = 1.5;
    } else if (s == State::Disabled) {
        fill = QColor(0x1C, 0x1F, 0x25);
        border = QColor(0x29, 0x2D, 0x34);
    }
    const QRectF body = Inset(r, 0.5 + bw / 2);
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    g.setColorAt(0, fill.lighter(112));
    g.setColorAt(1, fill);
    p.setBrush(g);
    p.setPen(QPen(border, bw));
    p.drawRoundedRect(body, tab ? 4 : 6, tab ? 4 : 6);
    if (tab && (s == State::Down || s == State::Over)) {
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawRect(QRectF(body.left() + 8, body.bottom() - 3, body.width() - 16, 2));
    }
}

void DrawGlyph(QPainter& p, const QRectF& r, const std::string& glyph, const QColor& colour) {
    p.setPen(QPen(colour, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    const QPointF c = r.center();
    const double k = std::min(r.width(), r.height()) * 0.22;
    if (glyph == "close" || glyph == "mask") {
        p.drawLine(c + QPointF(-k, -k), c + QPointF(k, k));
        p.drawLine(c + QPointF(-k, k), c + QPointF(k, -k));
    } else if (glyph == "minimize") {
        p.drawLine(c + QPointF(-k, k * 0.6), c + QPointF(k, k * 0.6));
    } else if (glyph == "menu") {
        for (int i = -1; i <= 1; ++i) {
            p.drawLine(c + QPointF(-k, i * k * 0.8), c + QPointF(k, i * k * 0.8));
        }
    } else if (glyph == "help") {
        p.setFont(Font(15, true));
        p.drawText(r, Qt::AlignCenter, QStringLiteral("?"));
    } else if (glyph == "left" || glyph == "right") {
        const double d = glyph == "left" ? 1 : -1;
        p.drawPolyline(QPolygonF(
            {c + QPointF(k * 0.5 * d, -k), c + QPointF(-k * 0.5 * d, 0), c + QPointF(k * 0.5 * d, k)}));
    } else if (glyph == "up" || glyph == "down" || glyph == "top" || glyph == "bottom") {
        const double d = (glyph == "up" || glyph == "top") ? 1 : -1;
        p.drawPolyline(QPolygonF(
            {c + QPointF(-k, k * 0.5 * d), c + QPointF(0, -k * 0.5 * d), c + QPointF(k, k * 0.5 * d)}));
        if (glyph == "top" || glyph == "bottom") {
            p.drawLine(c + QPointF(-k, -k * 1.1 * d), c + QPointF(k, -k * 1.1 * d));
        }
    } else if (glyph == "globe") {
        p.drawEllipse(c, k * 1.4, k * 1.4);
        p.drawEllipse(c, k * 0.6, k * 1.4);
        p.drawLine(c + QPointF(-k * 1.4, 0), c + QPointF(k * 1.4, 0));
    } else if (glyph == "chat") {
        p.drawRoundedRect(QRectF(c.x() - k * 1.4, c.y() - k * 1.1, k * 2.8, k * 1.9), 3, 3);
        p.drawLine(c + QPointF(-k * 0.6, k * 0.8), c + QPointF(-k * 0.9, k * 1.5));
    } else if (glyph == "share") {
        const QPointF a = c + QPointF(-k, 0), b = c + QPointF(k, -k), d = c + QPointF(k, k);
        p.drawLine(a, b);
        p.drawLine(a, d);
        p.setBrush(colour);
        for (const QPointF& q : {a, b, d}) {
            p.drawEllipse(q, 2.2, 2.2);
        }
    } else if (glyph == "link") {
        p.drawRoundedRect(QRectF(c.x() - k * 1.5, c.y() - k * 0.5, k * 1.7, k), k * 0.5, k * 0.5);
        p.drawRoundedRect(QRectF(c.x() - k * 0.2, c.y() - k * 0.5, k * 1.7, k), k * 0.5, k * 0.5);
    } else {
        p.setFont(Font(11, true));
        p.drawText(r, Qt::AlignCenter, QString::fromStdString(glyph));
    }
}

void DrawRoundButton(QPainter& p, const QRect& r, const SkinControl& c, State s, bool title) {
    QColor fill(0x24, 0x28, 0x31), ring(0x3A, 0x40, 0x4B), glyph(0xB8, 0xBF, 0xCA);
    if (s == State::Over) {
        fill = c.legend == "close" ? QColor(0xC4, 0x2B, 0x3A) : QColor(0x1E, 0x45, 0x57);
        ring = c.legend == "close" ? QColor(0xE8, 0x4A, 0x5A) : kAccent;
        glyph = Qt::white;
    } else if (s == State::Down) {
        fill = c.legend == "close" ? QColor(0x8E, 0x1D, 0x29) : QColor(0x12, 0x5E, 0x7C);
        ring = fill.lighter(140);
        glyph = Qt::white;
    } else if (s == State::Disabled) {
        fill = QColor(0x1B, 0x1E, 0x23);
        ring = QColor(0x27, 0x2B, 0x31);
        glyph = QColor(0x4C, 0x52, 0x5B);
    }
    const QRectF body = Inset(r, 1.0);
    p.setBrush(fill);
    p.setPen(QPen(ring, 1.2));
    const double radius =
        title || r.width() <= r.height() + 4 ? std::min(body.width(), body.height()) / 2 : 6;
    p.drawRoundedRect(body, radius, radius);
    DrawGlyph(p, body, c.legend, glyph);
}

void DrawLock(QPainter& p, const QRect& r, const SkinControl& c) {
    const QRectF body = Inset(r, 0.5);
    p.setBrush(QColor(0x16, 0x19, 0x1E));
    p.setPen(QPen(QColor(0x2A, 0x2F, 0x37), 1));
    p.drawRoundedRect(body, 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x3B, 0x6B, 0x7C));
    p.drawEllipse(QPointF(body.left() + 7, body.center().y()), 2.5, 2.5);
    p.setPen(QColor(0x8A, 0x92, 0x9E));
    p.setFont(Font(8, true));
    p.drawText(body.adjusted(11, 0, -1, 0), Qt::AlignCenter, QString::fromStdString(c.legend));
}

void DrawLook(QPainter& p, const SkinControl& c, State s, QPoint offset) {
    const QRect r(c.rect.x + offset.x(), c.rect.y + offset.y(), c.rect.w, c.rect.h);
    p.save();
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    switch (c.look) {
    case Look::Key:
        DrawKey(p, r, c, s);
        break;
    case Look::TextButton:
        DrawTextButton(p, r, s, false);
        break;
    case Look::Tab:
        DrawTextButton(p, r, s, true);
        break;
    case Look::TitleButton:
        DrawRoundButton(p, r, c, s, true);
        break;
    case Look::IconButton:
        DrawRoundButton(p, r, c, s, false);
        break;
    case Look::Lock:
        DrawLock(p, r, c);
        break;
    case Look::Placed:
        break;
    }
    p.restore();
}

void DrawPanel(QPainter& p, const QRectF& r, const QString& caption) {
    p.setPen(QPen(QColor(0x26, 0x2B, 0x33), 1));
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(0x15, 0x18, 0x1E));
    g.setColorAt(1, QColor(0x11, 0x13, 0x18));
    p.setBrush(g);
    p.drawRoundedRect(r, 10, 10);
    if (!caption.isEmpty()) {
        p.setPen(QColor(0x5E, 0x66, 0x73));
        p.setFont(Font(10, true));
        p.drawText(QRectF(r.left() + 14, r.top() - 16, 300, 14), Qt::AlignLeft | Qt::AlignVCenter, caption);
    }
}

QImage Background(const SkinWindow& w) {
    QImage img(w.width, w.height, QImage::Format_RGB32);
    img.fill(QColor(0x0E, 0x10, 0x14));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(0, 0, 0, w.height);
    g.setColorAt(0, QColor(0x1A, 0x1D, 0x24));
    g.setColorAt(1, QColor(0x0D, 0x0F, 0x13));
    p.setPen(QPen(QColor(0x30, 0x36, 0x40), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0.75, 0.75, w.width - 1.5, w.height - 1.5), w.cornerRadius, w.cornerRadius);
    // Accent line under the title bar.
    QLinearGradient accent(0, 0, w.width, 0);
    accent.setColorAt(0, QColor(kAccent.red(), kAccent.green(), kAccent.blue(), 0));
    accent.setColorAt(0.2, kAccent);
    accent.setColorAt(0.8, QColor(0x6A, 0x5C, 0xF5));
    accent.setColorAt(1, QColor(0x6A, 0x5C, 0xF5, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(accent);
    p.drawRect(QRectF(w.cornerRadius, 52, w.width - 2 * w.cornerRadius, 1.5));

    if (w.name == "Main") {
        p.setPen(Qt::white);
        QFont logo = Font(20, true);
        logo.setLetterSpacing(QFont::AbsoluteSpacing, 4);
        p.setFont(logo);
        p.drawText(QRectF(26, 12, 200, 30), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(w.title));
        p.setPen(QColor(0x6E, 0x77, 0x84));
        p.setFont(Font(11));
        p.drawText(QRectF(168, 14, 300, 28), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("GAMING KEYBOARD CONFIGURATOR"));
        DrawPanel(p, QRectF(14.5, 110.5, w.width - 29, 342), {});
        // G-key column backdrop.
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0x19, 0x1D, 0x24));
        p.drawRoundedRect(QRectF(22, 146, 68, 284), 8, 8);
        DrawPanel(p, QRectF(14.5, 454.5, w.width - 29, 150), {});
        // Column separators of the lighting panel.
        p.setPen(QPen(QColor(0x24, 0x29, 0x31), 1));
        for (int x : {296, 584, 900}) {
            p.drawLine(QPointF(x + 0.5, 466), QPointF(x + 0.5, 592));
        }
    } else {
        p.setPen(QColor(0xE6, 0xEA, 0xF0));
        p.setFont(Font(15, true));
        if (w.name != "Composite") {
            p.drawText(QRectF(24, 12, 300, 30), Qt::AlignLeft | Qt::AlignVCenter,
                       w.name == "Profile" ? QStringLiteral("Profiles") : QStringLiteral("Firmware update"));
        }
        if (w.name == "Composite") {
            DrawPanel(p, QRectF(14.5, 94.5, w.width - 29, 276), {});
        }
    }
    return img;
}

QImage Mask(const SkinWindow& w) {
    QImage img(w.width, w.height, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    // No antialiasing: every pixel is either inside (black) or outside (pure white).
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    QPainterPath path;
    path.addRoundedRect(QRectF(0, 0, w.width, w.height), w.cornerRadius, w.cornerRadius);
    p.drawPath(path);
    return img;
}

State StateOf(const std::string& file) {
    if (file.find("_over") != std::string::npos) {
        return State::Over;
    }
    if (file.find("_down") != std::string::npos) {
        return State::Down;
    }
    if (file.find("_disable") != std::string::npos) {
        return State::Disabled;
    }
    return State::Normal;
}

// A whole-window picture: the background one pixel up and left, every look drawn at (x - 1, y - 1).
QImage StatePicture(const SkinWindow& w, const QImage& background, State s) {
    QImage img(w.width + 100, w.height + 100, QImage::Format_RGB32);
    img.fill(QColor(0x0E, 0x10, 0x14));
    QPainter p(&img);
    p.drawImage(QPoint(-1, -1), background);
    for (const SkinControl& c : w.controls) {
        DrawLook(p, c, c.look == Look::Lock ? State::Disabled : s, QPoint(-1, -1));
    }
    return img;
}

bool Save(const QImage& img, const QString& path) {
    const bool jpeg = path.endsWith(QLatin1String(".jpg"));
    if (!img.save(path, nullptr, jpeg ? 95 : -1)) {
        std::fprintf(stderr, "skingen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// Written whole or not at all: QSaveFile keeps the old file until the new
// one is complete, and a short write or full disk fails the run.
bool WriteText(const QString& path, const QString& text) {
    QSaveFile f(path);
    const QByteArray bytes = text.toUtf8();
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size() || !f.commit()) {
        std::fprintf(stderr, "skingen: cannot write %s: %s\n", qPrintable(path), qPrintable(f.errorString()));
        return false;
    }
    return true;
}

bool WriteIni(const SkinWindow& w, const QString& folder) {
    QString text;
    QTextStream out(&text);
    out << "[SCREEN]\r\nMain=" << QString::fromStdString(w.background)
        << "\r\nMask=" << QString::fromStdString(w.mask) << "\r\n";
    for (const auto& e : w.extras) {
        if (e.section == "SCREEN") {
            out << QString::fromStdString(e.key) << "=" << QString::fromStdString(e.value) << "\r\n";
        }
    }
    out << "\r\n[BUTTONINFO]\r\n";
    for (const SkinControl& c : w.controls) {
        out << QString::fromStdString(c.key) << "=" << c.rect.x << "," << c.rect.y << "," << c.rect.w << ","
            << c.rect.h << "\r\n";
    }
    QString section;
    for (const auto& e : w.extras) {
        if (e.section == "SCREEN") {
            continue;
        }
        if (QString::fromStdString(e.section) != section) {
            section = QString::fromStdString(e.section);
            out << "\r\n[" << section << "]\r\n";
        }
        out << QString::fromStdString(e.key) << "=" << QString::fromStdString(e.value) << "\r\n";
    }
    out.flush();
    return WriteText(folder + "/" + QString::fromStdString(w.iniFile), text);
}

// The main window's assigned look: every key cap as a key with a new meaning.
QImage AssignedPicture(const SkinWindow& w, const QImage& background) {
    QImage img(w.width + 100, w.height + 100, QImage::Format_RGB32);
    img.fill(QColor(0x0E, 0x10, 0x14));
    QPainter p(&img);
    p.drawImage(QPoint(-1, -1), background);
    for (const SkinControl& c : w.controls) {
        DrawLook(p, c, c.look == Look::Key ? State::Assigned : State::Normal, QPoint(-1, -1));
    }
    return img;
}

// The main window's colour-mark pictures: every key cap with its mark dot.
QImage MarkPicture(const SkinWindow& w, const QImage& background, bool marked) {
    QImage img(w.width + 100, w.height + 100, QImage::Format_RGB32);
    img.fill(QColor(0x0E, 0x10, 0x14));
    QPainter p(&img);
    p.drawImage(QPoint(-1, -1), background);
    for (const SkinControl& c : w.controls) {
        DrawLook(p, c, c.look == Look::Key ? (marked ? State::Mark1 : State::Mark0) : State::Normal,
                 QPoint(-1, -1));
    }
    return img;
}

QImage Arrows() {
    QImage img(60, 30, QImage::Format_RGB32);
    img.fill(QColor(0x1A, 0x1D, 0x24));
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    DrawGlyph(p, QRectF(0, 0, 20, 20), "left", QColor(0x6E, 0x77, 0x84));
    DrawGlyph(p, QRectF(20, 0, 20, 20), "right", QColor(0x6E, 0x77, 0x84));
    return img;
}

QImage Blank(int w, int h) {
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor(0x15, 0x18, 0x1E));
    return img;
}

QImage Toggle(bool on) {
    QImage img = Blank(64, 28);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(on ? kAccent.darker(130) : QColor(0x2C, 0x31, 0x3B));
    p.drawRoundedRect(QRectF(4, 4, 56, 20), 10, 10);
    p.setBrush(on ? Qt::white : QColor(0x8A, 0x92, 0x9E));
    p.drawEllipse(QPointF(on ? 50 : 14, 14), 8, 8);
    p.setPen(on ? Qt::white : QColor(0x8A, 0x92, 0x9E));
    p.setFont(Font(9, true));
    p.drawText(QRectF(on ? 8 : 24, 4, 32, 20), Qt::AlignCenter,
               on ? QStringLiteral("ON") : QStringLiteral("OFF"));
    return img;
}

QImage Chip(int w, int h, bool chosen,
            const std::function<void(QPainter&, const QRectF&, const QColor&)>& glyph) {
    QImage img = Blank(w, h);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(chosen ? QColor(0x17, 0x4F, 0x66) : QColor(0x24, 0x28, 0x31));
    p.setPen(QPen(chosen ? kAccent : QColor(0x3A, 0x40, 0x4B), 1.2));
    const QRectF body(1, 1, w - 2, h - 2);
    p.drawRoundedRect(body, 6, 6);
    glyph(p, body, chosen ? Qt::white : QColor(0x9A, 0xA2, 0xAE));
    return img;
}

QImage DirectionChip(const std::string& glyph, bool chosen) {
    return Chip(44, 28, chosen,
                [&](QPainter& p, const QRectF& r, const QColor& c) { DrawGlyph(p, r, glyph, c); });
}

QImage SpreadChip(bool spread, bool chosen) {
    return Chip(44, 28, chosen, [&](QPainter& p, const QRectF& r, const QColor& c) {
        p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
        const QPointF m = r.center();
        const double d = spread ? 1 : -1;
        for (double sx : {-1.0, 1.0}) {
            p.drawLine(m + QPointF(sx * 4, 0), m + QPointF(sx * 12, 0));
            p.drawLine(m + QPointF(sx * (8 + 4 * d), -4), m + QPointF(sx * (8 + 4 * d) + sx * 4 * d, 0));
            p.drawLine(m + QPointF(sx * (8 + 4 * d), 4), m + QPointF(sx * (8 + 4 * d) + sx * 4 * d, 0));
        }
    });
}

QImage OptionDot(const QColor& colour, bool chosen) {
    QImage img = Blank(28, 28);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    if (chosen) {
        p.setPen(QPen(Qt::white, 2));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(14, 14), 12, 12);
    }
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QPointF(14, 14), chosen ? 8.5 : 9, chosen ? 8.5 : 9);
    return img;
}

QImage Multicolour(bool on) {
    QImage img = Blank(40, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient g(4, 0, 36, 0);
    const std::array<QColor, 6> hues = {QColor(255, 60, 60), QColor(255, 200, 0),  QColor(60, 230, 90),
                                        QColor(0, 200, 255), QColor(120, 90, 255), QColor(255, 60, 200)};
    for (size_t i = 0; i < hues.size(); ++i) {
        g.setColorAt(static_cast<double>(i) / 5.0,
                     on ? hues[i] : QColor(0x3A, 0x40, 0x4B).lighter(100 + 10 * int(i)));
    }
    p.setPen(QPen(on ? Qt::white : QColor(0x3A, 0x40, 0x4B), 1.2));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(2, 4, 36, 16), 8, 8);
    return img;
}

QImage ToolChip(bool baseColour, bool chosen) {
    return Chip(40, 28, chosen, [&](QPainter& p, const QRectF& r, const QColor& c) {
        p.setPen(QPen(c, 1.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const QPointF m = r.center();
        if (baseColour) { // a bucket: fill with the base colour
            p.drawPolygon(
                QPolygonF({m + QPointF(-7, -3), m + QPointF(0, -9), m + QPointF(7, -3), m + QPointF(0, 4)}));
            p.drawLine(m + QPointF(8, 1), m + QPointF(8, 6));
        } else { // a brush: paint with the paint colour
            p.drawLine(m + QPointF(-6, 7), m + QPointF(5, -4));
            p.setBrush(c);
            p.drawEllipse(m + QPointF(6, -5), 3, 3);
        }
    });
}

QImage Progress(int frame) {
    QImage img = Blank(240, 10);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x24, 0x28, 0x31));
    p.drawRoundedRect(QRectF(0, 1, 240, 8), 4, 4);
    QLinearGradient g(0, 0, 240, 0);
    g.setColorAt(0, kAccent);
    g.setColorAt(1, QColor(0x6A, 0x5C, 0xF5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(0, 1, 24.0 * frame, 8), 4, 4);
    return img;
}

// Slider pictures: a track filled to step + 1 of five notches.
QImage SliderPicture(int number) {
    QImage img = Blank(160, 20);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const int level = number < 5 ? number : (number < 10 ? number - 5 : number % 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2A, 0x2F, 0x38));
    p.drawRoundedRect(QRectF(4, 7, 152, 6), 3, 3);
    const double knob = 10 + level * 35.0;
    QLinearGradient g(4, 0, 156, 0);
    g.setColorAt(0, kAccent.darker(140));
    g.setColorAt(1, kAccent);
    p.setBrush(g);
    p.drawRoundedRect(QRectF(4, 7, knob - 4, 6), 3, 3);
    for (int i = 0; i < 5; ++i) {
        p.setBrush(i <= level ? kAccent : QColor(0x44, 0x4A, 0x55));
        p.drawEllipse(QPointF(10 + i * 35.0, 10), 2, 2);
    }
    p.setBrush(Qt::white);
    p.setPen(QPen(kAccent, 2));
    p.drawEllipse(QPointF(knob, 10), 6.5, 6.5);
    return img;
}

QImage Swatch(const QColor& colour) {
    QImage img = Blank(44, 24);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255, 60), 1));
    p.setBrush(colour);
    p.drawRoundedRect(QRectF(1.5, 1.5, 41, 21), 5, 5);
    return img;
}

QImage TrayIcon(const QColor& glow, bool connected) {
    QImage img(64, 64, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(connected ? glow : QColor(0x7A, 0x80, 0x8A), 3));
    p.setBrush(QColor(0x1C, 0x20, 0x27));
    p.drawRoundedRect(QRectF(4, 16, 56, 34), 7, 7);
    p.setPen(Qt::NoPen);
    p.setBrush(connected ? glow : QColor(0x7A, 0x80, 0x8A));
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 6; ++col) {
            p.drawRoundedRect(QRectF(10 + col * 8, 21 + row * 8, 5.5, 5), 1, 1);
        }
    }
    if (!connected) {
        p.setPen(QPen(QColor(0xE8, 0x4A, 0x5A), 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(46, 6), QPointF(60, 20));
        p.drawLine(QPointF(60, 6), QPointF(46, 20));
    }
    return img;
}

bool WritePanelPictures(const QString& dir) {
    bool ok = true;
    auto save = [&](const QImage& img, const QString& name) { ok = Save(img, dir + "/" + name) && ok; };
    save(Toggle(false), "dengup.bmp");
    save(Toggle(true), "dengdown.bmp");
    const std::array<std::pair<const char*, const char*>, 4> pairs = {
        {{"left", "left"}, {"right", "right"}, {"up", "up"}, {"down", "down"}}};
    for (const auto& [name, glyph] : pairs) {
        save(DirectionChip(glyph, false), QString("%1up.bmp").arg(name));
        save(DirectionChip(glyph, true), QString("%1down.bmp").arg(name));
    }
    save(SpreadChip(true, false), "kuosan.bmp");
    save(SpreadChip(true, true), "kuosandown.bmp");
    save(SpreadChip(false, false), "julong.bmp");
    save(SpreadChip(false, true), "julongdown.bmp");
    const std::array<std::pair<const char*, QColor>, 4> options = {{{"hong", QColor(235, 50, 50)},
                                                                    {"huang", QColor(240, 200, 0)},
                                                                    {"lv", QColor(60, 220, 90)},
                                                                    {"lan", QColor(30, 120, 255)}}};
    for (const auto& [name, colour] : options) {
        save(OptionDot(colour.darker(160), false), QString("%1.bmp").arg(name));
        save(OptionDot(colour, true), QString("%1ok.bmp").arg(name));
    }
    save(Multicolour(false), "sjsup.bmp");
    save(Multicolour(true), "sjsdown.bmp");
    save(ToolChip(false, false), "user1up.bmp");
    save(ToolChip(false, true), "user1down.bmp");
    save(ToolChip(true, false), "user2up.bmp");
    save(ToolChip(true, true), "user2down.bmp");
    for (int i = 1; i <= 10; ++i) {
        save(Progress(i), QString("jdt%1.bmp").arg(i));
    }
    for (int i = 0; i <= 25; ++i) {
        save(SliderPicture(i), QString("%1.bmp").arg(i));
    }
    // The eight preset colours of the lighting panel.
    const std::array<QColor, 8> presets = {QColor(235, 99, 30), QColor(255, 0, 0),   QColor(0, 126, 255),
                                           QColor(90, 255, 0),  QColor(234, 255, 0), QColor(255, 192, 0),
                                           QColor(255, 0, 180), QColor(174, 0, 255)};
    for (size_t i = 0; i < presets.size(); ++i) {
        save(Swatch(presets[i]), QString("Color%1.bmp").arg(i + 1));
    }
    save(TrayIcon(kAccent, false), "icon128.png");
    save(TrayIcon(kAccent, true), "icon141.png");
    save(TrayIcon(kMarkColour, true), "icon142.png");
    return ok;
}

// The shipped user lighting modes: ten named per-key layouts.
bool WriteUserModes(const QString& dir) {
    QString text;
    QTextStream out(&text);
    out << "[PRESENTMODE]\r\nmode=0\r\n\r\n[MODENAME]\r\n";
    const std::array<const char*, 10> names = {"Glacier", "WASD",   "Sunset", "Arrows", "Numpad",
                                               "Forest",  "Violet", "Ember",  "Mono",   "Custom"};
    for (int m = 0; m < 10; ++m) {
        out << m << "=" << names[m] << "\r\n";
    }
    struct Rgb {
        int r, g, b;
    };
    const std::array<Rgb, 10> bases = {{{0, 190, 255},
                                        {30, 30, 60},
                                        {255, 90, 20},
                                        {20, 40, 80},
                                        {40, 20, 60},
                                        {20, 200, 60},
                                        {150, 60, 255},
                                        {255, 40, 0},
                                        {255, 255, 255},
                                        {255, 0, 0}}};
    const std::array<Rgb, 10> paints = {{{255, 255, 255},
                                         {255, 40, 40},
                                         {255, 200, 0},
                                         {0, 220, 255},
                                         {255, 180, 0},
                                         {220, 255, 120},
                                         {255, 80, 200},
                                         {255, 200, 60},
                                         {0, 0, 0},
                                         {0, 0, 255}}};
    auto highlighted = [](int mode, const KeyButton& key) {
        const std::string c = key.caption;
        switch (mode) {
        case 1:
            return c == "W" || c == "A" || c == "S" || c == "D";
        case 3:
            return c == "Up" || c == "Down" || c == "Left" || c == "Right";
        case 4:
            return c.rfind("Num ", 0) == 0;
        case 2:
        case 7:
            return key.led <= 12; // the function row
        default:
            return false;
        }
    };
    for (int m = 0; m < 10; ++m) {
        const Rgb base = bases[m];
        const Rgb paint = paints[m];
        out << "\r\n[Mode" << m << "]\r\ntool=0\r\n";
        out << "jcolor=" << base.r << "," << base.g << "," << base.b << "\r\n";
        out << "color=" << paint.r << "," << paint.g << "," << paint.b << "\r\n";
        for (const KeyButton& key : KeyButtonTable()) {
            const bool hot = highlighted(m, key);
            const Rgb c = hot ? paint : base;
            out << key.led << "=" << c.r << "," << c.g << "," << c.b << "," << (hot ? 0 : 1) << "\r\n";
        }
        out << kFnLed << "=" << base.r << "," << base.g << "," << base.b << ",1\r\n";
        out << kGKeyLed << "=" << base.r << "," << base.g << "," << base.b << ",1\r\n";
    }
    out.flush();
    return WriteText(dir + "/UserDengColor_3.userd", text);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: velkarn_skingen <output folder>\n");
        return 2;
    }
    // Text needs a font database, which needs a GUI application; no display is used.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QString dir = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(dir)) {
        std::fprintf(stderr, "skingen: cannot create %s\n", qPrintable(dir));
        return 1;
    }
    bool ok = true;
    for (const SkinWindow& w : BuildSkinLayout()) {
        const QImage background = Background(w);
        ok = Save(background, dir + "/" + QString::fromStdString(w.background)) && ok;
        ok = Save(Mask(w), dir + "/" + QString::fromStdString(w.mask)) && ok;
        ok = WriteIni(w, dir) && ok;
        for (const std::string& file : w.statePictures) {
            ok = Save(StatePicture(w, background, StateOf(file)), dir + "/" + QString::fromStdString(file)) &&
                 ok;
        }
        if (w.name == "Main") {
            ok = Save(MarkPicture(w, background, false), dir + "/main_color0.jpg") && ok;
            ok = Save(MarkPicture(w, background, true), dir + "/main_color1.jpg") && ok;
            ok = Save(AssignedPicture(w, background), dir + "/main_assigned.jpg") && ok;
        }
    }
    ok = Save(Arrows(), dir + "/Arrow.jpg") && ok;
    ok = WritePanelPictures(dir) && ok;
    ok = WriteUserModes(dir) && ok;
    return ok ? 0 : 1;
}
