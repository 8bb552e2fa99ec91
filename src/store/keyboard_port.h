// The keyboard as the profile store sees it: the memory commands that read
// and write key maps, the macro area and the status record, and the device
// state the store reads (active-profile cache, macro capacity, G-key bank).
//
// The process-wide store talks to the real device link through
// DeviceKeyboardPort(); tests hand a store a port of their own (the simulated
// keyboard behind the real command set, or a fake that fails on demand).
//
// Thread safety: the device port may be used from any thread; each command
// blocks its caller for the length of its reports. Results are the status
// codes of the device link (1 success, 0 no keyboard, negative failures).
#pragma once

#include "device/commands.h"
#include "model/default_key_map.h"

#include <cstdint>
#include <functional>
#include <span>

namespace velkarn {

// The status record's fields (kStatusActiveProfile, kStatusMacroUnits) come
// with its size from the command set.
constexpr size_t kDeviceStatusSize = kStatusRecordSize;
constexpr size_t kKeyMapBankSize = kKeyMapImageSize;

class KeyboardPort {
public:
    virtual ~KeyboardPort() = default;

    virtual int ReadStatus(std::span<uint8_t, kDeviceStatusSize> status) = 0;
    virtual int ReadKeyMap(std::span<uint8_t, kKeyMapBankSize> map, int bank) = 0;
    virtual int WriteKeyMap(std::span<const uint8_t, kKeyMapBankSize> map, int bank) = 0;
    virtual int ReadMacroArea(std::span<uint8_t> bytes) = 0;
    virtual int WriteMacroArea(std::span<const uint8_t> bytes) = 0;
    virtual int BeginUpdate() = 0;
    virtual int EndUpdate() = 0;
    // n bytes of the lighting table at offset; the reply's 56 data bytes.
    virtual int ReadLightingTable(std::span<uint8_t, kReportDataSize> out, int n, int offset) = 0;

    // The active profile the keyboard last reported, -1 when not known.
    virtual int ActiveProfileCache() const = 0;
    virtual void SetActiveProfileCache(int profile) = 0;
    // Bytes of macro memory the keyboard offers (status byte 11 x 128).
    virtual int MacroCapacity() const = 0;
    // Which of the two G-key entry sets is in use, 0 or 1.
    virtual int GKeyBank() const = 0;
};

class ReportLink;
struct DeviceState;

// The port over a device link (the command set of device/commands.h) and a
// device state; the G-key bank comes from the given source.
class DeviceLinkPort final : public KeyboardPort {
public:
    DeviceLinkPort(ReportLink& link, DeviceState& state, std::function<int()> gKeyBank);

    int ReadStatus(std::span<uint8_t, kDeviceStatusSize> status) override;
    int ReadKeyMap(std::span<uint8_t, kKeyMapBankSize> map, int bank) override;
    int WriteKeyMap(std::span<const uint8_t, kKeyMapBankSize> map, int bank) override;
    int ReadMacroArea(std::span<uint8_t> bytes) override;
    int WriteMacroArea(std::span<const uint8_t> bytes) override;
    int BeginUpdate() override;
    int EndUpdate() override;
    int ReadLightingTable(std::span<uint8_t, kReportDataSize> out, int n, int offset) override;
    int ActiveProfileCache() const override;
    void SetActiveProfileCache(int profile) override;
    int MacroCapacity() const override;
    int GKeyBank() const override;

private:
    ReportLink& m_link;
    DeviceState& m_state;
    std::function<int()> m_gKeyBank;
};

// The port over the process-wide device link and device state.
KeyboardPort& DeviceKeyboardPort();

} // namespace velkarn
