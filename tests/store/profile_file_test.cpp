// The profile file on disk: import checks, load, save, export and import,
// the store file's folder, and reading the keyboard into a file.
#include "platform/le.h"
#include "store/profile_file.h"
#include "store_fixture.h"

#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace velkarn::test {
namespace {

std::string Bytes(const std::vector<uint8_t>& v) {
    return std::string(v.begin(), v.end());
}

std::vector<uint8_t> ToBytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

// A valid file image with `macros` zero records and an empty pool.
std::vector<uint8_t> ValidFile(uint16_t macros = 0) {
    std::vector<uint8_t> image(ProfileTotalSize(macros, 0), 0);
    const auto block = MakeDefaultBlock(0);
    std::copy(block->Bytes().begin(), block->Bytes().end(), image.begin());
    WriteFileHeader(image, macros, 0, 0);
    return image;
}

class ProfileFileTest : public StoreTest {
protected:
    // Puts a few entries, texts, macros and a marked area 3 into the store.
    void FillStore() {
        ProfileBlock& block = *m_store->Block();
        block.AreaView(0).Entry(0x1E).SetType(2);
        block.AreaView(0).Entry(0x1E).SetValue(0x30);
        block.AreaView(1).Entry(5).SetType(6);
        block.AreaView(2).Entry(300).SetType(3);
        block.AreaView(2).Entry(300).SetMark(1);
        for (size_t i = 0; i < kKeyMapAreaSize; ++i)
            block.Area(3)[i] = static_cast<uint8_t>(i * 7 + 3);
        m_store->Texts().Set(TextSlotIndex(1, 5), u"typed text");
        m_store->Texts().Set(TextSlotIndex(2, 300), u"/usr/bin/true");
        m_store->Macros() = {MakeMacro(1, 4, u"first"), MakeMacro(7, 30, u"second")};
    }

    std::string Export(const std::string& name) {
        const std::string path = m_sandbox.Root().File(name);
        m_prompts.paths.push_back(path);
        ExportProfileFile(*m_store, m_prompts);
        return path;
    }
};

TEST_F(ProfileFileTest, ImportCheckResultsAndMessages) {
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        int result;
        bool formatMessage;
    };
    auto flagOne = ValidFile();
    flagOne[30] = 1;
    flagOne[31] = HeaderChecksum(flagOne);
    auto flagTwo = ValidFile();
    flagTwo[30] = 2;
    flagTwo[31] = HeaderChecksum(flagTwo);
    auto entries = ValidFile();
    le::PutU16(entries, 12, 2049);
    entries[31] = HeaderChecksum(entries);
    auto total = ValidFile();
    le::PutU32(total, 8, 32833);
    total[31] = HeaderChecksum(total);
    auto checksum = ValidFile();
    checksum[31] ^= 0x80;
    auto longer = ValidFile();
    longer.resize(longer.size() + 100, 0xAB);
    auto hundredOne = ValidFile(101);
    hundredOne[14] = 101;
    const Case cases[] = {
        {"32831 bytes", std::vector<uint8_t>(kProfileBlockSize - 1, 0), 0, false},
        {"32832 bytes", ValidFile(), 1, false},
        {"100 macros", ValidFile(100), 1, false},
        {"101 macros", hundredOne, 0, true},
        {"flag byte 1", flagOne, 1, false},
        {"flag byte 2", flagTwo, 0, true},
        {"entry count", entries, 0, true},
        {"total size", total, 0, true},
        {"checksum", checksum, 0, true},
        {"longer file", longer, 1, false},
    };
    for (const auto& c : cases) {
        m_prompts.calls.clear();
        const std::string path =
            m_sandbox.Root().Write(std::string("check/") + c.name + ".fwc", Bytes(c.bytes));
        EXPECT_EQ(CheckProfileFile(path, m_prompts), c.result) << c.name;
        const std::vector<std::string> expected =
            c.formatMessage ? std::vector<std::string>{"ok:PROFILE_FORMAT_ERROR " + path}
                            : std::vector<std::string>{};
        EXPECT_EQ(m_prompts.Messages(), expected) << c.name;
    }
    EXPECT_EQ(CheckProfileFile(m_sandbox.Root().File("missing.fwc"), m_prompts), 0);
}

