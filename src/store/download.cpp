// The download of key maps and macros to the keyboard: Apply sends the
// active profile, an import all three. The download works on a private copy
// of the store under the download lock, so the windows may lock the store
// again as soon as the copy is made.
#include "app/localisation.h"
#include "model/default_key_map.h"
#include "model/key_assignment.h"
#include "store/profile_image.h"
#include "store/profile_store.h"

#include <new>
#include <vector>

namespace velkarn {

int ProfileStore::MakeDownloadCopy(int allProfiles, Prompts& prompts) {
    std::lock_guard storeLock(m_storeLock);
    std::lock_guard downloadLock(m_downloadLock);
    m_download = DownloadCopy{};
    if (!m_block)
        return 0;
    try {
        m_download.block = std::make_unique<ProfileBlock>(*m_block);
        const int32_t textTotal = m_texts->Total() > 0 ? m_texts->Total() : 0;
        WriteFileHeader(m_download.block->Bytes(), MacroCount(), static_cast<uint32_t>(textTotal), 0);
        m_download.macros = m_macros;
        // The offsets go into the live block, as a save would put them; the
        // keyboard never sees them (text-carrying keys are not sent as texts).
        m_download.textPool = PackTextPool(*m_block, *m_texts);
        m_download.textTotal = textTotal;
    } catch (const std::bad_alloc&) {
        m_download = DownloadCopy{};
        return 0;
    }
    return DownloadKeyMaps(allProfiles, prompts);
}

int ProfileStore::DownloadKeyMaps(int allProfiles, Prompts& prompts) {
    std::lock_guard downloadLock(m_downloadLock);
    if (!m_download.block)
        return 0;
    const std::vector<MacroRecord>& macros = m_download.macros;
    const MacroImageSizes sizes = MacroSizes(macros);
    const size_t capacity = MacroCapacity() > 0 ? static_cast<size_t>(MacroCapacity()) : 0;
    if (sizes.withoutNames > capacity) {
        prompts.TopmostOk(Text("EXTRA_MACRO_TOO_LONG"));
        return 0;
    }
    const bool withNames = sizes.withNames <= capacity;
    std::vector<uint8_t> macroImage(withNames ? sizes.withNames : sizes.withoutNames, 0);
    if (!EncodeMacros(macros, macroImage, withNames))
        return 0;

    // A key-map bank is never addressed with an unknown profile: without an
    // answer from the keyboard nothing is sent.
    std::vector<int> profiles;
    if (allProfiles) {
        profiles = {0, 1, 2};
    } else {
        const int active = GetActiveProfile();
        if (active < 0 || active >= kOnboardProfileCount)
            return 0;
        profiles = {active};
    }
    const KeyMapImage defaults = DefaultKeyMap().Get();
    const auto positionOfId = [&macros](uint32_t id) { return MacroPositionOfId(macros, id); };
    std::vector<KeyMapImage> images(profiles.size());
    for (size_t i = 0; i < profiles.size(); ++i)
        EncodeKeyMap(m_download.block->AreaView(profiles[i]), defaults, positionOfId, images[i]);

    m_port.BeginUpdate();
    m_port.WriteMacroArea(macroImage);
    int last = 0;
    for (size_t i = 0; i < profiles.size(); ++i)
        last = m_port.WriteKeyMap(images[i], profiles[i]);
    m_port.EndUpdate();

    if (!withNames)
        prompts.TopmostOk(Text("EXTRA_PROFILE_SPACE_TIGHT"));
    return last == 1 ? 1 : 0;
}

} // namespace velkarn
