#include "platform/ini_file.h"
#include "qt_app.h"
#include "skin/base_dialog.h"
#include "skin/bitmap_slider.h"
#include "skin/color_controls.h"
#include "skin/png_button.h"
#include "skin/window_message.h"

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <thread>

namespace velkarn {
namespace {

// Records the window messages it receives.
class MessageSink : public QWidget {
public:
    struct Message {
        uint32_t number;
        uintptr_t wParam;
        intptr_t lParam;
    };
    std::vector<Message> messages;
    intptr_t answer = 0;

protected:
    bool event(QEvent* e) override {
        if (e->type() == WindowMessageEvent::EventType()) {
            auto* m = static_cast<WindowMessageEvent*>(e);
            messages.push_back({m->Message(), m->WParam(), m->LParam()});
            m->SetResult(answer);
            return true;
        }
        return QWidget::event(e);
    }
};

// A picture whose every pixel encodes its own coordinates.
StatePicture CoordinatePicture() {
    auto image = std::make_shared<QImage>(200, 100, QImage::Format_RGB32);
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 200; ++x) {
            image->setPixel(x, y, qRgb(x, y, 0));
        }
    }
    return image;
}

StatePicture Solid(QColor colour) {
    auto image = std::make_shared<QImage>(200, 100, QImage::Format_RGB32);
    image->fill(colour);
    return image;
}

struct TempSkin {
    QTemporaryDir dir;
    std::string ini() const { return dir.filePath("Skin.ini").toStdString(); }
    void Write(const char* section, const char* key, const char* value) const {
        ASSERT_TRUE(WritePrivateProfileString(section, key, value, ini()));
    }
};

TEST(PngButton, LookIsCutFromOneUpAndLeftOfTheOrigin) {
    test::App();
    CPngButton button;
    button.resize(10, 5);
    const StatePicture p = CoordinatePicture();
    button.SetLooks(50, 20, p, p, p, p, p, false);
    const QImage shot = button.grab().toImage();
    EXPECT_EQ(shot.pixel(0, 0), qRgb(49, 19, 0));
    EXPECT_EQ(shot.pixel(9, 4), qRgb(58, 23, 0));
}

TEST(PngButton, FirstMatchingLookWins) {
    EXPECT_EQ(ChoosePngLook(false, true, true, true, true, true), PngLook::Disabled);
    EXPECT_EQ(ChoosePngLook(true, true, true, true, true, true), PngLook::ToggleOn);
    EXPECT_EQ(ChoosePngLook(true, true, false, true, true, true), PngLook::ToggleOff);
    EXPECT_EQ(ChoosePngLook(true, false, false, true, true, true), PngLook::Down);
    EXPECT_EQ(ChoosePngLook(true, false, false, false, true, true), PngLook::Over);
    EXPECT_EQ(ChoosePngLook(true, false, false, false, false, true), PngLook::Extra);
    EXPECT_EQ(ChoosePngLook(true, false, false, false, false, false), PngLook::Normal);
}

TEST(PngButton, DisabledToggleButtonShowsItsDisabledLook) {
    test::App();
    CPngButton button;
    button.resize(8, 8);
    button.SetLooks(1, 1, Solid(Qt::white), Solid(Qt::green), Solid(Qt::blue), Solid(Qt::red),
                    Solid(Qt::cyan), false);
    button.SetToggleLooks(Solid(Qt::yellow), Solid(Qt::magenta), true, true, false);
    EXPECT_EQ(button.grab().toImage().pixel(3, 3), QColor(Qt::magenta).rgb());
    button.setEnabled(false);
    EXPECT_EQ(button.grab().toImage().pixel(3, 3), QColor(Qt::red).rgb());
    EXPECT_EQ(button.CurrentLook(), PngLook::Disabled);
}

TEST(PngButton, ExtraLookAndFrameMode) {
    test::App();
    CPngButton button;
    button.resize(10, 10);
    button.SetLooks(1, 1, Solid(Qt::white), Solid(Qt::green), Solid(Qt::blue), Solid(Qt::red),
                    Solid(Qt::cyan), false);
    bool normalReported = false;
    button.SetPaintCallback([&](CPngButton*, bool isNormal) { normalReported = isNormal; });
    button.grab();
    EXPECT_TRUE(normalReported);
    button.SetExtra(true, false);
    EXPECT_EQ(button.grab().toImage().pixel(5, 5), QColor(Qt::cyan).rgb());
    EXPECT_FALSE(normalReported);
    button.SetFrame(Qt::red, true);
    const QImage framed = button.grab().toImage();
    EXPECT_EQ(framed.pixel(1, 5), QColor(Qt::red).rgb());
}

