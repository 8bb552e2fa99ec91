// Renders the main window as the program builds it from the generated skin
// (background, mask, every image button cut from the state pictures, the
// lighting panel's pictures) and saves it as a PNG, so the skin can be judged
// without a keyboard. Usage: velkarn_skinpreview <Skins folder> <out.png> [variant]
// variant: "normal" (default), "marks" (colour mode), "states" (hover, pressed, disabled samples)
#include "model/key_button_table.h"
#include "skin/base_dialog.h"
#include "skin/bitmap_slider.h"
#include "skin/color_controls.h"
#include "skin/png_button.h"
#include "skin_layout.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <cstdio>

using namespace velkarn;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: velkarn_skinpreview <Skins folder> <out.png> [normal|marks|states]\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    const std::string folder = std::string(argv[1]) + "/";
    const std::string variant = argc > 3 ? argv[3] : "normal";
    const std::string ini = folder + "Main.ini";
    CBaseDialog dialog(nullptr, ini, folder);
    if (!dialog.OnInitDialog()) {
        return 1;
    }
    const QSize size = dialog.size();
    StatePictureSet& set = SharedStatePictures("main", size,
                                               {folder + "main_normal.jpg", folder + "main_over.jpg",
                                                folder + "main_down.jpg", folder + "main_disable.jpg"});
    const auto& [normal, over, down, disabled] = set.pictures;
    const StatePicture mark0 = DrawStatePicture(LoadStatePicture(folder + "main_color0.jpg"), size);
    const StatePicture mark1 = DrawStatePicture(LoadStatePicture(folder + "main_color1.jpg"), size);
    const StatePicture arrows = DrawStatePicture(LoadStatePicture(folder + "Arrow.jpg"), size);

    const bool marks = variant == "marks";
    const bool states = variant == "states";
    for (const skingen::SkinWindow& w : skingen::BuildSkinLayout()) {
        if (w.name != "Main") {
            continue;
        }
        int keyIndex = 0;
        for (const skingen::SkinControl& c : w.controls) {
            if (c.key == "LEFT_ARROW" || c.key == "RIGHT_ARROW") {
                auto* b = new CPngButton(&dialog);
                PlaceImageButtonAt(b, ini, "BUTTONINFO", c.key, "BUTTONINFO2", c.key, arrows);
                b->setEnabled(false);
                continue;
            }
            if (c.look == skingen::Look::Placed) {
                continue;
            }
            auto* b = new CPngButton(&dialog);
            const bool isKey = c.look == skingen::Look::Key;
            if (isKey && marks) {
                PlaceImageButton(b, ini, "BUTTONINFO", c.key, mark0, mark0, mark0, disabled, mark1);
                b->SetExtra(keyIndex % 7 == 0 || c.legend == "W" || c.legend == "A" || c.legend == "S" ||
                                c.legend == "D",
                            false);
            } else {
                // Keys with an assignment show the "over" picture as their extra look.
                PlaceImageButton(b, ini, "BUTTONINFO", c.key, normal, over, down, disabled, over);
            }
            if (c.look == skingen::Look::Lock || (c.key.rfind("KEY_D", 0) == 0)) {
                b->setEnabled(false); // flip state 0: D keys off
            }
            if (c.look == skingen::Look::TextButton) {
                static const std::map<std::string, QString> captions = {
                    {"FUNC_PROFILE1", "Profile 1"}, {"FUNC_PROFILE2", "Profile 2"},
                    {"FUNC_PROFILE3", "Profile 3"}, {"FUNC_PROFILES", "Profiles\u2026"},
                    {"FUNC_MACRO", "Macros"},       {"FUNC_SWITCH", "Colour marks"},
                    {"FUNC_DEFAULT", "Defaults"},   {"CONTROL2_APPLY", "Apply"},
                    {"CONTROL_OK", "OK"},           {"CONTROL_CANCEL", "Cancel"},
                    {"FUNC_REPORT1", "1"},          {"FUNC_REPORT2", "2"},
                    {"FUNC_REPORT3", "3"},          {"FUNC_REPORT4", "4"}};
                if (auto it = captions.find(c.key); it != captions.end()) {
                    b->setText(it->second);
                }
                b->SetTextStyle(true, 10, "DejaVu Sans", QColor(0xD8, 0xDD, 0xE6), Qt::white, Qt::white,
                                QColor(0x55, 0x5B, 0x66), Qt::white);
                if (c.key == "FUNC_PROFILE1" || c.key == "FUNC_REPORT2") {
                    b->SetExtra(true, false); // the highlighted profile and report rate
                }
            }
            if (isKey && !marks) {
                // A few assigned keys, as a user would have them.
                if (c.key == "FUNC_G1" || c.key == "FUNC_G2" || c.key == "FUNC_G5" || c.key == "KEY_03B" ||
                    c.key == "KEY_012") {
                    b->SetExtra(true, false);
                }
                if (states && c.key == "KEY_01E") {
                    b->setDown(true);
                }
                if (states && c.key == "KEY_01F") {
                    b->setEnabled(false);
                }
            }
            if (c.key == "CONTROL2_APPLY") {
                b->setEnabled(false);
            }
            keyIndex += isKey ? 1 : 0;
        }
    }

    // The lighting panel as it looks in a mode with colour and speed.
    auto label = [&](const char* key, const char* text) {
        auto* l = new ColorStatic(&dialog);
        l->setText(text);
        l->SetTextColour(QColor(0xAE, 0xB5, 0xC0));
        PlaceControl(l, ini, "BUTTONINFO", key);
    };
    auto picture = [&](const char* key, const char* file) {
        auto* s = new CBitmapSlider(0, &dialog);
        PlaceControl(s, ini, "BUTTONINFO", key);
        s->SetPicture(QImage(QString::fromStdString(folder + file)));
    };
    label("CONTROL_DengStatic", "Lighting");
    picture("CONTROL_DengStaPic", "dengdown.bmp");
    label("CONTROL_UsbStatic", "Polling");
    label("CONTROL_LightStatic", "Brightness");
    picture("CONTROL_LightSlider", "3.bmp");
    label("CONTROL_SpeedStatic", "Speed");
    picture("CONTROL_SpeedSlider", "7.bmp");
    label("CONTROL_BLFXStatic", "Direction");
    picture("CONTROL_BLFXLStaPic", "leftup.bmp");
    picture("CONTROL_BLFXRStaPic", "rightdown.bmp");
    label("CONTROL_HXysStatic", "Colour");
    label("CONTROL_HXsjsStatic", "Multicolour");
    picture("CONTROL_HXsjsStaPic", "sjsdown.bmp");
    label("CONTROL_RGBStatic", "RGB");
    for (int i = 1; i <= 8; ++i) {
        const std::string key = "CONTROL_Color" + std::to_string(i);
        picture(key.c_str(), ("Color" + std::to_string(i) + ".bmp").c_str());
    }
    auto* colour = new CSkinColorBtn(&dialog);
    PlaceControl(colour, ini, "BUTTONINFO", "CONTROL_HXysButton");
    colour->SetColor(QColor(0, 126, 255));
    auto* mode = new QComboBox(&dialog);
    mode->addItem("Wave");
    PlaceControl(mode, ini, "BUTTONINFO", "CONTROL_XGcombox");
    for (const char* key : {"COLOR_R", "COLOR_G", "COLOR_B"}) {
        auto* field = new QLineEdit(&dialog);
        field->setText(key[6] == 'R' ? "0" : (key[6] == 'G' ? "126" : "255"));
        PlaceControl(field, ini, "BUTTONINFO", key);
    }
    auto* version = new ColorStatic(&dialog);
    version->setText("Version 1.0.0");
    version->SetTextColour(QColor(0x6E, 0x77, 0x84));
    PlaceControl(version, ini, "BUTTONINFO", "ORLEQA_VER");
    picture("CONTROL_JDTStatic", "jdt6.bmp");

    dialog.setStyleSheet(
        "QComboBox, QLineEdit { background: #1b1f26; color: #d8dde6; border: 1px solid #3a404c;"
        " border-radius: 4px; padding: 2px 6px; }");
    dialog.show();
    QApplication::processEvents();
    QImage shot(size, QImage::Format_ARGB32);
    shot.fill(Qt::transparent);
    {
        QPainter p(&shot);
        p.setClipRegion(dialog.mask());
        dialog.render(&p, QPoint(), QRegion(), QWidget::DrawChildren | QWidget::DrawWindowBackground);
    }
    return shot.save(QString::fromLocal8Bit(argv[2])) ? 0 : 1;
}
