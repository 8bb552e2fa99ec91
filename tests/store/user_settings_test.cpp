// The lighting toggle, the flip setting, the skin link and the user
// lighting-mode files.
#include "platform/ini_file.h"
#include "platform/paths.h"
#include "platform/registry_file.h"
#include "store/profile_file.h"
#include "store/user_settings.h"
#include "store_fixture.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace velkarn::test {
namespace {

class UserSettingsTest : public StoreTest {
protected:
    void WriteUserModes(int profile, const std::string& text) {
        EnsureDataFolder();
        ASSERT_TRUE(WriteWholeFile(UserModeFilePath(profile), text));
    }
};

constexpr uint32_t kRed = 0x0000FF;

TEST_F(UserSettingsTest, LightingToggleCountsOnlyDecimalOne) {
    const struct {
        const char* value;
        bool on;
    } cases[] = {{"1", true}, {"01", true}, {" 1 ", true}, {"yes", false}, {"2", false}, {"0", false}};
    EnsureDataFolder();
    EXPECT_FALSE(ReadLightingToggle()); // no file yet
    for (const auto& c : cases) {
        ASSERT_TRUE(
            WriteWholeFile(LightingToggleFilePath(), std::string("[KEYCOLOR]\nDengCheck=") + c.value + "\n"));
        EXPECT_EQ(ReadLightingToggle(), c.on) << c.value;
    }
    WriteLightingToggle(true);
    EXPECT_EQ(GetPrivateProfileString("KEYCOLOR", "DengCheck", "", 260, LightingToggleFilePath()).text, "1");
    WriteLightingToggle(false);
    EXPECT_EQ(GetPrivateProfileString("KEYCOLOR", "DengCheck", "", 260, LightingToggleFilePath()).text, "0");
}

TEST_F(UserSettingsTest, FlipToggleWritesTheOtherValueAsText) {
    EXPECT_EQ(ReadFlip(), 0);
    WriteFlip(1);
    EXPECT_EQ(ReadFlip(), 1);
    EXPECT_EQ(ToggleFlip(), 0);
    const RegistryFile registry = RegistryFile::User();
    EXPECT_EQ(registry.ReadString("Software\\Velkarn_Pelmaro\\PROFILES", "Flip"), "0");
    EXPECT_EQ(ToggleFlip(), 1);
    EXPECT_EQ(registry.ReadString("Software\\Velkarn_Pelmaro\\PROFILES", "Flip"), "1");
}

TEST_F(UserSettingsTest, LinkComesFromTheSkinWithANeutralDefault) {
    EXPECT_EQ(ReadLink(), "https://skin.example.org/");
    m_program.Write("Skins/Main.ini", "[SCREEN]\nMain=main.jpg\n");
    EXPECT_EQ(ReadLink(), kDefaultLink);
}

TEST_F(UserSettingsTest, MissingFileReadsAsDefaults) {
    for (int mode : {0, 9}) {
        const KeyColour key = ReadKeyColour(1, mode, 55);
        EXPECT_EQ(key.colour, kRed);
        EXPECT_EQ(key.flag, 1);
        const UserModeSettings settings = ReadModeSettings(1, mode);
        EXPECT_EQ(settings.tool, 0);
        EXPECT_EQ(settings.baseColour, 0u);
        EXPECT_EQ(settings.paintColour, 0u);
        EXPECT_EQ(ReadModeName(1, mode), "0");
    }
    EXPECT_EQ(ReadPresentMode(1), 0);
}

TEST_F(UserSettingsTest, MissingModeSectionGivesBlackColoursAndRedKeys) {
    WriteUserModes(0, "[PRESENTMODE]\nmode=3\n[MODENAME]\n3=Evening\n"
                      "[Mode2]\ntool=1\njcolor=1,2,3\ncolor=4,5,6\n7=9,8,7,0\n");
    EXPECT_EQ(ReadPresentMode(0), 3);
    EXPECT_EQ(ReadModeName(0, 3), "Evening");
    const UserModeSettings three = ReadModeSettings(0, 3);
    EXPECT_EQ(three.baseColour, 0u);
    EXPECT_EQ(three.paintColour, 0u);
    EXPECT_EQ(ReadKeyColour(0, 3, 7).colour, kRed);
    const UserModeSettings two = ReadModeSettings(0, 2);
    EXPECT_EQ(two.tool, 1);
    EXPECT_EQ(two.baseColour, 0x030201u);
    EXPECT_EQ(two.paintColour, 0x060504u);
    EXPECT_EQ(ReadKeyColour(0, 2, 7).colour, 0x070809u);
    EXPECT_EQ(ReadKeyColour(0, 2, 7).flag, 0);
}

TEST_F(UserSettingsTest, ValuesThatDoNotParseKeepWhatWasRead) {
    WriteUserModes(2, "[Mode0]\n1=12,abc,3,1\n2=1,2,3,5\n3=nonsense\n4=300,0,0,0\n[PRESENTMODE]\nmode=42\n");
    EXPECT_EQ(ReadKeyColour(2, 0, 1).colour, 12u); // green and blue stay 0
    EXPECT_EQ(ReadKeyColour(2, 0, 1).flag, 0);
    EXPECT_EQ(ReadKeyColour(2, 0, 2).flag, 1); // any non-zero flag reads as 1
    EXPECT_EQ(ReadKeyColour(2, 0, 3).colour, 0u);
    EXPECT_EQ(ReadKeyColour(2, 0, 4).colour, 300u & 0xFF);
    EXPECT_EQ(ReadPresentMode(2), 0);
}

TEST_F(UserSettingsTest, WritesUseDecimalKeysAndRedGreenBlueOrder) {
    WriteKeyColour(1, 4, 7, 0x112233, 1);
    WriteModeSettings(1, 4, UserModeSettings{1, 0x0000FF, 0xFF0000});
    WriteModeName(1, 4, "Mine");
    WritePresentMode(1, 4);
    const std::string file = UserModeFilePath(1);
    EXPECT_EQ(GetPrivateProfileString("Mode4", "7", "", 260, file).text, "51,34,17,1");
    EXPECT_EQ(GetPrivateProfileString("Mode4", "007", "missing", 260, file).text, "missing");
    EXPECT_EQ(GetPrivateProfileString("Mode4", "tool", "", 260, file).text, "1");
    EXPECT_EQ(GetPrivateProfileString("Mode4", "jcolor", "", 260, file).text, "255,0,0");
    EXPECT_EQ(GetPrivateProfileString("Mode4", "color", "", 260, file).text, "0,0,255");
    EXPECT_EQ(ReadKeyColour(1, 4, 7).colour, 0x112233u);
    EXPECT_EQ(ReadModeName(1, 4), "Mine");
    EXPECT_EQ(ReadPresentMode(1), 4);
    // Other profiles keep their own files.
    EXPECT_EQ(ReadModeName(0, 4), "0");
}

TEST_F(UserSettingsTest, ResetCopiesTheShippedFile) {
    WriteUserModes(1, "[MODENAME]\n0=Changed\n");
    ResetUserModes(1);
    EXPECT_EQ(ReadWholeFile(UserModeFilePath(1)), m_program.Read("Skins/UserDengColor_3.userd"));
    EXPECT_EQ(ReadModeName(1, 0), "Shipped");
    EXPECT_EQ(ReadKeyColour(1, 0, 7).colour, 0x030201u);
    ASSERT_EQ(::unlink(m_program.File("Skins/UserDengColor_3.userd").c_str()), 0);
    ResetUserModes(1);
    EXPECT_EQ(ReadWholeFile(UserModeFilePath(1)), "");
    EXPECT_EQ(ReadModeName(1, 0), "0");
}

TEST_F(UserSettingsTest, OutOfRangeProfilesAndModesAreIgnored) {
    WriteKeyColour(3, 0, 1, 0x010101, 0);
    WriteKeyColour(0, 10, 1, 0x010101, 0);
    WriteModeName(-1, 0, "x");
    EXPECT_FALSE(ReadWholeFile(JoinPath(DataFolderPath(), "UserDengColor_3.userd")));
    EXPECT_EQ(ReadKeyColour(0, 10, 1).colour, kRed);
    EXPECT_EQ(ReadModeName(-1, 0), "0");
}

} // namespace
} // namespace velkarn::test
