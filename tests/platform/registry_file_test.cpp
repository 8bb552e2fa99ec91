#include "platform/registry_file.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace velkarn {
namespace {

using test::TempDir;

constexpr const char* kKey = "Software\\Sorvane Driver";

TEST(RegistryFile, WritesTheExportFormatAndReadsItBack) {
    TempDir dir;
    RegistryFile reg(dir.File("sub/registry.reg"));
    ASSERT_TRUE(reg.WriteDword(kKey, "dwLanguageId", 0x409));
    ASSERT_TRUE(reg.WriteString("Software\\Velkarn_Pelmaro\\PROFILES", "Flip", "0"));
    ASSERT_TRUE(reg.WriteString("Software\\Velkarn_Pelmaro\\PROFILES", "PROFILE01", "C:\\x \"q\".fwc"));
    EXPECT_EQ(dir.Read("sub/registry.reg"), "Windows Registry Editor Version 5.00\n\n"
                                            "[HKEY_CURRENT_USER\\Software\\Sorvane Driver]\n"
                                            "\"dwLanguageId\"=dword:00000409\n\n"
                                            "[HKEY_CURRENT_USER\\Software\\Velkarn_Pelmaro\\PROFILES]\n"
                                            "\"Flip\"=\"0\"\n"
                                            "\"PROFILE01\"=\"C:\\\\x \\\"q\\\".fwc\"\n\n");
    EXPECT_EQ(reg.ReadDword("software\\sorvane driver", "DWLANGUAGEID"), 0x409u);
    EXPECT_EQ(reg.ReadString("Software\\Velkarn_Pelmaro\\PROFILES", "profile01"), "C:\\x \"q\".fwc");

    ASSERT_TRUE(reg.WriteDword(kKey, "dwLanguageId", 0xFFFFFFFFu));
    EXPECT_EQ(reg.ReadDword(kKey, "dwLanguageId"), 0xFFFFFFFFu);
}

TEST(RegistryFile, ValueOfAnotherTypeReadsAsMissingAndIsKeptOnRewrite) {
    TempDir dir;
    const std::string path = dir.Write("r.reg", "Windows Registry Editor Version 5.00\r\n\r\n"
                                                "[HKEY_CURRENT_USER\\Software\\Sorvane Driver]\r\n"
                                                "\"dwLanguageId\"=\"409\"\r\n"
                                                "\"Blob\"=hex:01,02,\\\r\n  03,04\r\n"
                                                "@=\"default\"\r\n");
    RegistryFile reg(path);
    EXPECT_EQ(reg.ReadDword(kKey, "dwLanguageId"), std::nullopt);
    EXPECT_EQ(reg.ReadString(kKey, "dwLanguageId"), "409");
    EXPECT_EQ(reg.ReadDword(kKey, "Blob"), std::nullopt);
    EXPECT_EQ(reg.ReadString(kKey, "Blob"), std::nullopt);
    EXPECT_EQ(reg.ReadString(kKey, ""), "default");

    ASSERT_TRUE(reg.WriteDword(kKey, "dwLanguageId", 0));
    EXPECT_EQ(reg.ReadDword(kKey, "dwLanguageId"), 0u);
    EXPECT_EQ(dir.Read("r.reg"), "Windows Registry Editor Version 5.00\n\n"
                                 "[HKEY_CURRENT_USER\\Software\\Sorvane Driver]\n"
                                 "\"dwLanguageId\"=dword:00000000\n"
                                 "\"Blob\"=hex:01,02,03,04\n"
                                 "@=\"default\"\n\n");
}

TEST(RegistryFile, MalformedFileReadsEmptyAndIsSavedByTheNextWrite) {
    const char* bad[] = {
        "not a registry file\n",
        "Windows Registry Editor Version 5.00\n\"orphan\"=dword:1\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Sorvane Driver]\n\"x\"=\"open\n",
        "Windows Registry Editor Version 5.00\n[HKEY_CURRENT_USER\\Software\\Sorvane "
        "Driver]\n\"x\"=dwurd:1\n",
    };
    for (const char* content : bad) {
        TempDir dir;
        const std::string path = dir.Write("r.reg", content);
        RegistryFile reg(path);
        EXPECT_EQ(reg.ReadDword(kKey, "x"), std::nullopt) << content;
        EXPECT_FALSE(reg.KeyExists(kKey)) << content;
        EXPECT_EQ(dir.Read("r.reg"), content);
        ASSERT_TRUE(reg.WriteDword(kKey, "x", 5)) << content;
        EXPECT_EQ(dir.Read("r.reg.bad"), content);
        EXPECT_EQ(reg.ReadDword(kKey, "x"), 5u);
    }
}

TEST(RegistryFile, ReadsARegeditExportInUtf16) {
    TempDir dir;
    const std::u16string text = u"Windows Registry Editor Version 5.00\r\n\r\n"
                                u"[HKEY_CURRENT_USER\\Software\\Sorvane Driver]\r\n"
                                u"\"dwLanguageId\"=dword:00000407\r\n";
    std::string bytes = "\xFF\xFE";
    for (const char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    RegistryFile reg(dir.Write("r.reg", bytes));
    EXPECT_EQ(reg.ReadDword(kKey, "dwLanguageId"), 0x407u);
}

TEST(RegistryFile, RefusesLineBreaksAndDeletesValues) {
    TempDir dir;
    RegistryFile reg(dir.File("r.reg"));
    EXPECT_FALSE(reg.WriteString(kKey, "a", "x\n[HKEY_CURRENT_USER\\Evil]"));
    EXPECT_FALSE(reg.WriteDword(kKey, "a\nb", 1));
    ASSERT_TRUE(reg.WriteString(kKey, "a", "1"));
    ASSERT_TRUE(reg.DeleteValue(kKey, "A"));
    EXPECT_EQ(reg.ReadString(kKey, "a"), std::nullopt);
    EXPECT_TRUE(reg.KeyExists(kKey));
}

TEST(RegistryFile, DefaultPathFollowsXdgConfigHome) {
    test::XdgSandbox sandbox;
    EXPECT_EQ(DefaultRegistryPath(), sandbox.ConfigHome() + "/velkarn/registry.reg");
    test::EnvGuard unset("XDG_CONFIG_HOME", std::nullopt);
    EXPECT_EQ(DefaultRegistryPath(), sandbox.Root().File("home") + "/.config/velkarn/registry.reg");
}

} // namespace
} // namespace velkarn
