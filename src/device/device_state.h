// What the process knows about the keyboard between transactions: the last
// device count a presence worker acted on, whether the start-up show is
// decided, the cached active profile, the macro capacity and the presence
// icon.
//
// Thread safety: written by presence workers, the UI thread and the library's
// callback threads; every item is an atomic int, read and written whole.
// The G-key bank lives with the service library binding (GKeyBank()), the
// default key map in DefaultKeyMap() of model/default_key_map.h.
#pragma once

#include <atomic>
#include <cstdint>

namespace velkarn {

// Tray icon resources.
constexpr int32_t kIconNoKeyboard = 128;
constexpr int32_t kIconKeyboardPresent = 141;
constexpr int32_t kIconAlternate = 142;

struct DeviceState {
    std::atomic<int32_t> lastDeviceCount{0};
    // 1 once the main window must no longer open by itself (set for "/Start",
    // when no keyboard is present at start, and after the first arrival).
    std::atomic<int32_t> startupShowDecided{0};
    // The keyboard's active profile 0..2, -1 while unknown.
    std::atomic<int32_t> activeProfile{-1};
    // Bytes of macro memory (status byte 11 x 128); 0 until the first read.
    std::atomic<int32_t> macroCapacity{0};
    std::atomic<int32_t> presenceIcon{kIconNoKeyboard};
    // Serialises the icon threads.
    std::atomic<int32_t> iconBusy{0};
};

// The process-wide device state.
DeviceState& TheDeviceState();

} // namespace velkarn
