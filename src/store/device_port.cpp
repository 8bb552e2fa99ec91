#include "device/commands.h"
#include "device/device_state.h"
#include "device/service_library.h"
#include "store/keyboard_port.h"

namespace velkarn {

DeviceLinkPort::DeviceLinkPort(ReportLink& link, DeviceState& state, std::function<int()> gKeyBank)
    : m_link(link), m_state(state), m_gKeyBank(std::move(gKeyBank)) {}

int DeviceLinkPort::ReadStatus(std::span<uint8_t, kDeviceStatusSize> status) {
    return velkarn::ReadStatus(status, m_link);
}

int DeviceLinkPort::ReadKeyMap(std::span<uint8_t, kKeyMapBankSize> map, int bank) {
    return velkarn::ReadKeyMap(map, bank, m_link);
}

int DeviceLinkPort::WriteKeyMap(std::span<const uint8_t, kKeyMapBankSize> map, int bank) {
    return velkarn::WriteKeyMap(map, bank, m_link);
}

int DeviceLinkPort::ReadMacroArea(std::span<uint8_t> bytes) {
    return velkarn::ReadMacroArea(bytes, m_link);
}

int DeviceLinkPort::WriteMacroArea(std::span<const uint8_t> bytes) {
    return velkarn::WriteMacroArea(bytes, m_link);
}

int DeviceLinkPort::BeginUpdate() {
    return velkarn::BeginUpdate(m_link);
}

int DeviceLinkPort::EndUpdate() {
    return velkarn::EndUpdate(m_link);
}

int DeviceLinkPort::ReadLightingTable(std::span<uint8_t, kReportDataSize> out, int n, int offset) {
    return velkarn::ReadLightingTable(out, n, offset, m_link);
}

int DeviceLinkPort::ActiveProfileCache() const {
    return m_state.activeProfile.load();
}

void DeviceLinkPort::SetActiveProfileCache(int profile) {
    m_state.activeProfile.store(profile);
}

int DeviceLinkPort::MacroCapacity() const {
    return m_state.macroCapacity.load();
}

int DeviceLinkPort::GKeyBank() const {
    return m_gKeyBank ? m_gKeyBank() : 0;
}

KeyboardPort& DeviceKeyboardPort() {
    static DeviceLinkPort port(DefaultLink(), TheDeviceState(), [] { return velkarn::GKeyBank(); });
    return port;
}

} // namespace velkarn
