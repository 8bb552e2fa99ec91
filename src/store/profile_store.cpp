#include "store/profile_store.h"

#include "model/key_button_table.h"
#include "platform/atomic_file.h"

#include <algorithm>

namespace velkarn {

ProfileStore::ProfileStore(KeyboardPort& port)
    : m_port(port), m_block(MakeDefaultBlock(0)), m_texts(std::make_unique<TextTable>()) {}

std::span<uint8_t> ProfileStore::EntryOf(int profile, int entryIndex) {
    if (!m_block || profile < 0 || profile >= kKeyMapAreaCount || entryIndex < 0 ||
        entryIndex >= kEntriesPerArea)
        return {};
    return m_block->EntryBytes(profile * kEntriesPerArea + entryIndex);
}

void ProfileStore::FreeMacros() {
    m_macros.clear();
    m_macros.shrink_to_fit();
}

int ProfileStore::NewBlock(uint8_t headerByte30) {
    m_block = MakeDefaultBlock(headerByte30);
    return 1;
}

int ProfileStore::NewBlockFile(const std::string& path, uint8_t headerByte30) {
    const auto block = MakeDefaultBlock(headerByte30);
    return WriteFileAtomically(path, std::span<const uint8_t>(block->Bytes())) ? 1 : 0;
}

void ProfileStore::Empty() {
    ClearTexts();
    FreeMacros();
    FreeBlock();
}

int ProfileStore::GetActiveProfile() {
    const int cached = m_port.ActiveProfileCache();
    if (cached != -1)
        return cached;
    std::array<uint8_t, kDeviceStatusSize> status{};
    if (m_port.ReadStatus(status) != 1)
        return -1;
    // Only the three onboard profiles have a key-map area and a bank; a
    // keyboard that names another is not believed.
    const int profile = status[kStatusActiveProfile];
    if (profile >= kOnboardProfileCount)
        return -1;
    m_port.SetActiveProfileCache(profile);
    return profile;
}

bool ProfileStore::RefreshLightingMirror() {
    std::array<uint8_t, kDeviceStatusSize> status{};
    if (m_port.ReadStatus(status) != 1)
        return false;
    m_status.bytes = status;
    m_port.BeginUpdate();
    for (int p = 0; p < kOnboardProfileCount; ++p) {
        std::array<uint8_t, kReportDataSize> chunk{};
        // A record is 42 bytes; each read brings a whole report's worth.
        if (m_port.ReadLightingTable(chunk, static_cast<int>(kReportDataSize),
                                     p * static_cast<int>(LightingRecord::kSize)) == 1)
            std::copy_n(chunk.begin(), LightingRecord::kSize, m_lighting[static_cast<size_t>(p)].bytes.begin());
    }
    m_port.EndUpdate();
    return true;
}

void ProfileStore::SetSelectedProfile(int profile) {
    if (profile >= 0 && profile < kOnboardProfileCount)
        m_selectedProfile.store(profile);
}

void ProfileStore::ResetCurrentProfileKeys() {
    std::lock_guard lock(m_storeLock);
    const int profile = GetActiveProfile();
    if (profile < 0 || !m_block)
        return;
    const int bank = GKeyBank() == 1 ? 1 : 0;
    for (int n = 0; n < kGKeyCount; ++n) {
        const auto entry = EntryOf(profile, GKeyEntry(n, bank));
        std::fill(entry.begin(), entry.end(), uint8_t{0});
        if (m_view)
            m_view->RefreshKeyButton(kGKeyControlIds[static_cast<size_t>(n)]);
    }
    for (const KeyButton& key : KeyButtonTable()) {
        const auto entry = EntryOf(profile, key.entry);
        std::fill(entry.begin(), entry.end(), uint8_t{0});
        if (m_view)
            m_view->RefreshKeyButton(key.controlId);
    }
    if (m_view)
        m_view->SetApplyPending(true);
}

ProfileStore& GlobalProfileStore() {
    static ProfileStore store;
    return store;
}

} // namespace velkarn
