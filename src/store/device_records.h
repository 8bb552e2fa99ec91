// Mirrors of two keyboard records the main window shows: the status record
// (44 bytes, the reply of ReadStatus) and the lighting record of one profile
// (42 bytes; the keyboard's lighting table is three of them back to back).
// Colours are Windows colour values in memory (red | green << 8 |
// blue << 16) and three bytes red, green, blue in the records.
//
// Thread safety: plain data, used by the UI thread.
#pragma once

#include "device/commands.h"

#include <array>
#include <cstdint>
#include <span>

namespace velkarn {

// Windows colour value from its three bytes and back.
constexpr uint32_t MakeColour(uint8_t red, uint8_t green, uint8_t blue) {
    return uint32_t{red} | (uint32_t{green} << 8) | (uint32_t{blue} << 16);
}
constexpr uint8_t RedOf(uint32_t colour) {
    return static_cast<uint8_t>(colour);
}
constexpr uint8_t GreenOf(uint32_t colour) {
    return static_cast<uint8_t>(colour >> 8);
}
constexpr uint8_t BlueOf(uint32_t colour) {
    return static_cast<uint8_t>(colour >> 16);
}

struct DeviceStatus {
    static constexpr size_t kSize = kStatusRecordSize;
    static constexpr size_t kActiveProfile = kStatusActiveProfile;
    static constexpr size_t kMacroUnits = kStatusMacroUnits;
    static constexpr size_t kModeList = 12;
    static constexpr size_t kModeListSize = 32;
    static constexpr uint8_t kUserModeCode = 20;

    std::array<uint8_t, kSize> bytes{};

    int ActiveProfile() const { return bytes[kActiveProfile]; }
    int MacroCapacity() const { return MacroCapacityOf(bytes); }
    std::span<const uint8_t, kModeListSize> ModeList() const {
        return std::span<const uint8_t, kModeListSize>(bytes.data() + kModeList, kModeListSize);
    }
};

struct LightingRecord {
    static constexpr size_t kSize = 42;
    static constexpr size_t kMode = 0;
    static constexpr size_t kBrightness = 1;
    static constexpr size_t kSpeed = 2;
    static constexpr size_t kDirection = 3;
    static constexpr size_t kColour1Multi = 4;
    static constexpr size_t kColour1 = 5;
    static constexpr size_t kReportRate = 15;
    static constexpr size_t kEffectOption = 17;
    static constexpr size_t kMode7Option = 18;
    static constexpr size_t kTrigger = 19;
    static constexpr size_t kColour2 = 25;
    static constexpr size_t kColour2Multi = 28;
    static constexpr size_t kColour3 = 30;
    static constexpr size_t kColour3Multi = 33;

    std::array<uint8_t, kSize> bytes{};

    // The colour whose red byte is at `offset` (kColour1, kColour2, kColour3).
    uint32_t Colour(size_t offset) const {
        return MakeColour(bytes.at(offset), bytes.at(offset + 1), bytes.at(offset + 2));
    }
    void SetColour(size_t offset, uint32_t colour) {
        bytes.at(offset) = RedOf(colour);
        bytes.at(offset + 1) = GreenOf(colour);
        bytes.at(offset + 2) = BlueOf(colour);
    }
    // A stored report rate above 3 reads as 3.
    int ReportRate() const { return bytes[kReportRate] > 3 ? 3 : bytes[kReportRate]; }
};

} // namespace velkarn
