// Names, captions and macro names that come from the language file.
#include "app/localisation.h"
#include "app/path_table.h"
#include "model/key_assignment.h"
#include "model/key_table.h"
#include "model/macro.h"
#include "platform/le.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace velkarn {
namespace {

constexpr const char* kLanguageFile = R"([TEXT]
UNKNOWN_KEY=Key %d
IDS_KEYBOARD_A=A
IDS_KEYBOARD_ESC=
IDS_KEYBOARD_UP=↑
IDS_KEYBOARD_RSHIFT=Right Shift
MEDIA_V_ADD_7=Volume Up
KEY_PROMPT_SET=" -> "
KEY_PROMPT_SINGLE=Key (
KEY_PROMPT_MACRO=Macro (
KEY_PROMPT_MEDIA=Media (
KEY_PROMPT_FUNCTION=Function (
FUNC_KEY_DESC4=Copy
MACRO_NEW_PREFIX="Macro "
)";

class LanguageTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetAppPaths(PathTable::FromFolder(m_program.Path()));
        WriteLanguageFile(kLanguageFile);
    }
    void TearDown() override { SetAppPaths(PathTable::FromExecutable("/nonexistent/velkarn")); }

    void WriteLanguageFile(std::string_view text) { m_program.Write("Lang0409.ini", text); }

    test::XdgSandbox m_sandbox;
    test::TempDir m_program;
};

TEST_F(LanguageTest, KeyNames) {
    struct Case {
        uint32_t code;
        const char* name;
    };
    const Case cases[] = {
        {0x01E, "A"},
        {0x148, "↑"},
        {0x136, "Right Shift"},
        {0x055, "Key 85"},         // empty slot
        {0x064, "Key 100"},        // F13 has no language key
        {0x001, "Key 1"},          // key present, text empty
        {0x201, "Key 513"},        // a G key names no slot
        {0xFFFFFFFF, "Key 65535"}, // a value from a damaged file
        {0x010, "#Error"},         // key missing from the file: the lookup's own default
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyName(c.code), c.name) << std::hex << c.code;
}

TEST_F(LanguageTest, KeyNamesAreCutToTheNameBufferAndFormatsAreSafe) {
    WriteLanguageFile("[TEXT]\nUNKNOWN_KEY=%s %n %d\nIDS_KEYBOARD_A=" + std::string(258, 'x') + "é\n");
    // A translation with extra conversions is shown literally, never formatted.
    EXPECT_EQ(KeyName(0x055), "%s %n %d");
    // 259 characters fit; the language lookup itself already cuts to 259.
    EXPECT_EQ(KeyName(0x01E), std::string(258, 'x') + "é");
    EXPECT_EQ(CutToNameCapacity(std::string(300, 'y')), std::string(259, 'y'));
    std::string wide;
    for (int i = 0; i < 300; ++i)
        wide += "é";
    std::string expected;
    for (int i = 0; i < 259; ++i)
        expected += "é";
    EXPECT_EQ(CutToNameCapacity(wide), expected);
    // A character outside the BMP takes two of the 259; a pair is never split.
    EXPECT_EQ(CutToNameCapacity(std::string(258, 'z') + "😀"), std::string(258, 'z'));
}

TEST_F(LanguageTest, ListNames) {
    EXPECT_EQ(ListName(0x00), "A");
    EXPECT_EQ(ListName(0x67), "Right Shift");
    EXPECT_EQ(ListName(0x6F), "");
    EXPECT_EQ(ListName(0x802D), ""); // F13: no language key
    EXPECT_EQ(ListName(kEmptyListCode), "");
}

TEST_F(LanguageTest, AssignmentCaptions) {
    const auto macroName = [](uint32_t id) { return id == 3 ? std::string("Combo") : std::string(); };
    struct Case {
        uint16_t type;
        uint32_t value;
        const char* text;
        bool assigned;
    };
    const Case cases[] = {
        {kAssignDefault, 0, "G2", false},
        {kAssignDisabled, 0, "G2 -> ", true},
        {kAssignKey, 0x01E, "G2 -> Key (A)", true},
        {kAssignKey, 0x055, "G2 -> Key (Key 85)", true},
        {kAssignProgram, 12, "G2 -> ", true},
        {kAssignMacro, 3, "G2 -> Macro (Combo)", true},
        {kAssignMacro, 4, "G2 -> Macro ()", true},
        {kAssignStopMacro, 0, "G2 -> ", true},
        {kAssignText, 0, "G2 -> ", true},
        {kAssignMedia, 6, "G2 -> Media (Volume Up)", true},
        {kAssignMedia, 99, "G2 -> Media ()", true},
        {kAssignFunction, 3, "G2 -> Function (Copy)", true},
        {kAssignFunction, 11, "G2 -> Function ()", true},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes(kKeyEntrySize, 0);
        const KeyEntryView entry{std::span<uint8_t, kKeyEntrySize>(bytes)};
        entry.SetType(c.type);
        entry.SetValue(c.value);
        const AssignmentCaption caption = AssignmentText("G2", entry, macroName);
        EXPECT_EQ(caption.text, c.text) << c.type << " " << c.value;
        EXPECT_EQ(caption.assigned, c.assigned) << c.type;
    }
}

TEST_F(LanguageTest, DecodedMacrosWithoutNamesTakeTheLanguagePrefix) {
    std::vector<MacroRecord> macros(2);
    macros[0].SetName(u"kept only with names");
    const MacroImageSizes sizes = MacroSizes(macros);
    std::vector<uint8_t> image(sizes.withoutNames);
    ASSERT_TRUE(EncodeMacros(macros, image, false));
    const DecodedMacros decoded = DecodeMacros(image);
    ASSERT_EQ(decoded.macros.size(), 2u);
    EXPECT_EQ(decoded.macros[0].Name(), u"Macro 1");
    EXPECT_EQ(decoded.macros[1].Name(), u"Macro 2");
}

// The shipped language file names every key of the table (F13 has no key).
TEST_F(LanguageTest, TheShippedLanguageFileNamesEveryKey) {
    SetAppPaths(PathTable::FromFolder(std::string(VELKARN_SOURCE_DIR) + "/data"));
    for (int index = 0; index < kKeyTableSize; ++index) {
        const KeyRecord& r = KeyTable()[index];
        if (r.listCode == kEmptyListCode || KeyCodeOf(index) == 0x064)
            continue;
        const std::string name = KeyName(KeyCodeOf(index));
        EXPECT_NE(name, "#Error") << r.languageKey;
        EXPECT_NE(name, KeyName(0x055)) << r.languageKey; // not the unknown-key fallback
    }
    EXPECT_EQ(KeyName(0x055), "Key 85");
    for (const char* key : FunctionNameTable())
        EXPECT_NE(Text(key), "#Error") << key;
    for (const char* key : {"KEY_PROMPT_SET", "KEY_PROMPT_SINGLE", "KEY_PROMPT_MACRO", "KEY_PROMPT_MEDIA",
                            "KEY_PROMPT_FUNCTION", "MACRO_NEW_PREFIX"})
        EXPECT_NE(Text(key), "#Error") << key;
}

} // namespace
} // namespace velkarn
