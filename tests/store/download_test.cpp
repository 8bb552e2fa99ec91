// The download of key maps and macros, and the reload of the store from the
// keyboard, against the simulated keyboard.
#include "platform/le.h"
#include "sim_store_fixture.h"
#include "store/profile_file.h"

#include <gtest/gtest.h>

namespace velkarn::test {
namespace {

constexpr int kBeginUpdate = 0x01;
constexpr int kEndUpdate = 0x02;
constexpr int kReadStatus = 0x03;
constexpr int kWriteKeyMap = 0x08;
constexpr int kWriteMacroArea = 0x0A;
constexpr int kPositionOfA = 19; // built-in default: 02 02 04

pylonet_sim::SimMemory MemoryWithActiveProfile(int profile) {
    auto memory = pylonet_sim::FactoryMemory();
    memory.status[pylonet_sim::kStatusActiveProfile] = static_cast<uint8_t>(profile);
    return memory;
}

std::vector<int> KeyMapOffsets(const std::vector<pylonet_sim::Report>& reports) {
    std::vector<int> offsets;
    for (const auto& r : reports)
        if (r[3] == kWriteKeyMap)
            offsets.push_back(r[5] | (r[6] << 8));
    return offsets;
}

std::vector<int> Offsets(int bank) {
    std::vector<int> offsets;
    for (int s = 0; s < 512; s += 56)
        offsets.push_back(bank * 512 + s);
    return offsets;
}

// Key A of area `profile` acts as B.
void RemapAToB(ProfileStore& store, int profile) {
    auto entry = store.Block()->AreaView(profile).Entry(0x1E);
    entry.SetType(2);
    entry.SetValue(0x30);
}

std::array<uint8_t, 3> BankAction(const pylonet_sim::SimMemory& memory, int bank, int position) {
    const size_t at = static_cast<size_t>(bank) * 512 + static_cast<size_t>(position) * 3;
    return {memory.keyMaps[at], memory.keyMaps[at + 1], memory.keyMaps[at + 2]};
}

using Action = std::array<uint8_t, 3>;

TEST_F(SimStoreTest, ApplySendsOnlyTheActiveProfilesBank) {
    Bind(MemoryWithActiveProfile(1));
    const auto before = m_sim->Memory();
    for (int p = 0; p < 3; ++p)
        RemapAToB(*m_simStore, p);
    EXPECT_EQ(m_simStore->MakeDownloadCopy(0, m_prompts), 1);
    EXPECT_EQ(Commands(),
              (std::vector<int>{kReadStatus, kBeginUpdate, kWriteMacroArea, kWriteKeyMap, kEndUpdate}));
    EXPECT_EQ(KeyMapOffsets(m_sim->Received()), Offsets(1));
    const auto after = m_sim->Memory();
    EXPECT_EQ(BankAction(after, 1, kPositionOfA), (Action{0x02, 0x02, 0x05}));
    EXPECT_EQ(BankAction(after, 0, kPositionOfA), BankAction(before, 0, kPositionOfA));
    EXPECT_EQ(BankAction(after, 2, kPositionOfA), BankAction(before, 2, kPositionOfA));
    EXPECT_TRUE(m_prompts.Messages().empty());
}

TEST_F(SimStoreTest, ImportSendsAllThreeBanksInOrderAfterOneMacroWrite) {
    Bind();
    RemapAToB(*m_simStore, 2);
    EXPECT_EQ(m_simStore->MakeDownloadCopy(1, m_prompts), 1);
    EXPECT_EQ(Commands(), (std::vector<int>{kBeginUpdate, kWriteMacroArea, kWriteKeyMap, kEndUpdate}));
    std::vector<int> expected;
    for (int bank = 0; bank < 3; ++bank)
        for (int offset : Offsets(bank))
            expected.push_back(offset);
    EXPECT_EQ(KeyMapOffsets(m_sim->Received()), expected);
    const auto memory = m_sim->Memory();
    EXPECT_EQ(BankAction(memory, 2, kPositionOfA), (Action{0x02, 0x02, 0x05}));
    EXPECT_EQ(BankAction(memory, 0, kPositionOfA), (Action{0x02, 0x02, 0x04}));
    // An empty macro table still goes as an image: magic, 16 bytes, no macros.
    EXPECT_EQ(le::U16(memory.macro, 0), 0x55AA);
    EXPECT_EQ(le::U16(memory.macro, 2), 16);
}

TEST_F(SimStoreTest, MacrosBeyondTheCapacitySendNothing) {
    Bind();
    m_simStore->Macros() = {MakeMacro(1, 2000, u"a"), MakeMacro(2, 2000, u"b")};
    EXPECT_EQ(m_simStore->MakeDownloadCopy(1, m_prompts), 0);
    EXPECT_TRUE(m_sim->Received().empty());
    EXPECT_EQ(m_prompts.Messages(), std::vector<std::string>{"topmost:EXTRA_MACRO_TOO_LONG"});
}

TEST_F(SimStoreTest, TightFitSendsMacrosWithoutNamesAndSaysSoAfterwards) {
    Bind(MemoryWithActiveProfile(0));
    // 16 + 2 + 4 + 8000 = 8022 bytes without names fit the 8192 bytes of the
    // factory keyboard; the 249-character name adds 498 and does not.
    const std::u16string name(249, u'n');
    m_simStore->Macros() = {MakeMacro(1, 2000, name)};
    m_simStore->Block()->AreaView(0).Entry(0x1E).SetType(4);
    m_simStore->Block()->AreaView(0).Entry(0x1E).SetValue(1);
    std::vector<int> commandsWhenShown;
    m_prompts.onTopmost = [&] { commandsWhenShown = Commands(); };
    EXPECT_EQ(m_simStore->MakeDownloadCopy(0, m_prompts), 1);
    EXPECT_EQ(m_prompts.Messages(), std::vector<std::string>{"topmost:EXTRA_PROFILE_SPACE_TIGHT"});
    EXPECT_EQ(commandsWhenShown,
              (std::vector<int>{kReadStatus, kBeginUpdate, kWriteMacroArea, kWriteKeyMap, kEndUpdate}));
    const auto memory = m_sim->Memory();
    EXPECT_EQ(le::U16(memory.macro, 0), 0x55AA);
    EXPECT_EQ(le::U16(memory.macro, 2), 8022);
    EXPECT_EQ(le::U16(memory.macro, 4), 1);
    EXPECT_EQ(le::U16(memory.macro, 6), 0); // no names
    EXPECT_EQ(BankAction(memory, 0, kPositionOfA), (Action{0x05, 0x01, 0x00}));
}

TEST_F(SimStoreTest, ReloadWithoutAKeyboardGivesADefaultBlock) {
    Bind(pylonet_sim::FactoryMemory(), false);
    RemapAToB(*m_simStore, 0);
    m_simStore->Macros() = {MakeMacro(1, 3, u"m")};
    ReloadFromKeyboard(*m_simStore, false);
    EXPECT_TRUE(std::ranges::equal(m_simStore->Block()->Bytes(), MakeDefaultBlock(0)->Bytes()));
    EXPECT_EQ(m_simStore->MacroCount(), 0);
    EXPECT_EQ(m_view.refreshAll, 1);
    EXPECT_EQ(m_view.apply, std::vector<bool>{false});
    EXPECT_FALSE(ReadWholeFile(StoreFilePath()));
}

TEST_F(SimStoreTest, KeyboardWithoutMacroMagicGivesAFileWithoutMacros) {
    Bind();
    ReloadFromKeyboard(*m_simStore, true);
    const auto file = ReadWholeFile(StoreFilePath());
    ASSERT_TRUE(file);
    ASSERT_EQ(file->size(), kProfileBlockSize);
    const std::vector<uint8_t> bytes(file->begin(), file->end());
    EXPECT_EQ(le::U32(bytes, 8), 32832u);
    EXPECT_EQ(le::U16(bytes, 14), 0);
    EXPECT_EQ(le::U16(bytes, 32), 0x484B); // a fresh device descriptor
    EXPECT_EQ(m_simStore->MacroCount(), 0);
    EXPECT_TRUE(m_view.apply.empty());
    // The factory keyboard's banks equal its defaults: every key at type 0.
    EXPECT_EQ(m_simStore->Block()->AreaView(1).Entry(0x1E).Type(), 0);
    EXPECT_EQ(m_simStore->Block()->AreaView(0).Entry(256).Code(), 0x0301);
    EXPECT_EQ(m_simStore->Block()->AreaView(2).Entry(273).Code(), 0x1309);
}

TEST_F(SimStoreTest, DownloadThenReloadBringsAssignmentsAndMacrosBack) {
    Bind(MemoryWithActiveProfile(2));
    RemapAToB(*m_simStore, 1);
    m_simStore->Macros() = {MakeMacro(5, 4, u"alpha"), MakeMacro(9, 2, u"beta")};
    auto entry = m_simStore->Block()->AreaView(1).Entry(0x30); // B plays "beta"
    entry.SetType(4);
    entry.SetValue(9);
    ASSERT_EQ(m_simStore->MakeDownloadCopy(1, m_prompts), 1);

    ReloadFromKeyboard(*m_simStore, false);
    const auto area = m_simStore->Block()->AreaView(1);
    EXPECT_EQ(area.Entry(0x1E).Type(), 2);
    EXPECT_EQ(area.Entry(0x1E).Value(), 0x30u);
    EXPECT_EQ(area.Entry(0x30).Type(), 4);
    EXPECT_EQ(area.Entry(0x30).Value(), 2u); // ids are renumbered in slot order
    ASSERT_EQ(m_simStore->MacroCount(), 2);
    EXPECT_EQ(m_simStore->Macros()[1].Name(), u"beta");
    EXPECT_EQ(m_simStore->Macros()[1].ActionCount(), 2);
    EXPECT_EQ(m_simStore->Block()->AreaView(0).Entry(0x1E).Type(), 0);
}

TEST_F(SimStoreTest, FailedKeyboardReadLeavesTheStoreFileWhole) {
    Bind();
    ReloadFromKeyboard(*m_simStore, true);
    const auto good = ReadWholeFile(StoreFilePath());
    ASSERT_TRUE(good);
    m_sim->SetFaults(FaultsOf("status=ff"));
    RemapAToB(*m_simStore, 0);
    ReloadFromKeyboard(*m_simStore, true);
    EXPECT_EQ(ReadWholeFile(StoreFilePath()), good);
    EXPECT_TRUE(std::ranges::equal(m_simStore->Block()->Bytes(), MakeDefaultBlock(0)->Bytes()));
}

TEST_F(SimStoreTest, UnknownActiveProfileSendsNoKeyMap) {
    Bind();
    m_sim->SetFaults(FaultsOf("status=ff"));
    EXPECT_EQ(m_simStore->MakeDownloadCopy(0, m_prompts), 0);
    EXPECT_EQ(Commands(), std::vector<int>{kReadStatus});
}

} // namespace
} // namespace velkarn::test
