// The profile store: the one in-memory copy of the keyboard's three key maps
// (plus the carried fourth area), the macro table shared by all profiles, the
// texts of text-carrying assignments, the mirrors of the keyboard's lighting
// and status records, and the profile numbers the windows work with.
//
// Every window and dialog edits the store in place. Locking:
//  - the store lock guards the block, the macro table and the text table;
//    every reader or writer outside start-up holds it, long operations
//    (Apply, import, reload) for their whole length;
//  - the download lock guards the download copy, so a download reads a
//    private copy and the store may be locked again as soon as it is made.
// Both locks are re-entrant. The lighting and status mirrors, the selected
// profile and the view are used by the UI thread only. The active-profile
// cache, the macro capacity and the G-key bank belong to the device state
// (see KeyboardPort) and are plain process-wide numbers.
#pragma once

#include "app/prompts.h"
#include "model/macro.h"
#include "store/device_records.h"
#include "store/keyboard_port.h"
#include "store/profile_block.h"
#include "store/text_table.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace velkarn {

// What the store asks of the keyboard view when keys change under it. The
// main window implements it; calls come on the thread that changed the
// store (the UI thread), with the store lock held.
class KeyViewSink {
public:
    virtual ~KeyViewSink() = default;
    // Redraw the look and tooltip of one key button (a G key or a key of the
    // key-button table) from the store.
    virtual void RefreshKeyButton(int controlId) = 0;
    // Redraw every key button from the store.
    virtual void RefreshKeyButtons() = 0;
    // true: enable Apply (there is a change to send); false: disable Apply
    // and clear the pending-change flag.
    virtual void SetApplyPending(bool pending) = 0;
};

// What the last download sent: a private copy of the store.
struct DownloadCopy {
    std::unique_ptr<ProfileBlock> block;
    std::vector<MacroRecord> macros;
    std::vector<uint8_t> textPool;
    int32_t textTotal = 0;
};

class ProfileStore {
public:
    // A store with a default block (header byte 30 = 0), no macros, empty
    // texts, selected profile 0.
    explicit ProfileStore(KeyboardPort& port = DeviceKeyboardPort());
    ProfileStore(const ProfileStore&) = delete;
    ProfileStore& operator=(const ProfileStore&) = delete;

    KeyboardPort& Port() { return m_port; }
    // The view to refresh; null (the default) refreshes nothing.
    void SetKeyView(KeyViewSink* view) { m_view = view; }
    KeyViewSink* KeyView() const { return m_view; }

    std::recursive_mutex& StoreLock() { return m_storeLock; }
    std::recursive_mutex& DownloadLock() { return m_downloadLock; }
    void LockStore() { m_storeLock.lock(); }
    void UnlockStore() { m_storeLock.unlock(); }

    // The block; null only between FreeBlock and the load that follows.
    ProfileBlock* Block() { return m_block.get(); }
    const ProfileBlock* Block() const { return m_block.get(); }
    void SetBlock(std::unique_ptr<ProfileBlock> block) { m_block = std::move(block); }

    // The 16 bytes of the entry of a profile's area (0..3) and entry index
    // (0..511); empty when either is out of range or there is no block, so
    // an unknown profile (-1) never reaches an area.
    std::span<uint8_t> EntryOf(int profile, int entryIndex);

    // The macro table, shared by all profiles; at most 100 records.
    // ReconcileMacroReferences (model/macro.h) replaces it as a whole.
    std::vector<MacroRecord>& Macros() { return m_macros; }
    const std::vector<MacroRecord>& Macros() const { return m_macros; }
    uint16_t MacroCount() const { return static_cast<uint16_t>(m_macros.size()); }
    void FreeMacros();

    TextTable& Texts() { return *m_texts; }
    const TextTable& Texts() const { return *m_texts; }
    // Empties every text slot; the text total becomes 0.
    void ClearTexts() { m_texts->Clear(); }

    // Builds a default block in memory, replacing whatever block there was.
    int NewBlock(uint8_t headerByte30);
    // Writes a default block as a new file (the profile manager's empty
    // profile file). 1, or 0 when the file cannot be written.
    int NewBlockFile(const std::string& path, uint8_t headerByte30);
    void FreeBlock() { m_block.reset(); }

    // ClearTexts, FreeMacros and FreeBlock: what a load starts from.
    void Empty();

    // Keyboard records last read.
    LightingRecord& Lighting(int profile) { return m_lighting.at(static_cast<size_t>(profile)); }
    DeviceStatus& Status() { return m_status; }

    // The lighting refresh: ReadStatus, and when it answers, the three
    // lighting records between BeginUpdate and EndUpdate, into the mirrors
    // above. False when the status read failed (the mirrors stay as they were).
    bool RefreshLightingMirror();

    // The active profile: the cached one, else asks the keyboard (ReadStatus)
    // and caches its answer. -1 when the keyboard cannot tell, or names a
    // profile outside 0..2; the cache then stays unknown.
    int GetActiveProfile();
    void InvalidateActiveProfile() { m_port.SetActiveProfileCache(-1); }

    int SelectedProfile() const { return m_selectedProfile.load(); }
    void SetSelectedProfile(int profile);

    int GKeyBank() const { return m_port.GKeyBank(); }
    int MacroCapacity() const { return m_port.MacroCapacity(); }

    // Gives the keys of the active profile their default function: the nine
    // G keys of the current bank and the 104 drawn keys, refreshing each
    // button, then enables Apply. Texts are left alone. Does nothing while the
    // active profile is unknown.
    void ResetCurrentProfileKeys();

    // Builds the download copy and sends it (see download.cpp). allProfiles 1
    // sends profiles 0, 1 and 2; 0 only the active profile. The caller holds
    // the store lock. Returns DownloadKeyMaps' result.
    int MakeDownloadCopy(int allProfiles, Prompts& prompts);
    // The macro and key-map download proper, from the download copy.
    int DownloadKeyMaps(int allProfiles, Prompts& prompts);
    // The copy the last download sent (for tests and diagnostics); hold the
    // download lock while reading it.
    const DownloadCopy& LastDownloadCopy() const { return m_download; }
    // Frees the download copy under the download lock (at exit), so a
    // download still running elsewhere finishes before its data goes.
    void FreeDownloadCopy() {
        std::lock_guard lock(m_downloadLock);
        m_download = DownloadCopy{};
    }

private:
    KeyboardPort& m_port;
    KeyViewSink* m_view = nullptr;
    std::recursive_mutex m_storeLock;
    std::recursive_mutex m_downloadLock;

    std::unique_ptr<ProfileBlock> m_block;
    std::vector<MacroRecord> m_macros;
    std::unique_ptr<TextTable> m_texts;

    DownloadCopy m_download;

    std::array<LightingRecord, kOnboardProfileCount> m_lighting{};
    DeviceStatus m_status{};
    std::atomic<int> m_selectedProfile{0};
};

// The process-wide store, created on first use over the device link.
ProfileStore& GlobalProfileStore();

} // namespace velkarn
