// CHyperLink: a text that opens a web address: link colours (Windows colour
// values, red in the low byte), underline modes, hand cursor, tooltip with
// the address. When the address cannot be opened it says why in a message
// box and keeps its colour.
//
// Thread safety: UI thread only.
#pragma once

#include <QLabel>
#include <functional>
#include <string>

namespace velkarn {

class Prompts;

// The text of the message box for an opener error code.
std::string HyperlinkErrorText(int code);

class CHyperLink : public QLabel {
    Q_OBJECT
public:
    // Opens an address; returns the Windows-style result (> 32 success).
    using Opener = std::function<int(const QString& address)>;

    CHyperLink(const QString& text, QWidget* parent = nullptr);

    void SetURL(const QString& address);
    QString GetURL() const { return m_address; }
    void SetUnderline(int mode); // -1 only while hovering, 1 always, 0 never
    void SetOpener(Opener opener) { m_opener = std::move(opener); }
    void SetPrompts(Prompts* prompts) { m_prompts = prompts; }
    bool IsVisited() const { return m_visited; }
    bool IsHovering() const { return m_hovering; }
    QColor CurrentColour() const;
    // What a click does; returns whether the address was opened.
    bool Open();

    static constexpr uint32_t kLinkColour = 0xEE0000;
    static constexpr uint32_t kVisitedColour = 0x8B1A55;
    static constexpr uint32_t kHoverColour = 0x0000FF;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Attach();
    void Restyle();

    QString m_address;
    bool m_hovering = false;
    bool m_visited = false;
    int m_underline = -1;
    Opener m_opener;
    Prompts* m_prompts = nullptr;
};

} // namespace velkarn
