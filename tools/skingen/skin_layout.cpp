#include "skin_layout.h"

#include "model/key_button_table.h"

#include <array>
#include <map>

namespace velkarn::skingen {
namespace {

// Key pitch of the drawn keyboard and the gap between caps.
constexpr double kUnit = 44.0;
constexpr int kGap = 4;
constexpr int kDeckX = 100; // left edge of the main block (G keys sit left of it)
constexpr int kDeckY = 152; // top of the function row

struct KeySpot {
    int controlId;
    double x; // in units from the deck's left edge
    double row;
    double width = 1.0;
    double height = 1.0;
};

// The physical arrangement, row by row, following the keyboard's own layout
// matrix; Right Win sits between Right Alt and Fn as on the board.
std::vector<KeySpot> KeySpots() {
    std::vector<KeySpot> spots;
    auto row = [&spots](double y, double x, std::initializer_list<std::pair<int, double>> keys) {
        for (const auto& [id, w] : keys) {
            if (id != 0) {
                spots.push_back({id, x, y, w});
            }
            x += w;
        }
    };
    // Function row: Esc, gap, F1..F4, gap, F5..F8, gap, F9..F12, then the nav trio.
    row(0, 0, {{1022, 1}, {0, 1},    {1010, 1}, {1011, 1}, {1012, 1}, {1013, 1}, {0, 0.5},
               {1014, 1}, {1015, 1}, {1023, 1}, {1024, 1}, {0, 0.5},  {1025, 1}, {1026, 1},
               {1027, 1}, {1028, 1}, {0, 0.5},  {1091, 1}, {1092, 1}, {1093, 1}});
    const double r1 = 1.25;
    row(r1, 0, {{1029, 1}, {1030, 1}, {1031, 1}, {1032, 1}, {1033, 1}, {1034, 1}, {1035, 1}, {1036, 1},
                {1037, 1}, {1038, 1}, {1039, 1}, {1040, 1}, {1041, 1}, {1043, 2}, {0, 0.5},  {1094, 1},
                {1095, 1}, {1096, 1}, {0, 0.5},  {1104, 1}, {1105, 1}, {1106, 1}, {1107, 1}});
    row(r1 + 1, 0,
        {{1056, 1.5}, {1044, 1}, {1045, 1}, {1046, 1}, {1047, 1}, {1048, 1},   {1049, 1}, {1050, 1},
         {1051, 1},   {1052, 1}, {1053, 1}, {1054, 1}, {1055, 1}, {1042, 1.5}, {0, 0.5},  {1097, 1},
         {1098, 1},   {1099, 1}, {0, 0.5},  {1108, 1}, {1109, 1}, {1110, 1}});
    row(r1 + 2, 0,
        {{1069, 1.75},
         {1058, 1},
         {1059, 1},
         {1060, 1},
         {1061, 1},
         {1062, 1},
         {1063, 1},
         {1064, 1},
         {1065, 1},
         {1066, 1},
         {1067, 1},
         {1068, 1},
         {1070, 2.25},
         {0, 4},
         {1112, 1},
         {1113, 1},
         {1114, 1}});
    row(r1 + 3, 0,
        {{1082, 2.25},
         {1071, 1},
         {1072, 1},
         {1073, 1},
         {1074, 1},
         {1075, 1},
         {1076, 1},
         {1077, 1},
         {1078, 1},
         {1079, 1},
         {1080, 1},
         {1081, 2.75},
         {0, 1.5},
         {1103, 1},
         {0, 1.5},
         {1115, 1},
         {1116, 1},
         {1117, 1}});
    row(r1 + 4, 0,
        {{1083, 1.25},
         {1084, 1.25},
         {1085, 1.25},
         {1090, 6},
         {1086, 1},
         {1087, 1},
         {1174, 1},
         {1088, 1},
         {1089, 1.25},
         {0, 0.5},
         {1100, 1},
         {1101, 1},
         {1102, 1},
         {0, 0.5},
         {1120, 2},
         {1119, 1}});
    // The two tall keys of the numeric pad.
    spots.push_back({1111, 22, r1 + 1, 1, 2});
    spots.push_back({1118, 22, r1 + 3, 1, 2});
    return spots;
}

SkinRect UnitRect(const KeySpot& s) {
    const int x0 = kDeckX + static_cast<int>(s.x * kUnit + 0.5);
    const int y0 = kDeckY + static_cast<int>(s.row * kUnit + 0.5);
    const int x1 = kDeckX + static_cast<int>((s.x + s.width) * kUnit + 0.5) - kGap;
    const int y1 = kDeckY + static_cast<int>((s.row + s.height) * kUnit + 0.5) - kGap;
    return {x0, y0, x1 - x0, y1 - y0};
}

// Legends: short forms that fit a cap; two-line legends show the shifted sign above.
std::string Legend(const KeyButton& key) {
    static const std::map<std::string, std::string> kShort = {{"Print Screen", "PrtSc"},
                                                              {"Scroll Lock", "ScrLk"},
                                                              {"Page Up", "PgUp"},
                                                              {"Page Down", "PgDn"},
                                                              {"Insert", "Ins"},
                                                              {"Delete", "Del"},
                                                              {"Caps Lock", "Caps"},
                                                              {"Application", "Menu"},
                                                              {"Left Ctrl", "Ctrl"},
                                                              {"Right Ctrl", "Ctrl"},
                                                              {"Left Shift", "Shift"},
                                                              {"Right Shift", "Shift"},
                                                              {"Left Alt", "Alt"},
                                                              {"Right Alt", "Alt"},
                                                              {"Left Win", "Win"},
                                                              {"Right Win", "Win"},
                                                              {"Up", "\u2191"},
                                                              {"Down", "\u2193"},
                                                              {"Left", "\u2190"},
                                                              {"Right", "\u2192"},
                                                              {"Num Lock", "Num"},
                                                              {"Num Enter", "Enter"},
                                                              {"Space", ""},
                                                              {"Backspace", "\u232B Back"},
                                                              {"Enter", "Enter \u21B5"},
                                                              {"Tab", "Tab \u21B9"},
                                                              {"1", "!\n1"},
                                                              {"2", "@\n2"},
                                                              {"3", "#\n3"},
                                                              {"4", "$\n4"},
                                                              {"5", "%\n5"},
                                                              {"6", "^\n6"},
                                                              {"7", "&\n7"},
                                                              {"8", "*\n8"},
                                                              {"9", "(\n9"},
                                                              {"0", ")\n0"},
                                                              {"-", "_\n-"},
                                                              {"=", "+\n="},
                                                              {"[", "{\n["},
                                                              {"]", "}\n]"},
                                                              {"\\", "|\n\\"},
                                                              {";", ":\n;"},
                                                              {"'", "\"\n'"},
                                                              {"`", "~\n`"},
                                                              {",", "<\n,"},
                                                              {".", ">\n."},
                                                              {"/", "?\n/"}};
    const std::string caption = key.caption;
    if (auto it = kShort.find(caption); it != kShort.end()) {
        return it->second;
    }
    if (caption.rfind("Num ", 0) == 0) {
        return caption.substr(4);
    }
    return caption;
}

void Add(SkinWindow& w, std::string key, SkinRect r, Look look, std::string legend = {},
         std::string layer = {}) {
    w.controls.push_back({std::move(key), r, look, std::move(legend), std::move(layer)});
}

SkinWindow MainWindow() {
    SkinWindow w;
    w.name = "Main";
    w.iniFile = "Main.ini";
    w.background = "main_bg.jpg";
    w.mask = "main_mask.bmp";
    w.width = 1140;
    w.height = 664;
    w.cornerRadius = 16;
    w.title = "VELKARN";
    w.statePictures = {"main_normal.jpg", "main_over.jpg", "main_down.jpg", "main_disable.jpg"};
    w.extras.push_back({"SCREEN", "Link", kDefaultLink});

    // Title bar buttons, right to left.
    const std::array<std::pair<const char*, const char*>, 4> title = {{{"CONTROL_HELP", "help"},
                                                                       {"CONTROL_MINIMIZE", "minimize"},
                                                                       {"CONTROL_MENU", "menu"},
                                                                       {"CONTROL_CLOSE", "close"}}};
    for (size_t i = 0; i < title.size(); ++i) {
        Add(w, title[i].first, {w.width - 20 - static_cast<int>(4 - i) * 36 + 4, 14, 30, 30},
            Look::TitleButton, title[i].second);
    }

    // Profile bar.
    const int barY = 66;
    Add(w, "FUNC_PROFILE1", {24, barY, 112, 34}, Look::TextButton);
    Add(w, "FUNC_PROFILE2", {142, barY, 112, 34}, Look::TextButton);
    Add(w, "FUNC_PROFILE3", {260, barY, 112, 34}, Look::TextButton);
    Add(w, "FUNC_PROFILES", {392, barY, 140, 34}, Look::TextButton);
    Add(w, "FUNC_MACRO", {538, barY, 140, 34}, Look::TextButton);
    Add(w, "FUNC_SWITCH", {w.width - 24 - 300, barY, 150, 34}, Look::TextButton);
    Add(w, "FUNC_DEFAULT", {w.width - 24 - 144, barY, 144, 34}, Look::TextButton);

    // The strip above the keys: flip controls and D keys.
    const int stripY = 118;
    Add(w, "LEFT_ARROW", {24, stripY + 4, 20, 20}, Look::Placed);
    Add(w, "RIGHT_ARROW", {48, stripY + 4, 20, 20}, Look::Placed);
    Add(w, "FLIP_1", {kDeckX, stripY, 26, 26}, Look::IconButton, "left");
    Add(w, "FLIP_0", {kDeckX + 30, stripY, 84, 26}, Look::IconButton, "F \u21C4 D");
    Add(w, "FLIP_2", {kDeckX + 118, stripY, 26, 26}, Look::IconButton, "right");
    for (int n = 0; n < kDKeyCount; ++n) {
        Add(w, DKeySkinKey(n), {kDeckX + 176 + n * 44, stripY, 40, 26}, Look::Key,
            "D" + std::to_string(n + 1));
    }
    const std::array<std::pair<const char*, const char*>, 4> locks = {
        {{"LOCK_NUM", "NUM"}, {"LOCK_CAPS", "CAPS"}, {"LOCK_SCROLL", "SCRL"}, {"LOCK_AB", "A/B"}}};
    // The lock lights sit above the numeric pad, where the board has them.
    for (size_t i = 0; i < locks.size(); ++i) {
        Add(w, locks[i].first,
            {kDeckX + static_cast<int>(19 * kUnit) + static_cast<int>(i) * 44, kDeckY + 7, 40, 26},
            Look::Lock, locks[i].second);
    }

    // The keys.
    for (const KeySpot& spot : KeySpots()) {
        const SkinRect r = UnitRect(spot);
        if (spot.controlId == kFnControlId) {
            Add(w, kFnSkinKey, r, Look::Key, "Fn");
        } else if (const KeyButton* key = FindKeyButton(spot.controlId)) {
            Add(w, KeySkinKey(key->entry), r, Look::Key, Legend(*key));
        }
    }
    // G keys down the left, as tall as the key block.
    const int gTop = kDeckY;
    const int gBottom = kDeckY + static_cast<int>(6.25 * kUnit) - kGap;
    const int gPitch = (gBottom - gTop + kGap) / kGKeyCount;
    for (int n = 0; n < kGKeyCount; ++n) {
        Add(w, GKeySkinKey(n), {28, gTop + n * gPitch, 56, gPitch - kGap}, Look::Key,
            "G" + std::to_string(n + 1));
    }

    // Lighting panel.
    const int p = 462;
    Add(w, "CONTROL_DengStatic", {36, p + 4, 90, 22}, Look::Placed);
    Add(w, "CONTROL_DengStaPic", {132, p, 64, 28}, Look::Placed);
    Add(w, "CONTROL_XGcombox", {36, p + 40, 240, 26}, Look::Placed);
    Add(w, "CONTROL_UsbStatic", {36, p + 84, 80, 22}, Look::Placed);
    for (int i = 0; i < 4; ++i) {
        Add(w, "FUNC_REPORT" + std::to_string(i + 1), {120 + i * 40, p + 80, 36, 28}, Look::TextButton);
    }
    Add(w, "CONTROL_JDTStatic", {36, p + 122, 240, 10}, Look::Placed);

    const int c2 = 312;
    Add(w, "CONTROL_LightStatic", {c2, p + 4, 84, 22}, Look::Placed);
    Add(w, "CONTROL_LightSlider", {c2 + 90, p + 5, 160, 20}, Look::Placed);
    Add(w, "CONTROL_SpeedStatic", {c2, p + 42, 84, 22}, Look::Placed);
    Add(w, "CONTROL_SpeedSlider", {c2 + 90, p + 43, 160, 20}, Look::Placed);
    for (const char* suffix : {"", "2", "3"}) {
        const std::string layer = std::string("direction") + suffix;
        Add(w, std::string("CONTROL_BLFXStatic") + suffix, {c2, p + 84, 84, 22}, Look::Placed, {}, layer);
        Add(w, std::string("CONTROL_BLFXLStaPic") + suffix, {c2 + 90, p + 80, 44, 28}, Look::Placed, {},
            layer);
        Add(w, std::string("CONTROL_BLFXRStaPic") + suffix, {c2 + 140, p + 80, 44, 28}, Look::Placed, {},
            layer);
    }

    // Colour groups share one place: the mode decides which one is shown.
    const int c3 = 600;
    auto group = [&](const std::string& prefix, const std::string& layer, bool withMulti) {
        Add(w, "CONTROL_" + prefix + "ysStatic", {c3, p + 4, 80, 22}, Look::Placed, {}, layer);
        Add(w, "CONTROL_" + prefix + "ysButton", {c3 + 86, p + 2, 84, 26}, Look::Placed, {}, layer);
        if (withMulti) {
            Add(w, "CONTROL_" + prefix + "sjsStatic", {c3, p + 42, 80, 22}, Look::Placed, {}, layer);
            Add(w, "CONTROL_" + prefix + "sjsStaPic", {c3 + 86, p + 40, 40, 24}, Look::Placed, {}, layer);
        }
    };
    group("HX", "colourB", true);
    group("CD", "colourA", true);
    group("JT", "colourC", false);
    group("TS", "colour2", true);
    Add(w, "CONTROL_FYYSStatic", {c3, p + 4, 80, 22}, Look::Placed, {}, "colour3");
    Add(w, "CONTROL_FYYSButton", {c3 + 86, p + 2, 84, 26}, Look::Placed, {}, "colour3");
    Add(w, "CONTROL_FYSJSStatic", {c3, p + 42, 80, 22}, Look::Placed, {}, "colour3");
    Add(w, "CONTROL_FYSJSStaPic", {c3 + 86, p + 40, 40, 24}, Look::Placed, {}, "colour3");
    Add(w, "CONTROL_FYCFStatic", {c3, p + 84, 80, 22}, Look::Placed, {}, "trigger");
    Add(w, "CONTROL_FYdjcfStaPic", {c3 + 86, p + 80, 40, 28}, Look::Placed, {}, "trigger");
    Add(w, "CONTROL_FYdjcfStatic", {c3 + 130, p + 84, 60, 22}, Look::Placed, {}, "trigger");
    Add(w, "CONTROL_FYggcfStaPic", {c3 + 194, p + 80, 40, 28}, Look::Placed, {}, "trigger");
    Add(w, "CONTROL_FYggcfStatc", {c3 + 238, p + 84, 50, 22}, Look::Placed, {}, "trigger");
    const std::array<const char*, 4> options = {"CONTROL_HONGPIC", "CONTROL_HUANGPIC", "CONTROL_LVPIC",
                                                "CONTROL_LANPIC"};
    for (size_t i = 0; i < options.size(); ++i) {
        Add(w, options[i], {c3 + 86 + static_cast<int>(i) * 36, p + 120, 28, 28}, Look::Placed, {},
            "options");
    }
    Add(w, "CONTROL_USERysStatic", {c3, p + 4, 80, 22}, Look::Placed, {}, "user");
    Add(w, "CONTROL_USERysButton", {c3 + 86, p + 2, 84, 26}, Look::Placed, {}, "user");
    Add(w, "CONTROL_USERjsStatic", {c3, p + 42, 80, 22}, Look::Placed, {}, "user");
    Add(w, "CONTROL_USERjsButton", {c3 + 86, p + 40, 84, 26}, Look::Placed, {}, "user");
    Add(w, "CONTROL_USERgjStatic", {c3, p + 84, 80, 22}, Look::Placed, {}, "user");
    Add(w, "CONTROL_USERgjStaPic1", {c3 + 86, p + 80, 40, 28}, Look::Placed, {}, "user");
    Add(w, "CONTROL_USERgjStaPic2", {c3 + 132, p + 80, 40, 28}, Look::Placed, {}, "user");
    Add(w, "CONTROL_umCombo", {c3 + 180, p + 2, 116, 26}, Look::Placed, {}, "user");

    const int c4 = 916;
    Add(w, "CONTROL_RGBStatic", {c4, p + 4, 40, 22}, Look::Placed);
    Add(w, "COLOR_R", {c4 + 42, p + 2, 52, 24}, Look::Placed);
    Add(w, "COLOR_G", {c4 + 98, p + 2, 52, 24}, Look::Placed);
    Add(w, "COLOR_B", {c4 + 154, p + 2, 52, 24}, Look::Placed);
    for (int i = 0; i < 8; ++i) {
        Add(w, "CONTROL_Color" + std::to_string(i + 1),
            {c4 + (i % 4) * 52 + 2, p + 42 + (i / 4) * 32, 44, 24}, Look::Placed);
    }

    // Bottom bar.
    const int b = w.height - 50;
    Add(w, "CONTROL_Network", {24, b + 4, 28, 28}, Look::IconButton, "globe");
    Add(w, "CONTROL_Facebook", {58, b + 4, 28, 28}, Look::IconButton, "chat");
    Add(w, "CONTROL_twitter", {92, b + 4, 28, 28}, Look::IconButton, "share");
    Add(w, "ORLEQA_LINK", {128, b + 4, 28, 28}, Look::IconButton, "link");
    Add(w, "ORLEQA_VER", {168, b + 9, 160, 20}, Look::Placed);
    Add(w, "CONTROL2_APPLY", {w.width - 24 - 3 * 120 - 16, b, 120, 36}, Look::TextButton);
    Add(w, "CONTROL_OK", {w.width - 24 - 2 * 120 - 8, b, 120, 36}, Look::TextButton);
    Add(w, "CONTROL_CANCEL", {w.width - 24 - 120, b, 120, 36}, Look::TextButton);

    // The arrows cut their looks from Arrow.jpg.
    w.extras.push_back({"BUTTONINFO2", "LEFT_ARROW", "1,1,20,20"});
    w.extras.push_back({"BUTTONINFO2", "RIGHT_ARROW", "21,1,20,20"});
    return w;
}

SkinWindow CompositeWindow() {
    SkinWindow w;
    w.name = "Composite";
    w.iniFile = "Composite.ini";
    w.background = "composite_bg.jpg";
    w.mask = "composite_mask.bmp";
    w.width = 560;
    w.height = 430;
    w.cornerRadius = 14;
    w.statePictures = {"key_normal.jpg",   "key_over.jpg",    "key_down.jpg",        "macro_normal.jpg",
                       "macro_over.jpg",   "macro_down.jpg",  "macro_disable.jpg",   "macro2_normal.jpg",
                       "macro2_over.jpg",  "macro2_down.jpg", "macro2_disable.jpg",  "media_normal.jpg",
                       "media_over.jpg",   "media_down.jpg",  "function_normal.jpg", "function_over.jpg",
                       "function_down.jpg"};
    Add(w, "CONTROL_TITLE", {16, 12, 240, 30}, Look::TextButton);
    Add(w, "CONTROL_MASK", {w.width - 50, 12, 30, 30}, Look::TitleButton, "mask");
    const std::array<const char*, 4> tabs = {"CONTROL_KEY", "CONTROL_MACRO", "CONTROL_MEDIA",
                                             "CONTROL_FUNCTION"};
    for (size_t i = 0; i < tabs.size(); ++i) {
        Add(w, tabs[i], {16 + static_cast<int>(i) * 132, 56, 128, 32}, Look::Tab);
    }
    // Single-key tab.
    Add(w, "TISHI_SINGLE_STATIC", {28, 104, 504, 22}, Look::Placed, {}, "key");
    Add(w, "FUNC_KEY_RADIO_KB", {28, 138, 20, 20}, Look::Placed, {}, "key");
    Add(w, "FUNC_KEY_RADIO_KB_STATIC", {54, 138, 200, 20}, Look::Placed, {}, "key");
    Add(w, "FUNC_KEY_INPUT", {54, 166, 220, 26}, Look::Placed, {}, "key");
    // Buttons of different tabs stay apart: each one's look is cut from the same pictures.
    Add(w, "CONTROL_CLEAR", {282, 164, 72, 30}, Look::TextButton, {}, "key");
    Add(w, "CONTROL_OSK", {360, 164, 72, 30}, Look::TextButton, {}, "key");
    Add(w, "FUNC_KEY_RADIO_MOU", {28, 212, 20, 20}, Look::Placed, {}, "key");
    Add(w, "FUNC_KEY_RADIO_MOU_STATIC", {54, 212, 200, 20}, Look::Placed, {}, "key");
    Add(w, "FUNC_KEY_COMBO_MOU", {54, 240, 290, 26}, Look::Placed, {}, "key");
    Add(w, "KEY_SETTING", {28, 290, 504, 22}, Look::Placed, {}, "key");
    // Macro tab.
    Add(w, "MARCO_NAME_SETTING", {28, 106, 90, 22}, Look::Placed, {}, "macro");
    Add(w, "FUNC_MACRO_LIST", {122, 104, 250, 26}, Look::Placed, {}, "macro");
    Add(w, "FUNC_MACRO_ADD", {380, 102, 74, 30}, Look::TextButton, {}, "macro");
    Add(w, "FUNC_MACRO_DELETE", {460, 102, 74, 30}, Look::TextButton, {}, "macro");
    Add(w, "FUNC_MACRO_LIST2", {28, 140, 400, 182}, Look::Placed, {}, "macro");
    Add(w, "FUNC_MACRO_RECORD", {436, 140, 98, 30}, Look::TextButton, {}, "macro");
    Add(w, "FUNC_MACRO_DELETE2", {436, 176, 98, 30}, Look::TextButton, {}, "macro");
    Add(w, "FUNC_MACRO_CLEAR", {436, 212, 98, 30}, Look::TextButton, {}, "macro");
    Add(w, "FUNC_MACRO_UP_TOP", {436, 252, 46, 30}, Look::IconButton, "top", "macro");
    Add(w, "FUNC_MACRO_UP", {488, 252, 46, 30}, Look::IconButton, "up", "macro");
    Add(w, "FUNC_MACRO_DOWN", {436, 288, 46, 30}, Look::IconButton, "down", "macro");
    Add(w, "FUNC_MACRO_DOWN_BOTTOM", {488, 288, 46, 30}, Look::IconButton, "bottom", "macro");
    Add(w, "FUNC_MACRO_RECORD_DELAY", {28, 334, 20, 20}, Look::Placed, {}, "macro");
    Add(w, "FUNC_MACRO_RECORD_DELAY2", {52, 334, 190, 20}, Look::Placed, {}, "macro");
    Add(w, "FUNC_MACRO_CYCLES_PROMPT", {260, 334, 110, 20}, Look::Placed, {}, "macro");
    Add(w, "FUNC_MACRO_CYCLES", {374, 332, 54, 24}, Look::Placed, {}, "macro");
    // Multimedia and function tabs.
    Add(w, "MEDIA_SETTING_TISHI", {28, 104, 504, 22}, Look::Placed, {}, "media");
    Add(w, "FUNC_MEDIA_SELECT", {28, 138, 320, 26}, Look::Placed, {}, "media");
    Add(w, "FUNCTION_KEY_SETTING_TISHI", {28, 104, 504, 22}, Look::Placed, {}, "function");
    Add(w, "FUNC_FUNCTION_SELECT", {28, 138, 320, 26}, Look::Placed, {}, "function");

    Add(w, "CONTROL_OK", {w.width - 24 - 2 * 112 - 8, w.height - 52, 112, 34}, Look::TextButton);
    Add(w, "CONTROL_CANCEL", {w.width - 24 - 112, w.height - 52, 112, 34}, Look::TextButton);
    return w;
}

SkinWindow ProfileWindow() {
    SkinWindow w;
    w.name = "Profile";
    w.iniFile = "Profile.ini";
    w.background = "profile_bg.jpg";
    w.mask = "profile_mask.bmp";
    w.width = 460;
    w.height = 360;
    w.cornerRadius = 14;
    // The profile manager shows its "down" picture for disabled buttons too.
    w.statePictures = {"Profile_normal.jpg", "Profile_over.jpg", "Profile_down.jpg"};
    Add(w, "PROGRAM_LIST", {24, 56, 412, 200}, Look::Placed);
    const std::array<const char*, 4> row = {"FUNC_ADD", "FUNC_LOAD", "FUNC_DELETE", "CONTROL2_APPLY"};
    for (size_t i = 0; i < row.size(); ++i) {
        Add(w, row[i], {24 + static_cast<int>(i) * 104, 266, 98, 32}, Look::TextButton);
    }
    Add(w, "CONTROL_OK", {w.width - 24 - 2 * 104 + 6, 310, 98, 32}, Look::TextButton);
    Add(w, "CONTROL_CANCEL", {w.width - 24 - 98, 310, 98, 32}, Look::TextButton);
    return w;
}

SkinWindow UpdateWindow() {
    SkinWindow w;
    w.name = "Update";
    w.iniFile = "UpdateDlg.ini";
    w.background = "update_bg.jpg";
    w.mask = "update_mask.bmp";
    w.width = 460;
    w.height = 200;
    w.cornerRadius = 14;
    w.statePictures = {"update_normal.jpg", "update_over.jpg"};
    Add(w, "CONTROL_UPStatic", {24, 56, 412, 22}, Look::Placed);
    Add(w, "CONTROL_UPCombox", {24, 86, 412, 26}, Look::Placed);
    const std::array<const char*, 4> row = {"CONTROL_OPENButton", "CONTROL_BACKUPButton", "CONTROL_UPButton",
                                            "CONTROL_CUPButton"};
    for (size_t i = 0; i < row.size(); ++i) {
        Add(w, row[i], {24 + static_cast<int>(i) * 104, 138, 98, 32}, Look::TextButton);
    }
    return w;
}

} // namespace

const SkinControl* SkinWindow::Find(const std::string& key) const {
    for (const SkinControl& c : controls) {
        if (c.key == key) {
            return &c;
        }
    }
    return nullptr;
}

std::vector<SkinWindow> BuildSkinLayout() {
    return {MainWindow(), CompositeWindow(), ProfileWindow(), UpdateWindow()};
}

} // namespace velkarn::skingen
