// The drawn keyboard of the main window: one skinned button per key of the
// key-button table, the nine G keys, Fn and the six D keys. It shows, key by
// key, whether the key has a non-default assignment in the active profile
// (the assigned look and a tooltip naming the assignment), routes clicks to
// the assignment dialog, the colour marks or per-key painting, and applies
// the flip setting (F1..F4 or D1..D6).
//
// The rules that need no widget live in keyboard_view_logic.h.
//
// Thread safety: UI thread only. Store data is read and written under the
// store lock; the G-key bank is read from the device link.
#pragma once

#include "skin/base_dialog.h"
#include "store/profile_store.h"
#include "ui/main/child_dialogs.h"
#include "ui/main/keyboard_view_logic.h"
#include "ui/main/lighting_hooks.h"

#include <QObject>
#include <functional>
#include <map>
#include <string>

namespace velkarn {

class CPngButton;

// The pictures the key buttons cut their looks from.
struct KeyViewPictures {
    StatePictureSet set1;   // normal, over, down, disabled
    StatePictureSet set2;   // the same files loaded again (flipped layout)
    StatePicture colourOff; // main_color0: not marked
    StatePicture colourOn;  // main_color1: marked
    StatePicture assigned;  // main_assigned: a key with a new meaning (the over picture when absent)

    // The extra look of a key button: its assigned look.
    const StatePicture& Assigned() const { return assigned ? assigned : set1.pictures[1]; }
};

class KeyboardView : public QObject {
    Q_OBJECT
public:
    KeyboardView(QWidget* window, ProfileStore& store, ChildDialogs& dialogs, LightingHooks& lighting,
                 std::function<void(bool)> setApplyPending);

    // Places and skins every key button from the main skin file.
    void Skin(const std::string& ini, const KeyViewPictures& pictures);

    // Click handlers (public so that the window and tests can route ids).
    void OnKeyButton(int controlId);
    void OnGKey(int controlId);
    void OnFnKey();
    // 0, or -1 when the id is neither a G key nor a key of the table.
    int OpenKey(int controlId);

    void RefreshKeyButtons();
    void RefreshKeyButton(int controlId);
    void RefreshMarks();
    // The "LED" message: each G key's assigned look and tooltip from its
    // entry (current bank, active profile), under the store lock.
    void RefreshGKeyLooks();

    bool ColourMode() const { return m_colourMode; }
    void SetColourMode(bool on);
    void ToggleColourMode();

    // The flip setting: read from the settings, applied to the F and D keys
    // and the FLIP_0 look.
    void ApplyFlip(int flip);
    void ToggleFlip();
    int Flip() const { return m_flip; }

    CPngButton* Button(int controlId) const;
    // Text of the Switch caption to show (the window owns the Switch button).
    std::function<void(bool colourMode)> onColourModeChanged;

private:
    CPngButton* MakeButton(int controlId);
    void SetNormalLooks(CPngButton* button);
    void SetMarkLooks(CPngButton* button, bool marked);
    // Area of the active profile, or empty while it is unknown.
    std::span<uint8_t> ActiveArea(bool ask);

    QWidget* m_window;
    ProfileStore& m_store;
    ChildDialogs& m_dialogs;
    LightingHooks& m_lighting;
    std::function<void(bool)> m_setApplyPending;
    std::map<int, CPngButton*> m_buttons;
    KeyViewPictures m_pictures;
    std::string m_ini;
    bool m_colourMode = false;
    int m_flip = 0;
    CPngButton* m_flip0 = nullptr;
};

} // namespace velkarn
