// The store's own operations: the active-profile cache, the reset of the
// current profile's keys, the text slots that outlive their entries.
#include "model/key_button_table.h"
#include "store/profile_file.h"
#include "store_fixture.h"

#include <gtest/gtest.h>
#include <thread>

namespace velkarn::test {
namespace {

class ProfileStoreTest : public StoreTest {};

TEST_F(ProfileStoreTest, ActiveProfileIsAskedForOnceAndCached) {
    m_keyboard.SetActiveProfile(2);
    EXPECT_EQ(m_store->GetActiveProfile(), 2);
    EXPECT_EQ(m_store->GetActiveProfile(), 2);
    EXPECT_EQ(m_keyboard.Names(), std::vector<std::string>{"ReadStatus"});
    m_store->InvalidateActiveProfile();
    m_keyboard.SetActiveProfile(0);
    EXPECT_EQ(m_store->GetActiveProfile(), 0);
    EXPECT_EQ(m_keyboard.log.size(), 2u);
}

TEST_F(ProfileStoreTest, NoKeyboardMeansUnknownEveryTime) {
    struct Case {
        const char* name;
        bool present;
        std::string fail;
        int reported;
    };
    const Case cases[] = {
        {"no keyboard", false, "", 0},
        {"status fails", true, "ReadStatus", 0},
        {"profile out of range", true, "", 3},
    };
    for (const auto& c : cases) {
        m_keyboard.log.clear();
        m_keyboard.present = c.present;
        m_keyboard.failCommand = c.fail;
        m_keyboard.SetActiveProfile(c.reported);
        EXPECT_EQ(m_store->GetActiveProfile(), -1) << c.name;
        EXPECT_EQ(m_store->GetActiveProfile(), -1) << c.name;
        EXPECT_EQ(m_keyboard.log.size(), 2u) << c.name;
        EXPECT_EQ(m_keyboard.cache, -1) << c.name;
    }
}

TEST_F(ProfileStoreTest, LightingRefreshReadsTheStatusThenTheThreeRecords) {
    for (size_t i = 0; i < m_keyboard.lighting.size(); ++i)
        m_keyboard.lighting[i] = static_cast<uint8_t>(i);
    m_keyboard.status[12] = 20;
    ASSERT_TRUE(m_store->RefreshLightingMirror());
    EXPECT_EQ(m_keyboard.Names(), (std::vector<std::string>{"ReadStatus", "BeginUpdate", "ReadLightingTable",
                                                             "ReadLightingTable", "ReadLightingTable",
                                                             "EndUpdate"}));
    EXPECT_EQ(m_store->Status().bytes[12], 20);
    for (int p = 0; p < 3; ++p) {
        EXPECT_EQ(m_store->Lighting(p).bytes.front(), p * 42) << p;
        EXPECT_EQ(m_store->Lighting(p).bytes.back(), p * 42 + 41) << p;
    }

    // A status read that fails reads nothing more and keeps the mirrors.
    m_keyboard.log.clear();
    m_keyboard.failCommand = "ReadStatus";
    m_keyboard.lighting.fill(0xEE);
    EXPECT_FALSE(m_store->RefreshLightingMirror());
    EXPECT_EQ(m_keyboard.Names(), std::vector<std::string>{"ReadStatus"});
    EXPECT_EQ(m_store->Lighting(1).bytes.front(), 42);
}

TEST_F(ProfileStoreTest, ResetClearsTheCurrentBankAndTheDrawnKeysOnly) {
    m_keyboard.SetActiveProfile(1);
    m_keyboard.bank = 1;
    auto area = m_store->Block()->AreaView(1);
    for (int e = 0; e < 512; ++e) {
        area.Entry(e).SetType(2);
        area.Entry(e).SetValue(0x1E);
    }
    area.Entry(0x1E).SetType(6);
    m_store->Texts().Set(TextSlotIndex(1, 0x1E), u"kept");
    m_store->ResetCurrentProfileKeys();

    for (int e = 256; e < 265; ++e)
        EXPECT_EQ(area.Entry(e).Type(), 2) << e;
    for (int e = 265; e < 274; ++e)
        EXPECT_TRUE(std::ranges::all_of(area.Entry(e).Bytes(), [](uint8_t b) { return b == 0; })) << e;
    for (const KeyButton& key : KeyButtonTable())
        EXPECT_EQ(area.Entry(key.entry).Type(), 0) << key.caption;
    // Entry 0x54 belongs to no drawn key and keeps its assignment.
    EXPECT_EQ(area.Entry(0x54).Type(), 2);
    EXPECT_EQ(m_store->Block()->AreaView(0).Entry(0x1E).Type(), 0);
    EXPECT_EQ(m_store->Texts().Slot(TextSlotIndex(1, 0x1E)).text, u"kept");
    EXPECT_EQ(m_view.refreshed.size(), 9u + 104u);
    EXPECT_EQ(m_view.refreshed.front(), 1000);
    EXPECT_EQ(m_view.refreshed[9], KeyButtonTable()[0].controlId);
    EXPECT_EQ(m_view.apply, std::vector<bool>{true});
}

TEST_F(ProfileStoreTest, ResetWithoutAKeyboardTouchesNothing) {
    m_keyboard.present = false;
    m_store->Block()->AreaView(0).Entry(0x1E).SetType(1);
    m_store->ResetCurrentProfileKeys();
    EXPECT_EQ(m_store->Block()->AreaView(0).Entry(0x1E).Type(), 1);
    EXPECT_TRUE(m_view.refreshed.empty());
    EXPECT_TRUE(m_view.apply.empty());
    EXPECT_TRUE(m_store->EntryOf(-1, 0x1E).empty());
    EXPECT_TRUE(m_store->EntryOf(4, 0).empty());
    EXPECT_TRUE(m_store->EntryOf(0, 512).empty());
    EXPECT_EQ(m_store->EntryOf(3, 511).size(), 16u);
}

TEST_F(ProfileStoreTest, DownloadCopyWalksSlotsAndSetsLiveOffsets) {
    ProfileBlock& block = *m_store->Block();
    block.Entry(10).SetType(3);
    block.Entry(600).SetType(6);
    block.Entry(600).SetValue(77);
    m_store->Texts().Set(10, u"abc"); // 8 bytes
    m_store->Texts().Set(600, u"xy"); // 6 bytes
    m_store->Texts().ForceTotal(10);  // the second text no longer fits
    m_keyboard.SetActiveProfile(0);
    EXPECT_EQ(m_store->MakeDownloadCopy(0, m_prompts), 1);
    std::lock_guard lock(m_store->DownloadLock());
    const DownloadCopy& copy = m_store->LastDownloadCopy();
    EXPECT_EQ(copy.textTotal, 10);
    EXPECT_EQ(copy.textPool.size(), 10u);
    EXPECT_EQ(copy.textPool[0], 'a');
    EXPECT_EQ(block.Entry(10).Value(), 0u);
    EXPECT_EQ(block.Entry(600).Value(), 77u);
    EXPECT_EQ(copy.block->Bytes()[16], 10); // header pool size of the copy
}

TEST_F(ProfileStoreTest, LocksAreReentrantAndDownloadWaitsForTheStore) {
    std::lock_guard outer(m_store->StoreLock());
    m_store->LockStore();
    m_store->UnlockStore();
    bool otherGotIt = true;
    std::thread other([&] { otherGotIt = m_store->StoreLock().try_lock(); });
    other.join();
    EXPECT_FALSE(otherGotIt);
}

} // namespace
} // namespace velkarn::test
