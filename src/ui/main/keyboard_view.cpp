#include "ui/main/keyboard_view.h"

#include "model/key_assignment.h"
#include "model/key_button_table.h"
#include "model/key_entry.h"
#include "model/key_table.h"
#include "model/macro.h"
#include "skin/png_button.h"
#include "store/user_settings.h"

#include <QWidget>

namespace velkarn {

namespace {

constexpr const char* kSection = "BUTTONINFO";
constexpr int kFlip0Id = 1129;
constexpr int kFlip1Id = 1130;
constexpr int kFlip2Id = 1131;

// G-key captions sit in the corner so that they do not cover the cap's own
// legend drawn in the skin.
const QColor kCaptionColour(0xE8, 0xC5, 0x6A);

} // namespace

KeyboardView::KeyboardView(QWidget* window, ProfileStore& store, ChildDialogs& dialogs,
                           LightingHooks& lighting, std::function<void(bool)> setApplyPending)
    : QObject(window), m_window(window), m_store(store), m_dialogs(dialogs), m_lighting(lighting),
      m_setApplyPending(std::move(setApplyPending)) {}

CPngButton* KeyboardView::MakeButton(int controlId) {
    auto* button = new CPngButton(m_window);
    button->setObjectName(QString::number(controlId));
    button->setFocusPolicy(Qt::NoFocus);
    m_buttons[controlId] = button;
    return button;
}

CPngButton* KeyboardView::Button(int controlId) const {
    auto it = m_buttons.find(controlId);
    return it == m_buttons.end() ? nullptr : it->second;
}

void KeyboardView::Skin(const std::string& ini, const KeyViewPictures& pictures) {
    m_ini = ini;
    m_pictures = pictures;
    const auto& p = pictures.set1.pictures;
    // The extra look is the assigned look: a remapped key stands out from
    // its neighbours without looking hovered.
    auto place = [&](int id, const std::string& key) {
        CPngButton* button = Button(id) ? Button(id) : MakeButton(id);
        PlaceImageButton(button, ini, kSection, key, p[0], p[1], p[2], p[3], pictures.Assigned());
        return button;
    };
    for (const KeyButton& key : KeyButtonTable()) {
        CPngButton* button = place(key.controlId, KeySkinKey(key.entry));
        connect(button, &QAbstractButton::clicked, this, [this, id = key.controlId] { OnKeyButton(id); });
    }
    for (int n = 0; n < kGKeyCount; ++n) {
        CPngButton* button = place(kGKeyControlIds[n], GKeySkinKey(n));
        button->SetTextStyle(true, 7, QStringLiteral("DejaVu Sans"), kCaptionColour, kCaptionColour,
                             kCaptionColour, QColor(0x70, 0x70, 0x70), kCaptionColour,
                             Qt::AlignRight | Qt::AlignBottom);
        connect(button, &QAbstractButton::clicked, this, [this, id = kGKeyControlIds[n]] { OnGKey(id); });
    }
    CPngButton* fn = place(kFnControlId, kFnSkinKey);
    connect(fn, &QAbstractButton::clicked, this, [this] { OnFnKey(); });
    for (int n = 0; n < kDKeyCount; ++n) {
        CPngButton* button = place(kDKeyControlIds[n], DKeySkinKey(n));
        connect(button, &QAbstractButton::clicked, this,
                [this, id = kDKeyControlIds[n]] { OnKeyButton(id); });
    }
    m_flip0 = place(kFlip0Id, "FLIP_0");
    for (int id : {kFlip1Id, kFlip2Id}) {
        CPngButton* button = place(id, id == kFlip1Id ? "FLIP_1" : "FLIP_2");
        connect(button, &QAbstractButton::clicked, this, [this] { ToggleFlip(); });
    }
    ApplyFlip(ReadFlip());
}

void KeyboardView::OnKeyButton(int controlId) {
    if (m_lighting.PaintingKeys()) {
        m_lighting.PaintKey(controlId);
        return;
    }
    OpenKey(controlId);
}

void KeyboardView::OnGKey(int controlId) {
    OpenKey(controlId);
}

void KeyboardView::OnFnKey() {
    if (m_lighting.PaintingKeys())
        m_lighting.PaintKey(kFnControlId);
}

std::span<uint8_t> KeyboardView::ActiveArea(bool ask) {
    // Redraws use the cached profile; a click may ask the keyboard once.
    const int profile = ask ? m_store.GetActiveProfile() : m_store.Port().ActiveProfileCache();
    ProfileBlock* block = m_store.Block();
    if (!block || profile < 0 || profile >= kOnboardProfileCount)
        return {};
    return block->Area(profile);
}

int KeyboardView::OpenKey(int controlId) {
    const auto target = ResolveKeyTarget(controlId, m_store.GKeyBank());
    if (!target)
        return -1;
    CPngButton* button = Button(target->controlId);
    if (m_colourMode) {
        std::lock_guard lock(m_store.StoreLock());
        std::span<uint8_t> area = ActiveArea(true);
        if (area.empty())
            return 0;
        const bool marked = ToggleMark(area, target->markEntry);
        if (button)
            SetMarkLooks(button, marked);
        if (m_setApplyPending)
            m_setApplyPending(true);
        return 0;
    }
    if (button) {
        const auto& p = m_pictures.set1.pictures;
        button->SetLooks(p[1], p[1], p[2], p[3], p[1], true);
    }
    m_dialogs.RunComposite(m_window, *target);
    if (button) {
        SetNormalLooks(button);
        RefreshKeyButton(target->controlId);
    }
    return 0;
}

void KeyboardView::SetNormalLooks(CPngButton* button) {
    const auto& p = m_pictures.set1.pictures;
    button->SetLooks(p[0], p[1], p[2], p[3], m_pictures.Assigned(), true);
}

void KeyboardView::SetMarkLooks(CPngButton* button, bool marked) {
    const auto& p = m_pictures.set1.pictures;
    const StatePicture& look = marked ? m_pictures.colourOn : m_pictures.colourOff;
    button->SetLooks(look, p[1], p[2], p[3], look, true);
}

void KeyboardView::RefreshKeyButton(int controlId) {
    CPngButton* button = Button(controlId);
    if (!button)
        return;
    std::lock_guard lock(m_store.StoreLock());
    std::span<uint8_t> area = ActiveArea(false);
    const int n = GKeyIndexOf(controlId);
    const KeyButton* key = n < 0 ? FindKeyButton(controlId) : nullptr;
    if (n < 0 && !key)
        return;
    const std::string label = n >= 0 ? "G" + std::to_string(n + 1) : KeyName(key->scanCode);
    const int entry = n >= 0 ? GKeyEntry(n, m_store.GKeyBank()) : key->entry;
    const auto view = EntryOf(area, entry);
    if (!view) {
        // No profile to show while the keyboard's active profile is unknown.
        button->SetExtra(false, true);
        button->SetTooltipText(QString::fromStdString(label), true);
        return;
    }
    const auto macros = std::span<const MacroRecord>(m_store.Macros());
    const AssignmentCaption caption =
        AssignmentText(label, *view, [macros](uint32_t id) { return MacroNameOfId(macros, id); });
    button->SetExtra(caption.assigned, true);
    button->SetTooltipText(QString::fromStdString(caption.text), true);
}

void KeyboardView::RefreshKeyButtons() {
    std::lock_guard lock(m_store.StoreLock());
    for (int id : kGKeyControlIds)
        RefreshKeyButton(id);
    for (const KeyButton& key : KeyButtonTable())
        RefreshKeyButton(key.controlId);
    ApplyFlip(ReadFlip());
    // A reload in colour mode brings the new store's marks too.
    if (m_colourMode)
        RefreshMarks();
}

void KeyboardView::RefreshMarks() {
    std::lock_guard lock(m_store.StoreLock());
    std::span<uint8_t> area = ActiveArea(false);
    const int bank = m_store.GKeyBank();
    auto redraw = [&](int controlId) {
        CPngButton* button = Button(controlId);
        const auto target = ResolveKeyTarget(controlId, bank);
        if (!button || !target)
            return;
        if (m_colourMode)
            SetMarkLooks(button, !area.empty() && MarkOf(area, target->markEntry));
        else
            SetNormalLooks(button);
    };
    for (int id : kGKeyControlIds)
        redraw(id);
    for (const KeyButton& key : KeyButtonTable())
        redraw(key.controlId);
}

void KeyboardView::RefreshGKeyLooks() {
    // The tooltips and, in colour mode, the marks follow the bank as well, so
    // that what the user reads under the mouse matches the look.
    std::lock_guard lock(m_store.StoreLock());
    for (int id : kGKeyControlIds)
        RefreshKeyButton(id);
    if (m_colourMode)
        RefreshMarks();
}

void KeyboardView::SetColourMode(bool on) {
    m_colourMode = on;
    if (onColourModeChanged)
        onColourModeChanged(on);
    RefreshMarks();
}

void KeyboardView::ToggleColourMode() {
    SetColourMode(!m_colourMode);
}

void KeyboardView::ApplyFlip(int flip) {
    m_flip = flip;
    const FlipLook look = FlipLookFor(flip);
    for (int id : kFlipFKeyIds) {
        if (CPngButton* button = Button(id))
            button->setEnabled(look.fKeysEnabled);
    }
    for (int id : kDKeyControlIds) {
        if (CPngButton* button = Button(id))
            button->setEnabled(look.dKeysEnabled);
    }
    if (m_flip0) {
        const auto& normal = look.flip0ShowsSet2 ? m_pictures.set2.pictures : m_pictures.set1.pictures;
        const auto& p1 = m_pictures.set1.pictures;
        m_flip0->SetLooks(normal[0], normal[1], normal[2], p1[3], normal[1], true);
    }
}

void KeyboardView::ToggleFlip() {
    ApplyFlip(velkarn::ToggleFlip());
}

} // namespace velkarn