TEST_F(ProfileFileTest, ReadOnlyFileCanBeChecked) {
    const std::string path = m_sandbox.Root().Write("readonly.fwc", Bytes(ValidFile()));
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_EQ(CheckProfileFile(path, m_prompts), 1);
    EXPECT_TRUE(LoadProfileFile(*m_store, path));
}

TEST_F(ProfileFileTest, ImportOfARefusedFileLeavesEverythingAlone) {
    FillStore();
    CreateStoreFile();
    ASSERT_TRUE(SaveProfileStoreFile(*m_store, true));
    const auto storeFile = ReadWholeFile(StoreFilePath());
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        std::vector<std::string> messages;
    };
    auto badChecksum = ValidFile();
    badChecksum[31] ^= 1;
    const std::string badPath = m_sandbox.Root().File("import/bad.fwc");
    // Passes the header test but lacks the macro records it counts.
    auto truncated = ValidFile(1);
    truncated.resize(truncated.size() - 1);
    const Case cases[] = {
        {"32831 bytes", std::vector<uint8_t>(kProfileBlockSize - 1, 0), {"ok:MAIN_PROMPT_INPORT"}},
        {"bad", badChecksum, {"ok:PROFILE_FORMAT_ERROR " + badPath, "ok:MAIN_PROMPT_INPORT"}},
        {"truncated",
         truncated,
         {"ok:PROFILE_FORMAT_ERROR " + m_sandbox.Root().File("import/truncated.fwc"),
          "ok:MAIN_PROMPT_INPORT"}},
    };
    for (const auto& c : cases) {
        m_prompts.calls.clear();
        m_keyboard.log.clear();
        const std::string path =
            m_sandbox.Root().Write(std::string("import/") + c.name + ".fwc", Bytes(c.bytes));
        m_prompts.paths.push_back(path);
        ImportProfileFile(*m_store, m_prompts);
        EXPECT_EQ(m_prompts.Messages(), c.messages) << c.name;
        EXPECT_TRUE(m_keyboard.log.empty()) << c.name;
        EXPECT_EQ(m_store->MacroCount(), 2) << c.name;
        EXPECT_EQ(ReadWholeFile(StoreFilePath()), storeFile) << c.name;
    }
    // Cancelling the dialog does nothing at all.
    m_prompts.calls.clear();
    ImportProfileFile(*m_store, m_prompts);
    EXPECT_EQ(m_prompts.calls.size(), 1u);
    EXPECT_EQ(m_prompts.calls[0].request.defaultExtension, "fwc");
    EXPECT_EQ(m_prompts.calls[0].request.initialName, "*.fwc");
    EXPECT_EQ(m_prompts.calls[0].request.filter, "(*.fwc)|*.fwc|(*.*)|*.*||");
}

TEST_F(ProfileFileTest, SavingTwiceGivesIdenticalFiles) {
    FillStore();
    const std::string first = m_sandbox.Root().File("first.fwc");
    const std::string second = m_sandbox.Root().File("second.fwc");
    ASSERT_TRUE(SaveProfileFileAs(*m_store, true, first));
    ASSERT_TRUE(SaveProfileFileAs(*m_store, true, second));
    const auto a = ReadWholeFile(first);
    ASSERT_TRUE(a);
    EXPECT_EQ(a, ReadWholeFile(second));
    const auto bytes = ToBytes(*a);
    // 22 + 28 bytes of text, two macros.
    EXPECT_EQ(le::U16(bytes, 14), 2);
    EXPECT_EQ(le::U32(bytes, 16), 50u);
    EXPECT_EQ(bytes.size(), ProfileTotalSize(2, 50));
    EXPECT_EQ(le::U32(bytes, 8), bytes.size());
}