TEST(PngButton, DoubleClickGivesTwoPresses) {
    test::App();
    QWidget parent;
    CPngButton button(&parent);
    button.setGeometry(0, 0, 20, 20);
    parent.show();
    QSignalSpy pressed(&button, &QAbstractButton::pressed);
    QSignalSpy clicked(&button, &QAbstractButton::clicked);
    // What the window system delivers for a double click.
    const QPointF at(5, 5);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                              QEvent::MouseButtonDblClick, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, at, button.mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
        QApplication::sendEvent(&button, &event);
    }
    EXPECT_EQ(pressed.count(), 2);
    EXPECT_EQ(clicked.count(), 2);
}

TEST(PngButton, EmptyTooltipTextKeepsThePreviousOne) {
    test::App();
    CPngButton button;
    button.SetTooltipText("Remapped: Ctrl+C", true);
    button.SetTooltipText("", true);
    EXPECT_EQ(button.toolTip(), QStringLiteral("Remapped: Ctrl+C"));
}

TEST(Placement, ControlsLandWhereTheSkinSays) {
    test::App();
    TempSkin skin;
    skin.Write("BUTTONINFO", "ITEM", "10,20,30,40 and more");
    skin.Write("BUTTONINFO", "OTHER", "5,6,7,8");
    QWidget parent;
    QWidget item(&parent);
    PlaceControl(&item, skin.ini(), "BUTTONINFO", "ITEM");
    EXPECT_EQ(item.geometry(), QRect(10, 20, 30, 40));
    MoveControl(&item, skin.ini(), "BUTTONINFO", "OTHER");
    EXPECT_EQ(item.geometry(), QRect(5, 6, 30, 40)); // moved, size kept

    CPngButton missing(&parent);
    PlaceImageButton(&missing, skin.ini(), "BUTTONINFO", "NOT_THERE", nullptr, nullptr, nullptr, nullptr,
                     nullptr);
    EXPECT_EQ(missing.geometry(), QRect(1, 1, 1, 1));
    EXPECT_FALSE(missing.isEnabled());

    CPngButton present(&parent);
    const StatePicture p = CoordinatePicture();
    PlaceImageButton(&present, skin.ini(), "BUTTONINFO", "ITEM", p, p, p, p, p);
    EXPECT_TRUE(present.isEnabled());
    EXPECT_EQ(present.Origin(), QPoint(10, 20));

    skin.Write("BUTTONINFO2", "ITEM", "41,3,20,20");
    CPngButton arrow(&parent);
    PlaceImageButtonAt(&arrow, skin.ini(), "BUTTONINFO", "ITEM", "BUTTONINFO2", "ITEM", p);
    EXPECT_EQ(arrow.geometry(), QRect(10, 20, 30, 40));
    EXPECT_EQ(arrow.Origin(), QPoint(41, 3));
}

TEST(BaseDialog, TakesSizeAndShapeFromTheGeneratedMainSkin) {
    test::App();
    const std::string folder = std::string(VELKARN_BIN_DIR) + "/Skins/";
    CBaseDialog dialog(nullptr, folder + "Main.ini", folder);
    ASSERT_TRUE(dialog.OnInitDialog());
    EXPECT_EQ(dialog.size(), QSize(1140, 664));
    EXPECT_FALSE(dialog.mask().isEmpty());
    EXPECT_FALSE(dialog.mask().contains(QPoint(0, 0))); // rounded corner
    EXPECT_TRUE(dialog.mask().contains(QPoint(570, 330)));
    EXPECT_FALSE(dialog.IsSkinning());
}

