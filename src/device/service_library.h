// Binding of the keyboard service library (libpylonet.so, see pylonet.h):
// loading it, looking up its twelve entry points, registering the channels
// the program keeps open, the request checksum, and ServiceCallback, which
// receives everything the library reports.
//
// Thread safety: Bind runs once on the UI thread before any other device
// operation. ServiceCallback runs on the library's threads; it hands replies
// to the transaction, device-count changes to presence workers and consumer
// events to the main window (PresenceSink). The G-key bank byte is atomic.
// The process-wide binding is never destroyed or unloaded.
#pragma once

#include "device/device_state.h"
#include "device/presence.h"
#include "device/transaction.h"
#include "model/default_key_map.h"
#include "platform/clock.h"
#include "pylonet.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

namespace velkarn {

// Four-letter tags, most significant byte first.
constexpr uint32_t kConsumerTag = 0x434F4E53;  // "CONS"
constexpr uint32_t kControlTag = 0x4354524C;   // "CTRL"
constexpr uint32_t kIndicatorTag = 0x004C4544; // "LED"

// Consumer codes the keyboard sends.
constexpr uint16_t kConsumerBankToggle = 0x02FF;
constexpr uint16_t kConsumerLightingChanged = 0x0401;
constexpr uint16_t kConsumerIconNormal = 0x1810;
constexpr uint16_t kConsumerIconAlternate = 0x1811;

constexpr const char* kServiceLibraryName = "libpylonet.so";
constexpr const char* kServiceLibraryVariable = "VELKARN_SERVICE_LIBRARY";

// The selectors of the keyboard's interfaces.
InterfaceSelector ConsumerSelector();
InterfaceSelector VendorSelector(); // control and command channel
InterfaceSelector IndicatorSelector();

// 256-entry permutation the request checksum adds up.
extern const std::array<uint8_t, 256> kChecksumTable;

// Sum of kChecksumTable over the selector bytes, the four low bytes of the
// callback's address (little-endian), the tag bytes as stored and the data.
uint32_t RequestChecksum(const InterfaceSelector& selector, PylonetCallback callback, uint32_t tag,
                         std::span<const uint8_t> data = {});

// The library's entry points, in the order they are looked up.
struct EntryPoints {
    PylonetDebugFn Debug = nullptr;
    PylonetInitFn Init = nullptr;
    PylonetEndFn End = nullptr;
    PylonetGetDeviceCountFn RequestGetDeviceCount = nullptr;
    PylonetDeleteFromUnitIdFn DeleteRequestFromUnitId = nullptr;
    PylonetDeleteFromHandleFn DeleteRequestFromHandle = nullptr;
    PylonetWriteFn RequestWrite = nullptr;
    PylonetWriteOneFn RequestWriteOne = nullptr;
    PylonetStatusWriteFn RequestStatusWrite = nullptr;
    PylonetStatusGetFn RequestStatusGet = nullptr;
    PylonetAsyncReadFn RequestAsyncRead = nullptr;
    PylonetStatusSetFeatureFn RequestStatusSetFeature = nullptr;
};

// How Bind reaches the library and ends the process; tests replace them to
// bind an in-process fake or to watch the exit.
struct BindHooks {
    // Opens the library file; null with `error` filled on failure.
    std::function<void*(const std::string& file, std::string& error)> open;
    // The address of one entry point, null when missing.
    std::function<void*(void* handle, const char* name)> lookup;
    // Ends the process with the code; the default never returns.
    std::function<void(int code)> exit;
};
// dlopen / dlsym / _exit.
BindHooks SystemBindHooks();

// The file Bind loads: $VELKARN_SERVICE_LIBRARY or libpylonet.so.
std::string ServiceLibraryFile();

class ServiceLibrary final : public ReportPort {
public:
    explicit ServiceLibrary(DeviceState& state = TheDeviceState(),
                            DefaultKeyMapHolder& defaultMap = DefaultKeyMap(), Clock& clock = SystemClock());
    ~ServiceLibrary() override;
    ServiceLibrary(const ServiceLibrary&) = delete;
    ServiceLibrary& operator=(const ServiceLibrary&) = delete;

    // Loads and registers; on failure writes one line to stderr and ends the
    // process with code 0 through hooks.exit (false when that returns).
    // Makes this binding the one ServiceCallback reports to.
    bool Bind(PresenceSink& sink, const BindHooks& hooks = SystemBindHooks());

    int32_t GetDeviceCount() override;
    uint32_t CommandChecksum(std::span<const uint8_t, kReportSize> frame) override;
    int32_t WriteCommand(std::span<const uint8_t, kReportSize> frame, uint32_t checksum) override;

    void RegisterConsumerChannel();
    void RegisterControlChannel();
    void WriteBankIndicator();

    // What ServiceCallback does for this binding. Always 1.
    int32_t OnNotification(const ServiceNotification* notification);

    Transaction& Link() { return m_transaction; }
    Presence& PresenceHandling() { return m_presence; }
    // G-key bank: bit 0 of the second bank indicator byte.
    int GKeyBank() const { return m_bankByte1.load() & 1; }
    std::array<uint8_t, 2> BankIndicator() const { return {m_bankByte0, m_bankByte1.load()}; }
    // Stops and joins the presence threads; callbacks after it do nothing.
    void Shutdown();

private:
    void Fail(const BindHooks& hooks, const std::string& message);
    void OnConsumerCode(uint16_t code);

    DeviceState& m_state;
    EntryPoints m_entries;
    std::atomic<uint32_t> m_consumerUnit{0};
    std::atomic<uint32_t> m_controlUnit{0};
    std::atomic<uint32_t> m_indicatorUnit{0};
    uint8_t m_bankByte0 = 0x05;
    std::atomic<uint8_t> m_bankByte1{0x02};
    std::atomic<PresenceSink*> m_sink{nullptr};
    std::atomic<bool> m_stopping{false};
    Transaction m_transaction;
    Presence m_presence;
};

// The process-wide binding (never destroyed).
ServiceLibrary& TheServiceLibrary();
// The G-key bank of the process-wide binding.
int GKeyBank();

} // namespace velkarn

// The one callback the library calls; reports to the binding that last
// bound. Always returns 1.
extern "C" int32_t ServiceCallback(const ServiceNotification* notification);
