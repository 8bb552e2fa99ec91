// Checks of the shipped English language file: the texts used as formats
// carry exactly their one conversion, no other text carries a stray '%', and
// the texts whose blanks matter keep them through the INI reader.
#include "app/localisation.h"
#include "app/path_table.h"
#include "platform/ini_file.h"
#include "platform/safe_format.h"
#include "platform/text_decode.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace velkarn {
namespace {

const std::string kLanguageFile = std::string(VELKARN_SOURCE_DIR) + "/data/Lang0409.ini";

class ShippedLanguageFile : public ::testing::Test {
protected:
    void SetUp() override { SetAppPaths(PathTable::FromFolder(std::string(VELKARN_SOURCE_DIR) + "/data")); }
    void TearDown() override { SetAppPaths(PathTable::FromExecutable("/nonexistent/velkarn")); }
    test::XdgSandbox m_sandbox;
};

TEST_F(ShippedLanguageFile, FormatsCarryExactlyTheirConversion) {
    EXPECT_EQ(FormatInt(LoadText("UNKNOWN_KEY", 0), 85), "Key 85");
    EXPECT_NE(FormatInt(LoadText("MACRO_ERR_MAX", 0), 100).find("100"), std::string::npos);
    EXPECT_NE(FormatInt(LoadText("MACRO_ACTION_ERR_DELAY_MAX", 0), 40000).find("40000"), std::string::npos);
    EXPECT_NE(FormatString(LoadText("PROFILE_FORMAT_ERROR", 0), "/x/y.fwc").find("/x/y.fwc"),
              std::string::npos);

    const auto text = test::ReadWholeFile(kLanguageFile);
    ASSERT_TRUE(text);
    for (const std::string& line : SplitLines(*text)) {
        if (line.empty() || line[0] == ';')
            continue;
        const bool isFormat = line.starts_with("UNKNOWN_KEY=") || line.starts_with("MACRO_ERR_MAX=") ||
                              line.starts_with("MACRO_ACTION_ERR_DELAY_MAX=") ||
                              line.starts_with("PROFILE_FORMAT_ERROR=");
        if (!isFormat) {
            EXPECT_EQ(line.find('%'), std::string::npos) << line;
        }
    }
}

TEST_F(ShippedLanguageFile, HoldsTheTextsTheWindowsLookUp) {
    for (const char* key : {"MAIN_CAPTION", "MAIN_NO_DEVICE_PROMPT", "MAIN_SWITCH_FUNCTION_TEXT", "MENU_4",
                            "MENU_33", "B1", "B5", "FUNC_KEY_DESC1", "FUNC_KEY_DESC11", "IDS_KEYBOARD_A",
                            "IDS_KEYBOARD_0", "MEDIA_Next_TRACK_5", "IDS_KEYBOARD_FUNC_CALENDAR",
                            "PROFILE_SEELCT_PROMPT2", "MACRO_ACTION_RECORD_DELAY", "IDS_TrayTip_Keyboard"}) {
        const std::string t = LoadText(key, 0);
        EXPECT_FALSE(t.empty()) << key;
        EXPECT_NE(t, "#Error") << key;
    }
    for (const char* key : {"Usb", "Deng", "Light", "FX", "Speed", "Color", "JColor", "DC", "Tool"})
        EXPECT_NE(LoadLightText(key, 0), "#Error") << key;
    for (int mode = 1; mode <= 23; ++mode)
        EXPECT_NE(LoadModeText(std::to_string(mode), 0), "#Error") << mode;
    // Pieces that are glued to other texts keep their blanks.
    EXPECT_EQ(LoadText("MACRO_NEW_PREFIX", 0), "Macro ");
    EXPECT_EQ(LoadText("KEY_PROMPT_SET", 0), " -> ");
    EXPECT_EQ(LoadText("IDS_KEYBOARD_EQU", 0), "=");
}

} // namespace
} // namespace velkarn
