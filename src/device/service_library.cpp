#include "device/service_library.h"

#include "platform/le.h"

#include <cstdio>
#include <cstdlib>
#include <dlfcn.h>
#include <thread>
#include <unistd.h>

namespace velkarn {
namespace {

std::atomic<ServiceLibrary*> g_bound{nullptr};
// ServiceCallback calls between loading g_bound and returning; a binding that
// goes away waits for them, as they may still be using it.
std::atomic<int> g_callbacksInFlight{0};

InterfaceSelector Selector(uint16_t page, uint16_t usage) {
    return InterfaceSelector{
        kPylonetSelectorFlags, VELKARN_KEYBOARD_VENDOR_ID, VELKARN_KEYBOARD_PRODUCT_ID, page, usage, 0};
}

std::array<uint8_t, 16> SelectorBytes(const InterfaceSelector& s) {
    std::array<uint8_t, 16> b{};
    le::PutU32(b, 0, s.flags);
    le::PutU16(b, 4, s.vendorId);
    le::PutU16(b, 6, s.productId);
    le::PutU16(b, 8, s.usagePage);
    le::PutU16(b, 10, s.usage);
    le::PutU32(b, 12, s.reserved);
    return b;
}

} // namespace

const std::array<uint8_t, 256> kChecksumTable = {
    0xFD, 0x86, 0xD1, 0xCA, 0xDB, 0xD5, 0xCC, 0x5E, 0x02, 0x0E, 0xE0, 0xB6, 0xA9, 0xF7, 0x6D, 0xA8,
    0xE2, 0x77, 0x0D, 0x09, 0xFE, 0x3D, 0x9A, 0x0B, 0x28, 0x85, 0xDC, 0xC3, 0x52, 0x48, 0x00, 0x01,
    0xBE, 0x79, 0x51, 0xFF, 0xB7, 0x83, 0xA2, 0x14, 0x10, 0x20, 0x82, 0xED, 0xD9, 0x16, 0x43, 0x4F,
    0x1C, 0x90, 0xC6, 0xD8, 0xBF, 0x56, 0x0C, 0x5C, 0xAA, 0xD3, 0x95, 0x0A, 0x73, 0x21, 0x67, 0xEB,
    0xDD, 0xA4, 0x8E, 0x26, 0xB8, 0xF2, 0xE8, 0x25, 0x1F, 0x59, 0x66, 0x1D, 0x61, 0x1E, 0xBB, 0xE5,
    0x99, 0xC5, 0x8F, 0xBC, 0xA6, 0xEE, 0x33, 0xB0, 0x53, 0x89, 0xD0, 0x2E, 0xC7, 0x88, 0xCE, 0x45,
    0x4C, 0xB2, 0x23, 0x76, 0xB1, 0xF0, 0xF8, 0xCD, 0xFC, 0x06, 0x19, 0x29, 0x37, 0x98, 0x7E, 0x22,
    0xA7, 0xDA, 0x32, 0x60, 0x08, 0x8C, 0x24, 0x8A, 0x84, 0xC4, 0x4A, 0x12, 0x70, 0xB9, 0x49, 0x74,
    0x30, 0xE1, 0x2A, 0x4E, 0x2D, 0x4B, 0x7C, 0x5F, 0x71, 0xC8, 0x04, 0x41, 0x81, 0x63, 0x3F, 0xF3,
    0x6C, 0xF1, 0x8D, 0x9B, 0x6E, 0xAD, 0x6F, 0xB3, 0x38, 0x54, 0x2C, 0x87, 0x64, 0x7B, 0x0F, 0xC9,
    0xFA, 0xC0, 0xDF, 0xFB, 0xF4, 0xD7, 0x07, 0x92, 0x69, 0xC2, 0x7D, 0x1B, 0x80, 0x68, 0xB4, 0x15,
    0x47, 0x50, 0x57, 0x39, 0x3B, 0x2B, 0x5A, 0xD4, 0x13, 0x6B, 0xB5, 0x3E, 0x1A, 0xE3, 0x9D, 0xF9,
    0x17, 0x35, 0x46, 0x78, 0x75, 0xA5, 0x6A, 0x55, 0x9C, 0x4D, 0xEC, 0xA3, 0x36, 0x31, 0xE9, 0xF6,
    0x62, 0xEF, 0x40, 0xC1, 0xBD, 0x94, 0x3A, 0x96, 0x11, 0x97, 0x7F, 0x72, 0x9E, 0x7A, 0xBA, 0xE6,
    0xCF, 0xAF, 0x18, 0x44, 0xEA, 0x03, 0x9F, 0x2F, 0x93, 0xCB, 0x8B, 0xD6, 0xE4, 0x58, 0x5D, 0xA1,
    0x27, 0xE7, 0xAC, 0x91, 0xAB, 0x34, 0x3C, 0x05, 0xAE, 0x5B, 0x42, 0x65, 0xA0, 0xF5, 0xD2, 0xDE,
};

InterfaceSelector ConsumerSelector() {
    return Selector(0x000C, 0x0001);
}
InterfaceSelector VendorSelector() {
    return Selector(0xFF1C, 0x0092);
}
InterfaceSelector IndicatorSelector() {
    return Selector(0x0008, 0x0089);
}

uint32_t RequestChecksum(const InterfaceSelector& selector, PylonetCallback callback, uint32_t tag,
                         std::span<const uint8_t> data) {
    std::array<uint8_t, 24> record{};
    const auto selectorBytes = SelectorBytes(selector);
    std::copy(selectorBytes.begin(), selectorBytes.end(), record.begin());
    // The library knows callbacks by the low 32 bits of their address.
    le::PutU32(record, 16, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(callback)));
    le::PutU32(record, 20, tag);
    uint32_t sum = 0;
    for (uint8_t b : record)
        sum += kChecksumTable[b];
    for (uint8_t b : data)
        sum += kChecksumTable[b];
    return sum;
}

