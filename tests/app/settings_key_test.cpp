#include "app/localisation.h"
#include "app/settings_key.h"
#include "platform/registry_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace velkarn {
namespace {

TEST(SettingsKey, ProfileValuesReadWithDefaultsAndEitherType) {
    test::XdgSandbox sandbox;
    EXPECT_EQ(ReadProfileInt("Flip", 0), 0);
    EXPECT_EQ(ReadProfileString("PROFILE00", "none"), "none");

    ASSERT_TRUE(WriteProfileString("Flip", "1"));
    EXPECT_EQ(ReadProfileInt("flip", 0), 1);
    ASSERT_TRUE(WriteProfileInt("Flip", 0));
    EXPECT_EQ(ReadProfileInt("Flip", 7), 0);
    ASSERT_TRUE(WriteProfileString("Flip", "yes"));
    EXPECT_EQ(ReadProfileInt("Flip", 7), 7);

    ASSERT_TRUE(WriteProfileString("PROFILE01", "/home/u/My \"best\" profile.fwc"));
    EXPECT_EQ(ReadProfileString("profile01", ""), "/home/u/My \"best\" profile.fwc");
    ASSERT_TRUE(WriteProfileString("PROFILE01", std::nullopt));
    EXPECT_EQ(ReadProfileString("PROFILE01", "gone"), "gone");

    OpenSettingsKey();
    EXPECT_TRUE(RegistryFile::User().KeyExists(kSettingsKeyPath));
}

TEST(SettingsKey, MalformedRegistryFileReadsAsDefaultsAndIsKept) {
    test::XdgSandbox sandbox;
    const std::string garbage = "this is not\na registry file\n";
    sandbox.Root().Write("config/velkarn/registry.reg", garbage);
    EXPECT_EQ(ReadProfileInt("Flip", 3), 3);
    EXPECT_EQ(sandbox.Root().Read("config/velkarn/registry.reg"), garbage);

    // The first write (here the language choice) saves the old content aside.
    EXPECT_EQ(GetLanguageId(), 0x0409u);
    EXPECT_EQ(sandbox.Root().Read("config/velkarn/registry.reg.bad"), garbage);
    EXPECT_EQ(RegistryFile::User().ReadDword(kSettingsKeyPath, "dwLanguageId"), 0x0409u);
}

} // namespace
} // namespace velkarn
