#include "app/prompts.h"
#include "qt_app.h"
#include "skin/hyper_link.h"
#include "skin/prompts.h"
#include "skin/tray_icon.h"

#include <QMenu>
#include <gtest/gtest.h>

namespace velkarn {
namespace {

TEST(TrayIcon, MenuTextsComeFromTheCallbackAndTheFirstItemIsTheDefault) {
    test::App();
    CTrayIcon tray;
    std::vector<int> commands;
    tray.SetIconLoader([](int) { return QIcon(); });
    const bool shown = tray.Create("Keyboard", 128, {{32771, "Open"}, {32773, "About"}, {32774, "Exit"}},
                                   [&commands](int command) { commands.push_back(command); });
    // Without a tray (as offscreen) Create says so, yet the icon is made so
    // that it shows once a tray comes up.
    EXPECT_EQ(shown, CTrayIcon::TrayAvailable());
    EXPECT_TRUE(tray.IsPresent());
    EXPECT_TRUE(tray.SetIcon(141));
    tray.SetMenuCallback([](std::vector<TrayMenuItem>& items) {
        items[0].text = "Show window";
        items[1].text = "About Velkarn";
        items[2].text = "Quit";
    });
    QMenu* menu = tray.PrepareMenu();
    const QList<QAction*> actions = menu->actions();
    ASSERT_EQ(actions.size(), 3);
    EXPECT_EQ(actions[0]->text(), "Show window");
    EXPECT_EQ(actions[1]->text(), "About Velkarn");
    EXPECT_EQ(actions[2]->text(), "Quit");
    EXPECT_EQ(menu->defaultAction(), actions[0]);
    EXPECT_TRUE(actions[0]->font().bold());
    EXPECT_FALSE(actions[2]->font().bold());
    // Preparing again (the next right click) does not pile up items.
    const QList<QAction*> again = tray.PrepareMenu()->actions();
    ASSERT_EQ(again.size(), 3);

    again[2]->trigger();
    tray.OnDoubleClick();
    EXPECT_EQ(commands, (std::vector<int>{32774, 32771}));
}

TEST(TrayIcon, OperationsOnAnAbsentIconFail) {
    test::App();
    CTrayIcon tray;
    EXPECT_FALSE(tray.SetIcon(141));
    EXPECT_FALSE(tray.Hide());
    EXPECT_FALSE(tray.Show());
    EXPECT_FALSE(tray.Remove());
}

class ScriptedPrompts : public Prompts {
public:
    std::vector<std::string> shown;
    void Ok(std::string_view text, std::string_view) override { shown.emplace_back(text); }
    bool YesNo(std::string_view text, std::string_view) override {
        shown.emplace_back(text);
        return false;
    }
    void TopmostOk(std::string_view text, std::string_view) override { shown.emplace_back(text); }
    std::optional<std::string> OpenFile(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> SaveFile(const FileDialogRequest&) override { return std::nullopt; }
};

TEST(HyperLink, EmptyAddressTakesTheText) {
    test::App();
    CHyperLink link("https://velkarn.example");
    EXPECT_EQ(link.GetURL(), "https://velkarn.example");
    EXPECT_EQ(link.toolTip(), "https://velkarn.example");
    EXPECT_EQ(link.CurrentColour(), QColor(0x00, 0x00, 0xEE)); // 0xEE0000 with red in the low byte
}

TEST(HyperLink, FailedOpenExplainsAndKeepsTheColourSuccessTurnsVisited) {
    test::App();
    ScriptedPrompts prompts;
    CHyperLink link("Support");
    link.SetURL("https://velkarn.example/support");
    link.SetPrompts(&prompts);
    std::vector<QString> opened;
    link.SetOpener([&opened](const QString& address) {
        opened.push_back(address);
        return 2;
    });
    EXPECT_FALSE(link.Open());
    EXPECT_FALSE(link.IsVisited());
    EXPECT_EQ(link.CurrentColour(), QColor(0x00, 0x00, 0xEE));
    ASSERT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(prompts.shown[0], "Unable to open hyperlink:\n\nThe specified file was not found.");

    link.SetOpener([](const QString&) { return 42; });
    EXPECT_TRUE(link.Open());
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(link.CurrentColour(), QColor(0x55, 0x1A, 0x8B));
    link.SetOpener([](const QString&) { return 0; });
    link.Open();
    EXPECT_TRUE(link.IsVisited()); // visited stays for the life of the control
    EXPECT_EQ(opened, (std::vector<QString>{"https://velkarn.example/support"}));
}

TEST(HyperLink, ErrorTexts) {
    EXPECT_EQ(HyperlinkErrorText(31),
              "There is no application associated\nwith the given filename extension.");
    EXPECT_EQ(HyperlinkErrorText(26), "A sharing violation occurred. ");
    EXPECT_EQ(HyperlinkErrorText(99), "Unknown Error (99) occurred.");
}

TEST(QtPrompts, WindowsFiltersBecomeQtFilters) {
    test::App();
    EXPECT_EQ(QtFilterFromWindows("Profile (*.fwc)|*.fwc|All files|*.*||"),
              "Profile (*.fwc);;All files (*.*)");
    EXPECT_EQ(QtFilterFromWindows(""), "");
}

} // namespace
} // namespace velkarn