std::string ServiceLibraryFile() {
    const char* file = std::getenv(kServiceLibraryVariable);
    return file && *file ? std::string(file) : std::string(kServiceLibraryName);
}

BindHooks SystemBindHooks() {
    BindHooks hooks;
    hooks.open = [](const std::string& file, std::string& error) -> void* {
        void* handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) {
            const char* why = ::dlerror();
            error = why ? why : "unknown error";
        }
        return handle;
    };
    hooks.lookup = [](void* handle, const char* name) { return ::dlsym(handle, name); };
    hooks.exit = [](int code) {
        std::fflush(nullptr);
        // No static destructors: the library may still run threads of its own.
        ::_exit(code);
    };
    return hooks;
}

ServiceLibrary::ServiceLibrary(DeviceState& state, DefaultKeyMapHolder& defaultMap, Clock& clock)
    : m_state(state), m_transaction(*this, clock), m_presence(m_transaction, state, defaultMap, clock) {}

ServiceLibrary::~ServiceLibrary() {
    // No new callback reaches this binding once it is unbound; one already
    // dispatched may still be in the transaction or the presence worker, so
    // both stay alive until it is out.
    ServiceLibrary* self = this;
    g_bound.compare_exchange_strong(self, nullptr);
    while (g_callbacksInFlight.load() != 0)
        std::this_thread::yield();
    Shutdown();
}

void ServiceLibrary::Shutdown() {
    m_stopping.store(true);
    m_presence.Shutdown();
}

void ServiceLibrary::Fail(const BindHooks& hooks, const std::string& message) {
    std::fprintf(stderr, "velkarn: %s\n", message.c_str());
    std::fflush(stderr);
    hooks.exit(0);
}

bool ServiceLibrary::Bind(PresenceSink& sink, const BindHooks& hooks) {
    m_sink.store(&sink);
    m_presence.SetSink(&sink);
    m_state.activeProfile.store(-1);

    const std::string file = ServiceLibraryFile();
    std::string error;
    void* handle = hooks.open(file, error);
    if (!handle) {
        Fail(hooks, "cannot load the keyboard service library " + file + ": " + error);
        return false;
    }

    EntryPoints e;
    const char* missing = nullptr;
    auto find = [&](auto& slot, const char* name) {
        void* address = hooks.lookup(handle, name);
        if (!address && !missing)
            missing = name;
        slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(address);
    };
    find(e.Debug, "Debug");
    find(e.Init, "Init");
    find(e.End, "End");
    find(e.RequestGetDeviceCount, "RequestGetDeviceCount");
    find(e.DeleteRequestFromUnitId, "DeleteRequestFromUnitId");
    find(e.DeleteRequestFromHandle, "DeleteRequestFromHandle");
    find(e.RequestWrite, "RequestWrite");
    find(e.RequestWriteOne, "RequestWriteOne");
    find(e.RequestStatusWrite, "RequestStatusWrite");
    find(e.RequestStatusGet, "RequestStatusGet");
    find(e.RequestAsyncRead, "RequestAsyncRead");
    find(e.RequestStatusSetFeature, "RequestStatusSetFeature");
    if (missing) {
        Fail(hooks, "the keyboard service library " + file + " has no entry point " + missing);
        return false;
    }
    m_entries = e;

    const int32_t init = m_entries.Init(0);
    if (init <= 0) {
        Fail(hooks, "the keyboard service library " + file + " did not start (Init returned " +
                        std::to_string(init) + ")");
        return false;
    }

    m_bankByte0 = 0x05;
    m_bankByte1.store(0x02);
    m_indicatorUnit.store(0);
    g_bound.store(this);
    RegisterConsumerChannel();
    RegisterControlChannel();

    const int32_t count = GetDeviceCount();
    if (count == 0)
        m_state.startupShowDecided.store(1);
    m_presence.StartWorker(count);
    return true;
}

int32_t ServiceLibrary::GetDeviceCount() {
    if (!m_entries.RequestGetDeviceCount)
        return 0;
    const InterfaceSelector selector = VendorSelector();
    return m_entries.RequestGetDeviceCount(&selector, nullptr, 0, RequestChecksum(selector, nullptr, 0),
                                           nullptr);
}

