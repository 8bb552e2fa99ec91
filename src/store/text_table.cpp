#include "store/text_table.h"

namespace velkarn {

bool TextTable::Set(int k, std::u16string text) {
    auto& slot = m_slots[static_cast<size_t>(k)];
    const int64_t size = (static_cast<int64_t>(text.size()) + 1) * 2;
    const int64_t total = int64_t{m_total} - slot.size + size;
    if (total > kMaxTextTotal)
        return false;
    slot.text = std::move(text);
    slot.size = static_cast<uint32_t>(size);
    m_total = static_cast<int32_t>(total);
    return true;
}

void TextTable::Erase(int k) {
    auto& slot = m_slots[static_cast<size_t>(k)];
    m_total -= static_cast<int32_t>(slot.size);
    slot = TextSlot{};
}

void TextTable::Clear() {
    for (auto& slot : m_slots)
        slot = TextSlot{};
    m_total = 0;
}

} // namespace velkarn
