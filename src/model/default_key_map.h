// The default key map: what every one of the keyboard's key positions does
// by default, as 512 bytes in the key-map image format (a 3-byte KeyAction
// per position at 3 x position, positions 0..107; bytes 324..511 carried).
//
// The position of a key is found only through this map. It starts as the
// built-in map below and is replaced by the keyboard's own default map each
// time a keyboard arrives.
//
// Thread safety: the presence worker replaces the map on its own thread
// while the UI thread encodes key maps, so every access copies under a lock.
#pragma once

#include <array>
#include <cstdint>
#include <mutex>
#include <span>

namespace velkarn {

constexpr size_t kKeyMapImageSize = 512;
constexpr int kKeyPositionCount = 108;
using KeyMapImage = std::array<uint8_t, kKeyMapImageSize>;

// The built-in default map, used before the first keyboard arrives.
const KeyMapImage& BuiltinDefaultKeyMap();

class DefaultKeyMapHolder {
public:
    DefaultKeyMapHolder() : m_map(BuiltinDefaultKeyMap()) {}

    KeyMapImage Get() const {
        std::lock_guard lock(m_mutex);
        return m_map;
    }

    void Replace(std::span<const uint8_t, kKeyMapImageSize> map) {
        std::lock_guard lock(m_mutex);
        std::copy(map.begin(), map.end(), m_map.begin());
    }

    void ResetToBuiltin() {
        std::lock_guard lock(m_mutex);
        m_map = BuiltinDefaultKeyMap();
    }

private:
    mutable std::mutex m_mutex;
    KeyMapImage m_map;
};

// The process-wide default key map.
DefaultKeyMapHolder& DefaultKeyMap();

} // namespace velkarn
