#include "app/language_ids.h"
#include "app/localisation.h"
#include "app/path_table.h"
#include "app/settings_key.h"
#include "platform/registry_file.h"
#include "support/temp_dir.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace velkarn {
namespace {

class LocalisationTest : public ::testing::Test {
protected:
    void SetUp() override { SetAppPaths(PathTable::FromFolder(m_program.Path())); }
    void TearDown() override { SetAppPaths(PathTable::FromExecutable("/nonexistent/velkarn")); }

    void WriteLanguageFile(std::string_view text) { m_program.Write("Lang0409.ini", text); }
    std::optional<uint32_t> StoredId() {
        return RegistryFile::User().ReadDword(kSettingsKeyPath, "dwLanguageId");
    }

    test::XdgSandbox m_sandbox;
    test::TempDir m_program;
};

TEST_F(LocalisationTest, FirstRunChoosesFromTheLocale) {
    const struct {
        const char* locale;
        uint32_t stored;
    } cases[] = {
        {"en_GB.UTF-8", 0x0409}, // English variant mapped to US English
        {"zh_CN.UTF-8", 0x0409}, // not in the table: falls back to US English
        {"zh_HK.UTF-8", 0x0409}, {"de_DE.UTF-8", 0x0409}, {"C", 0x0409}, {"", 0x0409},
    };
    for (const auto& c : cases) {
        RegistryFile::User().DeleteValue(kSettingsKeyPath, "dwLanguageId");
        ASSERT_FALSE(StoredId().has_value());
        test::EnvGuard lang("LANG", std::string(c.locale));
        EXPECT_EQ(GetLanguageId(), c.stored) << c.locale;
        EXPECT_EQ(StoredId(), c.stored) << c.locale;
    }
}

TEST_F(LocalisationTest, StoredChoiceIsKeptEvenWhenUnsupported) {
    ASSERT_TRUE(RegistryFile::User().WriteDword(kSettingsKeyPath, "dwLanguageId", 0x0407));
    WriteLanguageFile("[TEXT]\nMAIN_CAPTION=Keyboard\n");
    EXPECT_EQ(GetLanguageId(), 0x0407u);
    EXPECT_EQ(GetLanguageIndex(), 0);
    EXPECT_EQ(Text("MAIN_CAPTION"), "Keyboard");
    EXPECT_EQ(StoredId(), 0x0407u);
}

TEST_F(LocalisationTest, ValueOfTheWrongTypeIsReplacedByTheSystemChoice) {
    ASSERT_TRUE(RegistryFile::User().WriteString(kSettingsKeyPath, "dwLanguageId", "0407"));
    test::EnvGuard lang("LC_ALL", std::string("en_AU.UTF-8"));
    EXPECT_EQ(GetLanguageId(), 0x0409u);
    EXPECT_EQ(StoredId(), 0x0409u);
}

TEST_F(LocalisationTest, LookupsFallBackAndCut) {
    const std::string longText(300, 'w');
    WriteLanguageFile("[TEXT]\nMAIN_CAPTION=Keyboard\nEMPTY=\nLONG=" + longText +
                      "\n[LIGHT]\nSpeed=Speed\n[MODE]\n5=Breathing\n");
    EXPECT_EQ(LoadText("main_caption", 0), "Keyboard");
    EXPECT_EQ(LoadText("EMPTY", 0), "");
    EXPECT_EQ(LoadText("NOT_THERE", 0), "#Error");
    EXPECT_EQ(LoadText("LONG", 0), longText.substr(0, 259));
    EXPECT_EQ(LoadLightText("Speed", 0), "Speed");
    EXPECT_EQ(LoadModeText("5", 0), "Breathing");
    EXPECT_EQ(LoadModeText("Speed", 0), "#Error");
    EXPECT_EQ(LoadText("MAIN_CAPTION", 7), "Keyboard"); // out of range: slot 0
    EXPECT_EQ(LoadText("MAIN_CAPTION", 1), "#Error");   // empty slot: Lang0000.ini

    std::remove(m_program.File("Lang0409.ini").c_str());
    EXPECT_EQ(Text("MAIN_CAPTION"), "#Error");
}

TEST(LanguageIds, LocaleNamesMapToWindowsIds) {
    const struct {
        const char* locale;
        uint32_t id;
    } cases[] = {
        {"en_US.UTF-8", 0x0409}, {"en_GB", 0x0809},       {"en_NZ.utf8", 0x1409},
        {"EN-ca", 0x1009},       {"de_DE@euro", 0x0407},  {"de_AT.UTF-8", 0x0C07},
        {"fr_CA", 0x0C0C},       {"fr", 0x040C},          {"zh_CN.GB2312", 0x0804},
        {"zh_TW", 0x0404},       {"ja_JP.UTF-8", 0x0411}, {"ko_KR", 0x0412},
        {"pt_BR", 0x0416},       {"pt_PT", 0x0816},       {"es_XX", 0x0C0A},
        {"POSIX", 0x0409},       {"C.UTF-8", 0x0409},     {"", 0x0409},
        {"xx_YY", 0x0409},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageIdFromLocale(c.locale), c.id) << c.locale;
    EXPECT_EQ(MapEnglishVariant(0x0809), 0x0409u);
    EXPECT_EQ(MapEnglishVariant(0x1004), 0x0409u);
    EXPECT_EQ(MapEnglishVariant(0x0804), 0x0804u);
}

TEST(LanguageIds, EnvironmentOrder) {
    test::XdgSandbox sandbox;
    EXPECT_EQ(SystemDefaultLanguageId(), 0x0409u);
    test::EnvGuard lang("LANG", std::string("fr_FR.UTF-8"));
    EXPECT_EQ(SystemDefaultLanguageId(), 0x040Cu);
    test::EnvGuard messages("LC_MESSAGES", std::string("ja_JP.UTF-8"));
    EXPECT_EQ(SystemDefaultLanguageId(), 0x0411u);
    test::EnvGuard all("LC_ALL", std::string("de_DE.UTF-8"));
    EXPECT_EQ(SystemDefaultLanguageId(), 0x0407u);
}

} // namespace
} // namespace velkarn