uint32_t ServiceLibrary::CommandChecksum(std::span<const uint8_t, kReportSize> frame) {
    return RequestChecksum(VendorSelector(), nullptr, 0, frame);
}

int32_t ServiceLibrary::WriteCommand(std::span<const uint8_t, kReportSize> frame, uint32_t checksum) {
    if (!m_entries.RequestWriteOne)
        return 0;
    const InterfaceSelector selector = VendorSelector();
    return m_entries.RequestWriteOne(&selector, nullptr, 0, frame.data(), static_cast<int32_t>(frame.size()),
                                     checksum, nullptr);
}

void ServiceLibrary::RegisterConsumerChannel() {
    const InterfaceSelector selector = ConsumerSelector();
    const uint32_t checksum = RequestChecksum(selector, &ServiceCallback, kConsumerTag);
    m_entries.DeleteRequestFromUnitId(m_consumerUnit.load());
    uint32_t unit = 0;
    m_entries.RequestAsyncRead(&selector, &ServiceCallback, kConsumerTag, checksum, &unit);
    m_consumerUnit.store(unit);
}

void ServiceLibrary::RegisterControlChannel() {
    const InterfaceSelector selector = VendorSelector();
    const uint32_t checksum = RequestChecksum(selector, &ServiceCallback, kControlTag);
    m_entries.DeleteRequestFromUnitId(m_controlUnit.load());
    uint32_t unit = 0;
    m_entries.RequestAsyncRead(&selector, &ServiceCallback, kControlTag, checksum, &unit);
    m_controlUnit.store(unit);
}

void ServiceLibrary::WriteBankIndicator() {
    const InterfaceSelector selector = IndicatorSelector();
    const std::array<uint8_t, 2> bytes = BankIndicator();
    const uint32_t checksum = RequestChecksum(selector, &ServiceCallback, kIndicatorTag, bytes);
    m_entries.DeleteRequestFromUnitId(m_indicatorUnit.load());
    uint32_t unit = 0;
    m_entries.RequestStatusWrite(&selector, &ServiceCallback, kIndicatorTag, bytes.data(),
                                 static_cast<int32_t>(bytes.size()), checksum, &unit);
    m_indicatorUnit.store(unit);
}

void ServiceLibrary::OnConsumerCode(uint16_t code) {
    PresenceSink* sink = m_sink.load();
    switch (code) {
    case kConsumerBankToggle: {
        const uint8_t byte1 = static_cast<uint8_t>(m_bankByte1.fetch_xor(1) ^ 1);
        WriteBankIndicator();
        if (!sink)
            return;
        sink->BankToggled();
        const char letter = (byte1 & 1) ? 'B' : 'A';
        for (int i = 0; i < 5; ++i)
            sink->SetButtonCaption(1000 + i, std::string{letter, static_cast<char>('1' + i)});
        for (int id = 1140; id <= 1143; ++id)
            sink->SetButtonCaption(id, "");
        return;
    }
    case kConsumerLightingChanged:
        if (sink)
            sink->StartLightingRefresh();
        return;
    case kConsumerIconNormal:
    case kConsumerIconAlternate:
        m_presence.StartIconThread(code);
        return;
    default:
        // 0x1801..0x1804 and anything else: nothing to do.
        return;
    }
}

int32_t ServiceLibrary::OnNotification(const ServiceNotification* n) {
    if (!n || !n->request || m_stopping.load())
        return 1;
    const RequestRecord& r = *n->request;
    if (n->kind == kPylonetNotifyInput && r.tag == kConsumerTag) {
        if (r.count >= 2 && r.input && r.input->data)
            OnConsumerCode(static_cast<uint16_t>(r.input->data[0] | (r.input->data[1] << 8)));
    } else if (n->kind == kPylonetNotifyInput && r.tag == kControlTag) {
        m_transaction.Deliver(r.data, r.count);
    } else if (n->kind == kPylonetNotifyDeviceCount && r.tag == kControlTag) {
        m_presence.StartWorker(static_cast<int32_t>(r.count));
    }
    return 1;
}

ServiceLibrary& TheServiceLibrary() {
    static ServiceLibrary* library = new ServiceLibrary;
    return *library;
}

int GKeyBank() {
    return TheServiceLibrary().GKeyBank();
}

ReportLink& DefaultLink() {
    return TheServiceLibrary().Link();
}

} // namespace velkarn

extern "C" int32_t ServiceCallback(const ServiceNotification* notification) {
    // Counted before g_bound is read, so a destructor that has cleared
    // g_bound and then sees no call in flight knows none can reach it.
    velkarn::g_callbacksInFlight.fetch_add(1);
    velkarn::ServiceLibrary* bound = velkarn::g_bound.load();
    const int32_t result = bound ? bound->OnNotification(notification) : 1;
    velkarn::g_callbacksInFlight.fetch_sub(1);
    return result;
}