TEST_F(ProfileFileTest, TextOfAResetEntryIsLeftOutButStillCounted) {
    FillStore();
    // Resetting the key leaves its slot occupied.
    m_store->Block()->AreaView(1).Entry(5).Clear();
    EXPECT_FALSE(m_store->Texts().Slot(TextSlotIndex(1, 5)).Empty());
    const std::string path = m_sandbox.Root().File("reset.fwc");
    ASSERT_TRUE(SaveProfileFileAs(*m_store, true, path));
    const auto bytes = ToBytes(*ReadWholeFile(path));
    const uint32_t pool = le::U32(bytes, 16);
    EXPECT_EQ(pool, 50u);
    const size_t poolStart = bytes.size() - pool;
    // Only "/usr/bin/true" (28 bytes) is written, at offset 0; the rest is zero.
    EXPECT_EQ(bytes[poolStart], '/');
    EXPECT_TRUE(std::all_of(bytes.begin() + static_cast<long>(poolStart) + 28, bytes.end(),
                            [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(le::U32(bytes, 64 + (2 * 512 + 300) * 16 + 4), 0u);
}

TEST_F(ProfileFileTest, ExportAndReimportKeepEveryEntryMacroAndArea3) {
    FillStore();
    const std::string path = Export("export.fwc");
    ASSERT_EQ(m_prompts.calls.back().kind, "save");
    EXPECT_TRUE(m_prompts.calls.back().request.confirmOverwrite);
    const ProfileBlock before = *m_store->Block();
    const auto macrosBefore = m_store->Macros();

    // Another store imports it; the import downloads all three profiles.
    CreateStoreFile();
    m_keyboard.SetActiveProfile(1);
    ProfileStore other(m_keyboard);
    m_prompts.paths.push_back(path);
    ImportProfileFile(other, m_prompts);
    EXPECT_TRUE(std::equal(before.Bytes().begin(), before.Bytes().end(), other.Block()->Bytes().begin()));
    ASSERT_EQ(other.MacroCount(), 2);
    for (size_t i = 0; i < 2; ++i)
        EXPECT_TRUE(std::ranges::equal(other.Macros()[i].Bytes(), macrosBefore[i].Bytes()));
    EXPECT_EQ(other.Texts().Slot(TextSlotIndex(1, 5)).text, u"typed text");
    EXPECT_EQ(other.Texts().Slot(TextSlotIndex(2, 300)).text, u"/usr/bin/true");
    EXPECT_EQ(other.Texts().Total(), 50);
    // The store file now holds the imported contents, area 3 byte for byte.
    const auto storeFile = ToBytes(*ReadWholeFile(StoreFilePath()));
    EXPECT_TRUE(std::equal(before.Area(3).begin(), before.Area(3).end(),
                           storeFile.begin() + static_cast<long>(KeyMapAreaOffset(3))));
    const std::vector<std::string> sent = {"BeginUpdate",    "WriteMacroArea", "WriteKeyMap(0)",
                                           "WriteKeyMap(1)", "WriteKeyMap(2)", "EndUpdate"};
    EXPECT_EQ(m_keyboard.Names(), sent);
}

TEST_F(ProfileFileTest, TextOffsetsAreRepackedInSlotOrder) {
    // Texts that arrive with offsets out of slot order come back packed.
    auto image = ValidFile();
    const std::u16string a = u"second in pool";
    const std::u16string b = u"first";
    std::vector<uint8_t> pool;
    for (const auto& text : {b, a}) {
        for (char16_t c : text) {
            pool.push_back(static_cast<uint8_t>(c));
            pool.push_back(static_cast<uint8_t>(c >> 8));
        }
        pool.insert(pool.end(), {0, 0});
    }
    le::PutU16(image, 64 + 10 * 16, 6);
    le::PutU32(image, 64 + 10 * 16 + 4, 12); // "second in pool" at 12
    le::PutU16(image, 64 + 20 * 16, 6);
    le::PutU32(image, 64 + 20 * 16 + 4, 0); // "first" at 0
    image.insert(image.end(), pool.begin(), pool.end());
    WriteFileHeader(image, 0, static_cast<uint32_t>(pool.size()), 0);
    const std::string in = m_sandbox.Root().Write("texts.fwc", Bytes(image));
    ASSERT_TRUE(LoadProfileFile(*m_store, in));
    const std::string out = m_sandbox.Root().File("texts-out.fwc");
    ASSERT_TRUE(SaveProfileFileAs(*m_store, true, out));
    const auto saved = ToBytes(*ReadWholeFile(out));
    EXPECT_EQ(le::U32(saved, 64 + 10 * 16 + 4), 0u);
    EXPECT_EQ(le::U32(saved, 64 + 20 * 16 + 4), 30u);
}

TEST_F(ProfileFileTest, FailedLoadFallsBackToADefaultBlock) {
    FillStore();
    auto shortFile = ValidFile(2);
    shortFile.resize(shortFile.size() - 1);
    const std::string path = m_sandbox.Root().Write("short.fwc", Bytes(shortFile));
    m_store->Empty();
    EXPECT_FALSE(LoadProfileFile(*m_store, path));
    ASSERT_NE(m_store->Block(), nullptr);
    const auto fresh = MakeDefaultBlock(0);
    EXPECT_TRUE(std::ranges::equal(m_store->Block()->Bytes(), fresh->Bytes()));
    EXPECT_EQ(m_store->MacroCount(), 0);
    EXPECT_FALSE(LoadProfileFile(*m_store, m_sandbox.Root().File("missing")));
    EXPECT_NE(m_store->Block(), nullptr);
}

TEST_F(ProfileFileTest, StoreFileIsOnlyRewrittenOnceItExists) {
    EXPECT_FALSE(SaveProfileStoreFile(*m_store, true));
    EXPECT_FALSE(ReadWholeFile(StoreFilePath()));
    // Asking for the path made the data folder and seeded the user modes.
    EXPECT_EQ(ReadWholeFile(DataFolderPath() + "/UserDengColor_2.userd"),
              m_program.Read("Skins/UserDengColor_3.userd"));
    CreateStoreFile();
    EXPECT_TRUE(SaveProfileStoreFile(*m_store, true));
    EXPECT_EQ(ReadWholeFile(StoreFilePath())->size(), kProfileBlockSize);
}

TEST_F(ProfileFileTest, ExistingDataFolderIsNotReseeded) {
    EnsureDataFolder();
    ASSERT_TRUE(WriteWholeFile(DataFolderPath() + "/UserDengColor_0.userd", "mine"));
    EnsureDataFolder();
    EXPECT_EQ(ReadWholeFile(DataFolderPath() + "/UserDengColor_0.userd"), "mine");
    EXPECT_EQ(ProfileStoreFilePath(2), StoreFilePath());
}

TEST_F(ProfileFileTest, ShippedFixturesLoad) {
    const std::string empty = std::string(VELKARN_TEST_DATA_DIR) + "/store/empty_profile.fwc";
    EXPECT_EQ(CheckProfileFile(empty, m_prompts), 1);
    ASSERT_TRUE(LoadProfileFile(*m_store, empty));
    EXPECT_TRUE(std::ranges::equal(m_store->Block()->Bytes(), MakeDefaultBlock(0)->Bytes()));
    // Key A types a text whose entry names the odd offset 1.
    const std::string text = std::string(VELKARN_TEST_DATA_DIR) + "/store/text_entry.fwc";
    EXPECT_EQ(CheckProfileFile(text, m_prompts), 1);
    ASSERT_TRUE(LoadProfileFile(*m_store, text));
    EXPECT_EQ(m_store->Texts().Slot(0x1E).text, u"notepad");
    EXPECT_EQ(m_store->Texts().Total(), 16);
}

TEST_F(ProfileFileTest, NewBlockFileWritesAnEmptyProfile) {
    const std::string path = m_sandbox.Root().File("empty.fwc");
    EXPECT_EQ(m_store->NewBlockFile(path, 0), 1);
    EXPECT_EQ(CheckProfileFile(path, m_prompts), 1);
    EXPECT_EQ(m_store->NewBlockFile(m_sandbox.Root().File("no/such/folder/x.fwc"), 0), 0);
}

} // namespace
} // namespace velkarn::test