TEST(BaseDialog, MissingBackgroundOrMaskEndsWithExitCodeZero) {
    test::App();
    TempSkin skin;
    const std::string folder = skin.dir.path().toStdString() + "/";
    QImage good(20, 10, QImage::Format_RGB32);
    good.fill(Qt::black);
    ASSERT_TRUE(good.save(skin.dir.filePath("bg.bmp")));
    QFile garbage(skin.dir.filePath("broken.jpg"));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    garbage.write("not a picture");
    garbage.close();

    std::vector<int> exits;
    SetSkinExitFunction([&exits](int code) { exits.push_back(code); });
    const struct {
        const char* main;
        const char* mask;
        bool fatal;
    } cases[] = {{nullptr, nullptr, true},
                 {"missing.jpg", nullptr, true},
                 {"bg.bmp", "broken.jpg", true},
                 {"broken.jpg", "bg.bmp", true},
                 {"bg.bmp", nullptr, false}};
    for (const auto& c : cases) {
        WritePrivateProfileString("SCREEN", std::nullopt, std::nullopt, skin.ini());
        if (c.main) {
            skin.Write("SCREEN", "Main", c.main);
        }
        if (c.mask) {
            skin.Write("SCREEN", "Mask", c.mask);
        }
        exits.clear();
        CBaseDialog dialog(nullptr, skin.ini(), folder);
        const bool loaded = dialog.OnInitDialog();
        EXPECT_EQ(loaded, !c.fatal) << (c.main ? c.main : "(none)");
        EXPECT_EQ(exits, c.fatal ? std::vector<int>{0} : std::vector<int>{}) << (c.main ? c.main : "(none)");
        if (!c.fatal) {
            EXPECT_EQ(dialog.size(), QSize(20, 10)); // the mask defaults to the background
        }
    }
    SetSkinExitFunction(nullptr);
}

TEST(StatePictures, LoadedOncePerWindowKind) {
    test::App();
    const std::string folder = std::string(VELKARN_BIN_DIR) + "/Skins/";
    const std::array<std::string, 4> files = {folder + "Profile_normal.jpg", folder + "Profile_over.jpg",
                                              folder + "Profile_down.jpg", folder + "Profile_down.jpg"};
    const int before = StatePictureLoadCount();
    StatePictureSet& first = SharedStatePictures("test-profile", QSize(460, 360), files);
    EXPECT_EQ(StatePictureLoadCount(), before + 4);
    StatePictureSet& again = SharedStatePictures("test-profile", QSize(460, 360), files);
    EXPECT_EQ(StatePictureLoadCount(), before + 4);
    EXPECT_EQ(&first, &again);
    EXPECT_EQ(first.pictures[0]->size(), QSize(560, 460)); // window plus 100 each way
    // The same kind of window from other files, or at another size, is not
    // handed the pictures cut for the first.
    std::array<std::string, 4> others = files;
    others[0] = folder + "Profile_over.jpg";
    StatePictureSet& otherFiles = SharedStatePictures("test-profile", QSize(460, 360), others);
    EXPECT_NE(&otherFiles, &first);
    EXPECT_EQ(StatePictureLoadCount(), before + 8);
    StatePictureSet& otherSize = SharedStatePictures("test-profile", QSize(200, 100), files);
    EXPECT_NE(&otherSize, &first);
    EXPECT_EQ(otherSize.pictures[0]->size(), QSize(300, 200));
    // A missing file still gives a context to cut from.
    const StatePicture empty = DrawStatePicture(LoadStatePicture(folder + "nothing.jpg"), QSize(10, 10));
    EXPECT_EQ(empty->size(), QSize(110, 110));
}

TEST(BitmapSlider, PressKeysAndWheelPostPositions) {
    test::App();
    MessageSink parent;
    CBitmapSlider slider(1178, &parent);
    slider.SetRange(0, 10);
    QImage picture(100, 20, QImage::Format_RGB32);
    picture.fill(Qt::gray);
    slider.SetPicture(picture);
    EXPECT_EQ(slider.size(), QSize(100, 20));
    slider.SetPos(5);
    parent.show();

    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(0, 10));
    EXPECT_EQ(slider.GetPos(), 1);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(0, 10));
    QTest::mousePress(&slider, Qt::LeftButton, {}, QPoint(90, 10));
    EXPECT_EQ(slider.GetPos(), 10);
    QTest::mouseRelease(&slider, Qt::LeftButton, {}, QPoint(90, 10));
    QTest::keyClick(&slider, Qt::Key_PageDown);
    EXPECT_EQ(slider.GetPos(), 10);
    QTest::keyClick(&slider, Qt::Key_Home);
    EXPECT_EQ(slider.GetPos(), 0);
    QCoreApplication::processEvents();
    // press, release, press, release, Page Down, Home: every one notifies.
    ASSERT_EQ(parent.messages.size(), 6u);
    for (const auto& m : parent.messages) {
        EXPECT_EQ(m.number, kSliderMessage);
        EXPECT_EQ(m.wParam, 1178u);
    }
    EXPECT_EQ(parent.messages[0].lParam, 1);
    EXPECT_EQ(parent.messages[1].lParam, 1); // release reports even without a change
    EXPECT_EQ(parent.messages[4].lParam, 10);
    EXPECT_EQ(parent.messages[5].lParam, 0);
}

