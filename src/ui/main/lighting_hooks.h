// The points where the lighting panel and the preview (later work) hook into
// the main window: its re-read on "PROF" and timer 1051, its refresh, the
// preview tick of timer 1052, slider notifications and per-key painting.
//
// The main window supplies a default that only re-reads the status and the
// lighting records into the store's mirror, so the keyboard's lighting is
// known even before the panel exists. Every member is called on the UI
// thread.
#pragma once

namespace velkarn {

class LightingHooks {
public:
    virtual ~LightingHooks() = default;

    // Re-reads the status and the lighting records (and, with
    // fillUserModes, the user modes).
    virtual void ReadLighting(bool fillUserModes) = 0;
    virtual void RefreshPanel() {}
    // Whether the lighting toggle is on (the preview runs only then).
    virtual bool LightingOn() const { return false; }
    virtual void PreviewTick() {}
    // A skinned slider moved (message 0x28D1).
    virtual void OnSlider(int controlId, int position) {
        (void)controlId;
        (void)position;
    }
    // Per-key colour painting is active: key clicks paint instead of opening.
    virtual bool PaintingKeys() const { return false; }
    virtual void PaintKey(int controlId) { (void)controlId; }
    virtual void Relocalise(int languageIndex) { (void)languageIndex; }
};

} // namespace velkarn
