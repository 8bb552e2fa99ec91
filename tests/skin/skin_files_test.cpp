// The generated skin in bin/Skins: every file the program opens exists and
// decodes, every key the windows read is present, and the pictures agree
// with the layout they were drawn from.
#include "model/key_button_table.h"
#include "platform/ini_file.h"
#include "qt_app.h"
#include "skin_layout.h"

#include <QImage>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velkarn {
namespace {

using skingen::BuildSkinLayout;
using skingen::SkinControl;
using skingen::SkinWindow;

const std::string kSkins = std::string(VELKARN_BIN_DIR) + "/Skins/";

bool HasKey(const std::string& ini, const std::string& section, const std::string& key) {
    return !GetPrivateProfileString(section, key, "", 260, kSkins + ini).text.empty();
}

QImage Load(const std::string& name) {
    return QImage(QString::fromStdString(kSkins + name));
}

TEST(SkinFiles, EveryPictureExistsAndDecodes) {
    test::App();
    std::vector<std::string> files = {"Arrow.jpg",    "main_color0.jpg", "main_color1.jpg", "main_assigned.jpg", "dengup.bmp",
                                      "dengdown.bmp", "sjsup.bmp",       "sjsdown.bmp",     "icon128.png",
                                      "icon141.png",  "icon142.png",     "user1up.bmp",     "user1down.bmp",
                                      "user2up.bmp",  "user2down.bmp"};
    for (const char* pair : {"left", "right", "up", "down"}) {
        files.push_back(std::string(pair) + "up.bmp");
        files.push_back(std::string(pair) + "down.bmp");
    }
    for (const char* name : {"kuosan", "kuosandown", "julong", "julongdown", "hong", "hongok", "huang",
                             "huangok", "lv", "lvok", "lan", "lanok"}) {
        files.push_back(std::string(name) + ".bmp");
    }
    for (int i = 1; i <= 10; ++i) {
        files.push_back("jdt" + std::to_string(i) + ".bmp");
    }
    for (int i = 0; i <= 25; ++i) {
        files.push_back(std::to_string(i) + ".bmp");
    }
    for (int i = 1; i <= 8; ++i) {
        files.push_back("Color" + std::to_string(i) + ".bmp");
    }
    // The state pictures each window opens, by the names the windows use.
    for (const char* set : {"main", "macro", "macro2"}) {
        for (const char* state : {"normal", "over", "down", "disable"}) {
            files.push_back(std::string(set) + "_" + state + ".jpg");
        }
    }
    for (const char* set : {"key", "media", "function", "Profile"}) {
        for (const char* state : {"normal", "over", "down"}) {
            files.push_back(std::string(set) + "_" + state + ".jpg");
        }
    }
    files.push_back("update_normal.jpg");
    files.push_back("update_over.jpg");
    for (const std::string& file : files) {
        EXPECT_FALSE(Load(file).isNull()) << file;
    }
    // Backgrounds and masks named by the INI files.
    for (const char* ini : {"Main.ini", "Composite.ini", "Profile.ini", "UpdateDlg.ini"}) {
        const std::string main = GetPrivateProfileString("SCREEN", "Main", "", 260, kSkins + ini).text;
        const std::string mask = GetPrivateProfileString("SCREEN", "Mask", "", 260, kSkins + ini).text;
        ASSERT_FALSE(main.empty()) << ini;
        const QImage background = Load(main);
        const QImage maskImage = Load(mask);
        ASSERT_FALSE(background.isNull()) << ini;
        ASSERT_FALSE(maskImage.isNull()) << ini;
        EXPECT_EQ(background.size(), maskImage.size()) << ini;
    }
    // Slider pictures are what size the slider controls.
    EXPECT_EQ(Load("0.bmp").size(), QSize(160, 20));
}

TEST(SkinFiles, MainIniHasEveryKeyTheMainWindowReads) {
    std::vector<std::string> keys = {"CONTROL_OK",
                                     "CONTROL_CANCEL",
                                     "CONTROL2_APPLY",
                                     "CONTROL_CLOSE",
                                     "CONTROL_HELP",
                                     "CONTROL_MENU",
                                     "CONTROL_MINIMIZE",
                                     "ORLEQA_LINK",
                                     "ORLEQA_VER",
                                     "FLIP_0",
                                     "FLIP_1",
                                     "FLIP_2",
                                     "FUNC_DEFAULT",
                                     "FUNC_MACRO",
                                     "FUNC_PROFILE1",
                                     "FUNC_PROFILE2",
                                     "FUNC_PROFILE3",
                                     "FUNC_PROFILES",
                                     "FUNC_REPORT1",
                                     "FUNC_REPORT2",
                                     "FUNC_REPORT3",
                                     "FUNC_REPORT4",
                                     "FUNC_SWITCH",
                                     "KEY_FN",
                                     "LOCK_AB",
                                     "LOCK_CAPS",
                                     "LOCK_NUM",
                                     "LOCK_SCROLL",
                                     "LEFT_ARROW",
                                     "RIGHT_ARROW",
                                     "COLOR_R",
                                     "COLOR_G",
                                     "COLOR_B",
                                     "CONTROL_BLFXLStaPic",
                                     "CONTROL_BLFXRStaPic",
                                     "CONTROL_BLFXStatic",
                                     "CONTROL_CDsjsStaPic",
                                     "CONTROL_CDsjsStatic",
                                     "CONTROL_CDysButton",
                                     "CONTROL_CDysStatic",
                                     "CONTROL_DengStaPic",
                                     "CONTROL_DengStatic",
                                     "CONTROL_FYCFStatic",
                                     "CONTROL_FYSJSStaPic",
                                     "CONTROL_FYSJSStatic",
                                     "CONTROL_FYYSButton",
                                     "CONTROL_FYYSStatic",
                                     "CONTROL_FYdjcfStaPic",
                                     "CONTROL_FYdjcfStatic",
                                     "CONTROL_FYggcfStaPic",
                                     "CONTROL_FYggcfStatc",
                                     "CONTROL_Facebook",
                                     "CONTROL_HONGPIC",
                                     "CONTROL_HUANGPIC",
                                     "CONTROL_HXsjsStaPic",
                                     "CONTROL_HXsjsStatic",
                                     "CONTROL_HXysButton",
                                     "CONTROL_HXysStatic",
                                     "CONTROL_JDTStatic",
                                     "CONTROL_JTysButton",
                                     "CONTROL_JTysStatic",
                                     "CONTROL_LANPIC",
                                     "CONTROL_LVPIC",
                                     "CONTROL_LightSlider",
                                     "CONTROL_LightStatic",
                                     "CONTROL_Network",
                                     "CONTROL_RGBStatic",
                                     "CONTROL_SpeedSlider",
                                     "CONTROL_SpeedStatic",
                                     "CONTROL_TSsjsStaPic",
                                     "CONTROL_TSsjsStatic",
                                     "CONTROL_TSysButton",
                                     "CONTROL_TSysStatic",
                                     "CONTROL_USERgjStaPic1",
                                     "CONTROL_USERgjStaPic2",
                                     "CONTROL_USERgjStatic",
                                     "CONTROL_USERjsButton",
                                     "CONTROL_USERjsStatic",
                                     "CONTROL_USERysButton",
                                     "CONTROL_USERysStatic",
                                     "CONTROL_UsbStatic",
                                     "CONTROL_XGcombox",
                                     "CONTROL_twitter",
                                     "CONTROL_umCombo",
                                     "CONTROL_BLFXStatic2",
                                     "CONTROL_BLFXStatic3",
                                     "CONTROL_BLFXLStaPic2",
                                     "CONTROL_BLFXLStaPic3",
                                     "CONTROL_BLFXRStaPic2",
                                     "CONTROL_BLFXRStaPic3"};
    for (int i = 1; i <= 8; ++i) {
        keys.push_back("CONTROL_Color" + std::to_string(i));
    }
    for (int n = 0; n < kGKeyCount; ++n) {
        keys.push_back(GKeySkinKey(n));
    }
    for (int n = 0; n < kDKeyCount; ++n) {
        keys.push_back(DKeySkinKey(n));
    }
    for (const KeyButton& key : KeyButtonTable()) {
        keys.push_back(KeySkinKey(key.entry));
    }
    for (const std::string& key : keys) {
        EXPECT_TRUE(HasKey("Main.ini", "BUTTONINFO", key)) << key;
    }
    for (const char* key : {"LEFT_ARROW", "RIGHT_ARROW"}) {
        EXPECT_TRUE(HasKey("Main.ini", "BUTTONINFO2", key)) << key;
    }
    for (const char* key : {"Main", "Mask", "Link"}) {
        EXPECT_TRUE(HasKey("Main.ini", "SCREEN", key)) << key;
    }
}

TEST(SkinFiles, DialogInisHaveEveryKeyTheirDialogsRead) {
    const std::vector<std::pair<std::string, std::vector<std::string>>> dialogs = {
        {"Profile.ini",
         {"CONTROL_OK", "CONTROL_CANCEL", "FUNC_ADD", "FUNC_LOAD", "FUNC_DELETE", "CONTROL2_APPLY",
          "PROGRAM_LIST"}},
        {"UpdateDlg.ini",
         {"CONTROL_OPENButton", "CONTROL_BACKUPButton", "CONTROL_UPButton", "CONTROL_CUPButton",
          "CONTROL_UPStatic", "CONTROL_UPCombox"}},
        {"Composite.ini",
         {"CONTROL_OK",
          "CONTROL_CANCEL",
          "CONTROL_CLEAR",
          "CONTROL_FUNCTION",
          "CONTROL_KEY",
          "CONTROL_MACRO",
          "CONTROL_MASK",
          "CONTROL_MEDIA",
          "CONTROL_OSK",
          "CONTROL_TITLE",
          "FUNC_MACRO_ADD",
          "FUNC_MACRO_CLEAR",
          "FUNC_MACRO_DELETE",
          "FUNC_MACRO_DELETE2",
          "FUNC_MACRO_DOWN",
          "FUNC_MACRO_DOWN_BOTTOM",
          "FUNC_MACRO_RECORD",
          "FUNC_MACRO_UP",
          "FUNC_MACRO_UP_TOP",
          "FUNCTION_KEY_SETTING_TISHI",
          "FUNC_FUNCTION_SELECT",
          "FUNC_KEY_COMBO_MOU",
          "FUNC_KEY_INPUT",
          "FUNC_KEY_RADIO_KB",
          "FUNC_KEY_RADIO_KB_STATIC",
          "FUNC_KEY_RADIO_MOU",
          "FUNC_KEY_RADIO_MOU_STATIC",
          "FUNC_MACRO_CYCLES",
          "FUNC_MACRO_CYCLES_PROMPT",
          "FUNC_MACRO_LIST",
          "FUNC_MACRO_LIST2",
          "FUNC_MACRO_RECORD_DELAY",
          "FUNC_MACRO_RECORD_DELAY2",
          "FUNC_MEDIA_SELECT",
          "KEY_SETTING",
          "MARCO_NAME_SETTING",
          "MEDIA_SETTING_TISHI",
          "TISHI_SINGLE_STATIC"}}};
    for (const auto& [ini, keys] : dialogs) {
        for (const std::string& key : keys) {
            EXPECT_TRUE(HasKey(ini, "BUTTONINFO", key)) << ini << " " << key;
        }
        EXPECT_TRUE(HasKey(ini, "SCREEN", "Main")) << ini;
    }
}

TEST(SkinFiles, ShippedUserModesCoverEveryLed) {
    const std::string file = kSkins + "UserDengColor_3.userd";
    EXPECT_FALSE(GetPrivateProfileString("PRESENTMODE", "mode", "", 260, file).text.empty());
    for (int mode = 0; mode < 10; ++mode) {
        const std::string section = "Mode" + std::to_string(mode);
        EXPECT_FALSE(GetPrivateProfileString("MODENAME", std::to_string(mode), "", 260, file).text.empty());
        for (const char* key : {"tool", "jcolor", "color"}) {
            EXPECT_FALSE(GetPrivateProfileString(section, key, "", 260, file).text.empty()) << section << key;
        }
        std::vector<int> leds = {kFnLed, kGKeyLed};
        for (const KeyButton& key : KeyButtonTable()) {
            leds.push_back(key.led);
        }
        for (int led : leds) {
            const std::string value =
                GetPrivateProfileString(section, std::to_string(led), "", 260, file).text;
            int r = -1, g = -1, b = -1, flag = -1;
            EXPECT_EQ(std::sscanf(value.c_str(), "%d,%d,%d,%d", &r, &g, &b, &flag), 4)
                << section << " " << led;
            EXPECT_TRUE(r >= 0 && r <= 255 && g >= 0 && g <= 255 && b >= 0 && b <= 255) << value;
        }
    }
}

// Controls of a window never overlap unless they belong to different
// layers (panels the program never shows together) and draw nothing into
// the state pictures, and each lies inside the window's outline as the
// generated mask draws it.
TEST(SkinLayout, ControlsDoNotOverlapAndLieInsideTheMask) {
    test::App();
    for (const SkinWindow& w : BuildSkinLayout()) {
        const QImage mask = Load(w.mask).convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(mask.size(), QSize(w.width, w.height)) << w.name;
        for (size_t i = 0; i < w.controls.size(); ++i) {
            const SkinControl& a = w.controls[i];
            EXPECT_GT(a.rect.w, 1) << a.key;
            EXPECT_GT(a.rect.h, 1) << a.key;
            for (int x = a.rect.x; x < a.rect.Right(); ++x) {
                for (int y : {a.rect.y, a.rect.Bottom() - 1}) {
                    ASSERT_TRUE(mask.valid(x, y)) << w.name << " " << a.key;
                    ASSERT_NE(mask.pixel(x, y) & 0xFFFFFF, 0xFFFFFFu) << w.name << " " << a.key;
                }
            }
            for (size_t j = i + 1; j < w.controls.size(); ++j) {
                const SkinControl& b = w.controls[j];
                EXPECT_NE(a.key, b.key) << w.name;
                // Image buttons cut their looks from shared pictures, so even buttons of
                // different layers must not share pixels there.
                const bool drawn = a.look != skingen::Look::Placed && b.look != skingen::Look::Placed;
                const bool apart = !a.layer.empty() && !b.layer.empty() && a.layer != b.layer && !drawn;
                if (!apart) {
                    EXPECT_FALSE(a.rect.Intersects(b.rect)) << w.name << ": " << a.key << " and " << b.key;
                }
            }
        }
    }
}

int Difference(QRgb a, QRgb b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

// Mean colour of a control's look as a button cuts it: from (x - 1, y - 1).
QRgb MeanLook(const QImage& picture, const skingen::SkinRect& r) {
    long red = 0, green = 0, blue = 0, count = 0;
    for (int y = r.y - 1; y < r.Bottom() - 1; ++y) {
        for (int x = r.x - 1; x < r.Right() - 1; ++x) {
            const QRgb p = picture.pixel(x, y);
            red += qRed(p);
            green += qGreen(p);
            blue += qBlue(p);
            ++count;
        }
    }
    return qRgb(static_cast<int>(red / count), static_cast<int>(green / count),
                static_cast<int>(blue / count));
}

TEST(SkinLayout, KeyLooksDifferPerStateAndSitSeamlesslyOnTheBackground) {
    test::App();
    const std::vector<SkinWindow> windows = BuildSkinLayout();
    const SkinWindow& main = windows.front();
    const QImage background = Load(main.background);
    std::vector<QImage> pictures;
    for (const char* name : {"main_normal.jpg", "main_over.jpg", "main_down.jpg", "main_disable.jpg",
                             "main_color0.jpg", "main_color1.jpg", "main_assigned.jpg"}) {
        pictures.push_back(Load(name));
        ASSERT_FALSE(pictures.back().isNull()) << name;
        ASSERT_GE(pictures.back().width(), main.width) << name;
    }
    for (const char* key : {"KEY_01E", "FUNC_G1", "KEY_FN", "KEY_D1"}) {
        const SkinControl* c = main.Find(key);
        ASSERT_NE(c, nullptr) << key;
        for (size_t i = 0; i < pictures.size(); ++i) {
            for (size_t j = i + 1; j < pictures.size(); ++j) {
                if (i == 0 && j == 4) {
                    continue; // "not marked" is the normal cap with a grey dot
                }
                EXPECT_GT(Difference(MeanLook(pictures[i], c->rect), MeanLook(pictures[j], c->rect)), 12)
                    << key << " looks " << i << " and " << j;
            }
        }
    }
    // Around a key, the cut look must match the background it is drawn on.
    const SkinControl* a = main.Find("KEY_01E");
    for (const QImage& picture : pictures) {
        for (int dx : {-3, a->rect.w + 2}) {
            const int x = a->rect.x + dx;
            const int y = a->rect.y + a->rect.h / 2;
            EXPECT_LT(Difference(picture.pixel(x - 1, y - 1), background.pixel(x, y)), 30);
        }
    }
}

} // namespace
} // namespace velkarn