TEST(BitmapSlider, DisabledSliderIgnoresInput) {
    test::App();
    MessageSink parent;
    CBitmapSlider slider(1179, &parent);
    slider.resize(100, 20);
    slider.SetRange(0, 4);
    slider.SetPos(2);
    slider.SetEnabledFlag(false);
    parent.show();
    QTest::mouseClick(&slider, Qt::LeftButton, {}, QPoint(90, 10));
    QTest::keyClick(&slider, Qt::Key_End);
    QCoreApplication::processEvents();
    EXPECT_EQ(slider.GetPos(), 2);
    EXPECT_TRUE(parent.messages.empty());
}

TEST(WindowMessage, PostIsQueuedAndSendFromAnotherThreadWaitsForTheAnswer) {
    test::App();
    MessageSink sink;
    sink.answer = 7;
    PostWindowMessage(&sink, 0x5350, 0x4F50454E, 0);
    EXPECT_TRUE(sink.messages.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].wParam, 0x4F50454Eu);

    EXPECT_EQ(SendWindowMessage(&sink, 0x4D4B, 1, 2), 7);
    EXPECT_EQ(sink.messages.size(), 2u);

    intptr_t result = 0;
    std::atomic<bool> done = false;
    std::thread worker([&] {
        result = SendWindowMessage(&sink, 0x5452, 0x50524F46, 0);
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    worker.join();
    EXPECT_EQ(result, 7);
    ASSERT_EQ(sink.messages.size(), 3u);
    EXPECT_EQ(sink.messages[2].number, 0x5452u);
}

TEST(ColorControls, ColourButtonTakesTheChosenColourAndColorRefsKeepRedLow) {
    test::App();
    EXPECT_EQ(ToColorRef(QColor(1, 2, 3)), 0x030201u);
    EXPECT_EQ(FromColorRef(0x8B9294), QColor(0x94, 0x92, 0x8B));
    CSkinColorBtn button;
    button.resize(80, 26);
    QSignalSpy chosen(&button, &CSkinColorBtn::colourChosen);
    button.SetChooser([](QColor, QWidget*) { return std::optional<QColor>(QColor(10, 20, 30)); });
    button.click();
    EXPECT_EQ(button.GetColor(), QColor(10, 20, 30));
    EXPECT_EQ(chosen.count(), 1);
    button.SetChooser([](QColor, QWidget*) { return std::optional<QColor>(); });
    button.click();
    EXPECT_EQ(button.GetColor(), QColor(10, 20, 30)); // cancelling keeps the colour
    const QImage shot = button.grab().toImage();
    EXPECT_EQ(shot.pixel(10, 13), QColor(10, 20, 30).rgb());
    EXPECT_EQ(shot.pixel(60, 5), FromColorRef(0x8B9294).rgb());
}

} // namespace
} // namespace velkarn

namespace velkarn {
namespace {

TEST(BaseDialog, DraggingAnEmptySpotMovesTheWindow) {
    test::App();
    const std::string folder = std::string(VELKARN_BIN_DIR) + "/Skins/";
    CBaseDialog dialog(nullptr, folder + "Profile.ini", folder);
    ASSERT_TRUE(dialog.OnInitDialog());
    dialog.move(100, 100);
    dialog.show();
    QApplication::processEvents();
    const QPoint start = dialog.pos();
    const QPointF at(10, 200); // an empty spot beside the list
    const QPointF global = dialog.mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &press);
    QMouseEvent drag(QEvent::MouseMove, at + QPointF(30, 20), global + QPointF(30, 20), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &drag);
    QMouseEvent release(QEvent::MouseButtonRelease, at + QPointF(30, 20), global + QPointF(30, 20),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &release);
    QApplication::processEvents();
    EXPECT_EQ(dialog.pos(), start + QPoint(30, 20));
}

} // namespace
} // namespace velkarn
