// The one description of every skinned window: where each control sits, how
// it looks and which controls may share a place. The skin generator draws the
// pictures and writes the INI files from it, and the skin tests walk it, so a
// picture and its INI coordinates cannot drift apart.
//
// Thread safety: BuildSkinLayout returns fresh values; no shared state.
#pragma once

#include <string>
#include <vector>

namespace velkarn::skingen {

struct SkinRect {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
    int Right() const { return x + w; }
    int Bottom() const { return y + h; }
    bool Intersects(const SkinRect& o) const {
        return x < o.Right() && o.x < Right() && y < o.Bottom() && o.y < Bottom();
    }
};

// How a control is drawn into the state pictures. Controls that the program
// draws itself (labels, pictures, lists, fields) get nothing in the pictures.
enum class Look {
    Key,         // a key cap of the drawn keyboard, with its legend
    TextButton,  // a button whose caption the program draws
    TitleButton, // help / minimize / menu / close glyph buttons
    Tab,         // tab buttons of the assignment dialog
    IconButton,  // small round buttons with a glyph (links, flip arrows)
    Lock,        // lock indicator (always disabled)
    Placed,      // placed only: the program supplies its look
};

struct SkinControl {
    std::string key; // key in section BUTTONINFO
    SkinRect rect;
    Look look = Look::Placed;
    std::string legend; // key legend or glyph name; "shifted\nplain" for two-line legends
    // Controls of different non-empty layers are never shown together, so
    // they may share a place; controls of the same layer may not overlap.
    std::string layer;
};

struct SkinWindow {
    std::string name;       // "Main", "Composite", "Profile", "Update"
    std::string iniFile;    // file name inside Skins/
    std::string background; // file name inside Skins/
    std::string mask;
    int width = 0;
    int height = 0;
    int cornerRadius = 0;
    std::string title; // drawn into the background
    std::vector<SkinControl> controls;
    // Extra INI sections beyond SCREEN and BUTTONINFO (section, key, value).
    struct Extra {
        std::string section;
        std::string key;
        std::string value;
    };
    std::vector<Extra> extras;
    // State pictures of this window: "<set>_<state>.jpg" with state normal,
    // over, down or disable.
    std::vector<std::string> statePictures;
    const SkinControl* Find(const std::string& key) const;
};

std::vector<SkinWindow> BuildSkinLayout();

// The address the main skin names in SCREEN/Link.
inline constexpr const char* kDefaultLink = "https://velkarn.example/support";

} // namespace velkarn::skingen
