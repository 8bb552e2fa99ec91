#include "sim_keyboard.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace pylonet_sim {
namespace {

enum Command : uint8_t {
    kBeginUpdate = 0x01,
    kEndUpdate = 0x02,
    kReadStatus = 0x03,
    kWriteStatus = 0x04,
    kReadLighting = 0x05,
    kWriteLighting = 0x06,
    kReadKeyMap = 0x07,
    kWriteKeyMap = 0x08,
    kReadMacro = 0x09,
    kWriteMacro = 0x0A,
    kTest = 0x0D,
    kReadDefaultMatrix = 0x0F,
    kWriteColours = 0x11,
    kEnterBootLoader = 0xEE,
};

constexpr size_t kDataOffset = 8;
constexpr size_t kDataSize = 56;
constexpr size_t kLongReply = 80;

bool IsInterface(const InterfaceSelector* s, uint16_t page, uint16_t usage) {
    return s && s->usagePage == page && s->usage == usage;
}

std::string Trim(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.pop_back();
    size_t b = s.find_first_not_of(" \t");
    return b == std::string::npos ? std::string() : s.substr(b);
}

bool ParseNumber(const std::string& s, int base, long long& out) {
    if (s.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = std::strtoll(s.c_str(), &end, base);
    return errno == 0 && end && *end == '\0';
}

} // namespace

uint16_t ReportSum(const uint8_t* report) {
    uint32_t sum = 0;
    for (size_t i = 3; i < kPylonetReportSize; ++i)
        sum += report[i];
    return static_cast<uint16_t>(sum);
}

bool ParseFaults(const std::string& text, Faults& out, std::string& error) {
    Faults f;
    size_t start = 0;
    while (start <= text.size()) {
        size_t comma = text.find(',', start);
        std::string item =
            Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        start = comma == std::string::npos ? text.size() + 1 : comma + 1;
        if (item.empty())
            continue;
        size_t eq = item.find('=');
        std::string key = item.substr(0, eq);
        std::string value = eq == std::string::npos ? std::string() : item.substr(eq + 1);
        long long n = 0;
        if (key == "drop" && value == "all") {
            f.dropAll = true;
        } else if (key == "drop" && ParseNumber(value, 10, n) && n > 0) {
            f.drop.insert(static_cast<uint64_t>(n));
        } else if (key == "status" && ParseNumber(value, 16, n) && n >= 0 && n <= 0xFF) {
            f.status = static_cast<uint8_t>(n);
        } else if (key == "echo" && eq == std::string::npos) {
            f.echo = true;
        } else if (key == "long" && eq == std::string::npos) {
            f.longReply = true;
        } else if (key == "refuse" && eq == std::string::npos) {
            f.refuse = true;
        } else if (key == "init" && ParseNumber(value, 10, n) && n >= INT32_MIN && n <= INT32_MAX) {
            f.initResult = static_cast<int32_t>(n);
        } else {
            error = "unknown fault \"" + item + "\"";
            return false;
        }
    }
    out = f;
    return true;
}

SimOptions SimOptions::FromEnvironment() {
    SimOptions o;
    o.recordTraffic = false;
    long long n = 0;
    if (const char* v = std::getenv("PYLONET_SIM_PLUGGED")) {
        if (ParseNumber(v, 10, n) && (n == 0 || n == 1))
            o.plugged = n == 1;
        else
            std::fprintf(stderr, "pylonet-sim: PYLONET_SIM_PLUGGED must be 0 or 1, not \"%s\"\n", v);
    }
    if (const char* v = std::getenv("PYLONET_SIM_LATENCY_US")) {
        if (ParseNumber(v, 10, n) && n >= 0 && n <= 10'000'000)
            o.latencyUs = static_cast<uint32_t>(n);
        else
            std::fprintf(stderr, "pylonet-sim: ignoring PYLONET_SIM_LATENCY_US=\"%s\"\n", v);
    }
    if (const char* v = std::getenv("PYLONET_SIM_FAULTS")) {
        std::string error;
        if (!ParseFaults(v, o.faults, error))
            std::fprintf(stderr, "pylonet-sim: ignoring PYLONET_SIM_FAULTS: %s\n", error.c_str());
    }
    if (const char* v = std::getenv("PYLONET_SIM_ACTIVE_PROFILE")) {
        if (ParseNumber(v, 10, n) && n >= 0 && n <= 2)
            o.activeProfile = static_cast<uint8_t>(n);
        else
            std::fprintf(stderr, "pylonet-sim: PYLONET_SIM_ACTIVE_PROFILE must be 0..2, not \"%s\"\n", v);
    }
    if (const char* v = std::getenv("PYLONET_SIM_MACRO_UNITS")) {
        if (ParseNumber(v, 10, n) && n >= 0 && n <= 255)
            o.macroUnits = static_cast<uint8_t>(n);
        else
            std::fprintf(stderr, "pylonet-sim: PYLONET_SIM_MACRO_UNITS must be 0..255, not \"%s\"\n", v);
    }
    if (const char* v = std::getenv("PYLONET_SIM_MODES")) {
        std::vector<uint8_t> modes;
        bool ok = true;
        std::string text = v;
        for (size_t start = 0; ok && start < text.size();) {
            size_t comma = text.find(',', start);
            std::string item =
                Trim(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            ok = ParseNumber(item, 10, n) && n >= 1 && n <= 255 && modes.size() < 32;
            modes.push_back(static_cast<uint8_t>(n));
            start = comma == std::string::npos ? text.size() : comma + 1;
        }
        if (ok)
            o.modes = modes;
        else
            std::fprintf(stderr, "pylonet-sim: ignoring PYLONET_SIM_MODES=\"%s\"\n", v);
    }
    if (const char* v = std::getenv("PYLONET_SIM_LOG"); v && *v)
        o.logPath = v;
    o.statePath = DefaultStatePath();
    return o;
}

// ---------------------------------------------------------------- Lane

SimKeyboard::Lane::Lane() : m_thread([this] { Run(); }) {}

SimKeyboard::Lane::~Lane() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_cv.notify_all();
    m_thread.join();
}

void SimKeyboard::Lane::Post(std::function<void()> task) {
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_cv.notify_all();
}

void SimKeyboard::Lane::Drain() {
    std::unique_lock lock(m_mutex);
    m_cv.wait(lock, [this] { return m_tasks.empty() && !m_running; });
}

void SimKeyboard::Lane::Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_cv.wait(lock, [this] { return m_stop || !m_tasks.empty(); });
        if (m_tasks.empty())
            return;
        auto task = std::move(m_tasks.front());
        m_tasks.pop_front();
        m_running = true;
        lock.unlock();
        task();
        lock.lock();
        m_running = false;
        m_cv.notify_all();
    }
}

// ---------------------------------------------------------------- SimKeyboard

SimKeyboard::SimKeyboard(SimOptions options) : m_options(std::move(options)), m_plugged(m_options.plugged) {
    m_memory = FactoryMemory();
    if (!m_options.statePath.empty()) {
        std::string why;
        if (LoadState(m_options.statePath, m_memory, why) == LoadResult::kReplaced)
            std::fprintf(stderr, "pylonet-sim: %s: %s; starting from factory memory\n",
                         m_options.statePath.c_str(), why.c_str());
    }
    ApplyConfiguredStatus(m_memory);
    if (!m_options.logPath.empty()) {
        m_log = std::fopen(m_options.logPath.c_str(), "a");
        if (!m_log)
            std::fprintf(stderr, "pylonet-sim: cannot open the report log %s: %s\n",
                         m_options.logPath.c_str(), std::strerror(errno));
    }
}

void SimKeyboard::ApplyConfiguredStatus(SimMemory& memory) const {
    if (m_options.activeProfile)
        memory.status[kStatusActiveProfile] = *m_options.activeProfile;
    if (m_options.macroUnits)
        memory.status[kStatusMacroUnits] = *m_options.macroUnits;
    if (m_options.modes) {
        std::fill_n(memory.status.begin() + kStatusModeList, 32, 0);
        std::copy(m_options.modes->begin(), m_options.modes->end(), memory.status.begin() + kStatusModeList);
    }
}

SimKeyboard::~SimKeyboard() {
    if (m_log)
        std::fclose(m_log);
}

int32_t SimKeyboard::Init() {
    std::lock_guard lock(m_mutex);
    return m_options.faults.initResult;
}

int32_t SimKeyboard::GetDeviceCount() {
    std::lock_guard lock(m_mutex);
    return m_plugged ? 1 : 0;
}

int32_t SimKeyboard::DeleteRequest(uint32_t unitId) {
    std::lock_guard lock(m_mutex);
    if (m_options.recordTraffic)
        m_deleted.push_back(unitId);
    return m_reads.erase(unitId) ? 1 : 0;
}

int32_t SimKeyboard::AsyncRead(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag,
                               uint32_t* unitId) {
    if (!selector || !callback)
        return 0;
    std::lock_guard lock(m_mutex);
    uint32_t id = m_nextUnit++;
    m_reads[id] = Registration{*selector, callback, tag};
    if (unitId)
        *unitId = id;
    return 1;
}

int32_t SimKeyboard::StatusWrite(const InterfaceSelector* selector, PylonetCallback, uint32_t,
                                 const uint8_t* data, int32_t length, uint32_t* unitId) {
    if (!selector || (length > 0 && !data) || length < 0)
        return 0;
    std::lock_guard lock(m_mutex);
    if (m_options.recordTraffic)
        m_indicatorWrites.emplace_back(data, data + length);
    if (unitId)
        *unitId = m_nextUnit++;
    return m_plugged ? 1 : 0;
}

std::optional<SimKeyboard::Registration> SimKeyboard::FindRead(uint16_t page, uint16_t usage) const {
    for (const auto& [id, r] : m_reads)
        if (IsInterface(&r.selector, page, usage))
            return r;
    return std::nullopt;
}

void SimKeyboard::LogReport(const uint8_t* data, size_t length) {
    if (!m_log)
        return;
    static const char kHex[] = "0123456789abcdef";
    std::string line;
    for (size_t i = 0; i < length; ++i) {
        line += kHex[data[i] >> 4];
        line += kHex[data[i] & 15];
    }
    line += '\n';
    std::fwrite(line.data(), 1, line.size(), m_log);
    std::fflush(m_log);
}

int32_t SimKeyboard::WriteOne(const InterfaceSelector* selector, const uint8_t* data, int32_t length) {
    if (!IsInterface(selector, kSimVendorPage, kSimVendorUsage) || !data || length <= 0)
        return 0;
    Report request{};
    std::memcpy(request.data(), data, std::min<size_t>(static_cast<size_t>(length), request.size()));

    std::lock_guard lock(m_mutex);
    if (!m_plugged || m_options.faults.refuse)
        return 0;
    if (m_options.recordTraffic)
        m_received.push_back(request);
    LogReport(request.data(), request.size());
    uint64_t number = ++m_reportCount;

    bool unplug = false;
    std::vector<uint8_t> reply = Execute(request, unplug);
    if (unplug) {
        // The boot loader takes over the USB connection: the keyboard is gone.
        m_plugged = false;
        NotifyDeviceCountLocked();
        return 1;
    }
    const Faults& f = m_options.faults;
    if (reply.empty() || f.dropAll || f.drop.count(number))
        return 1;
    auto control = FindRead(kSimVendorPage, kSimVendorUsage);
    if (!control)
        return 1;
    uint32_t latency = m_options.latencyUs;
    m_control.Post([reply = std::move(reply), control = *control, latency] {
        if (latency)
            std::this_thread::sleep_for(std::chrono::microseconds(latency));
        InputBlock input{};
        input.data = reply.data();
        RequestRecord record{control.tag, static_cast<uint32_t>(reply.size()), reply.data(), &input};
        ServiceNotification n{kPylonetNotifyInput, 0, &record};
        control.callback(&n);
    });
    return 1;
}

std::vector<uint8_t> SimKeyboard::Execute(const Report& req, bool& unplug) {
    const uint8_t command = req[3];
    const size_t length = req[4];
    const size_t offset = static_cast<size_t>(req[5] | (req[6] << 8));
    if (command == kEnterBootLoader && req[4] == kEnterBootLoader) {
        unplug = true;
        return {};
    }

    std::vector<uint8_t> reply(kPylonetReportSize, 0);
    reply[0] = 0x04;
    reply[3] = command;
    reply[4] = req[4];
    reply[5] = req[5];
    reply[6] = req[6];
    uint8_t* out = reply.data() + kDataOffset;
    const uint8_t* in = req.data() + kDataOffset;

    // A read of n bytes from an area: the part that lies inside the area is
    // returned, the rest of the data field stays 0 (the host reads 56
    // lighting bytes at offset 84 of a 126-byte table).
    auto read = [&](const uint8_t* area, size_t size) {
        if (length > kDataSize || offset >= size)
            return false;
        std::memcpy(out, area + offset, std::min(length, size - offset));
        return true;
    };
    auto write = [&](uint8_t* area, size_t size) {
        if (length > kDataSize || offset + length > size)
            return false;
        std::memcpy(area + offset, in, length);
        return true;
    };

    bool ok = req[0] == 0x04 && ReportSum(req.data()) == static_cast<uint16_t>(req[1] | (req[2] << 8));
    const Faults& f = m_options.faults;
    if (ok && !f.status) {
        SimMemory& m = m_memory;
        switch (command) {
        case kBeginUpdate:
        case kTest:
            break;
        case kEndUpdate:
            PersistLocked();
            break;
        case kReadStatus:
            ok = length == kStatusSize && offset == 0 && read(m.status.data(), kStatusSize);
            break;
        case kWriteStatus:
            // The firmware keeps its own macro size; only the active profile
            // and the rest of the record are taken, and a profile out of
            // range is refused.
            ok = length == kStatusSize && offset == 0 && in[kStatusActiveProfile] < 3;
            if (ok) {
                uint8_t units = m.status[kStatusMacroUnits];
                std::memcpy(m.status.data(), in, kStatusSize);
                m.status[kStatusMacroUnits] = units;
                PersistLocked();
            }
            break;
        case kReadLighting:
            ok = read(m.lighting.data(), kLightingSize);
            break;
        case kWriteLighting:
            ok = write(m.lighting.data(), kLightingSize);
            break;
        case kReadKeyMap:
            ok = offset + length <= m.keyMaps.size() && read(m.keyMaps.data(), m.keyMaps.size());
            break;
        case kWriteKeyMap:
            ok = write(m.keyMaps.data(), m.keyMaps.size());
            break;
        case kReadMacro:
            ok = offset + length <= m.MacroCapacity() && read(m.macro.data(), m.MacroCapacity());
            break;
        case kWriteMacro:
            ok = write(m.macro.data(), m.MacroCapacity());
            break;
        case kReadDefaultMatrix:
            ok = offset + length <= kDefaultMatrixSize && read(m.defaultMatrix.data(), kDefaultMatrixSize);
            break;
        case kWriteColours:
            ok = write(m.colours.data(), kColourTableSize);
            break;
        default:
            ok = false;
            break;
        }
    }
    reply[7] = f.status ? *f.status : (ok ? kStatusOk : kStatusBad);
    if (!ok && !f.status)
        std::memset(out, 0, kDataSize);
    if (f.echo)
        reply[3] = WrongEcho(command);
    uint16_t sum = ReportSum(reply.data());
    reply[1] = static_cast<uint8_t>(sum);
    reply[2] = static_cast<uint8_t>(sum >> 8);
    if (f.longReply)
        reply.resize(kLongReply, 0xA5);
    return reply;
}

void SimKeyboard::PersistLocked() {
    if (m_options.statePath.empty())
        return;
    std::string error;
    if (!SaveState(m_options.statePath, m_memory, error))
        std::fprintf(stderr, "pylonet-sim: %s\n", error.c_str());
}

void SimKeyboard::NotifyDeviceCountLocked() {
    auto control = FindRead(kSimVendorPage, kSimVendorUsage);
    if (!control)
        return;
    uint32_t count = m_plugged ? 1 : 0;
    m_control.Post([control = *control, count] {
        RequestRecord record{control.tag, count, nullptr, nullptr};
        ServiceNotification n{kPylonetNotifyDeviceCount, 0, &record};
        control.callback(&n);
    });
}

void SimKeyboard::Plug(bool plugged) {
    std::lock_guard lock(m_mutex);
    if (m_plugged == plugged)
        return;
    m_plugged = plugged;
    NotifyDeviceCountLocked();
}

bool SimKeyboard::Plugged() const {
    std::lock_guard lock(m_mutex);
    return m_plugged;
}

void SimKeyboard::SendConsumerCode(uint16_t code) {
    std::lock_guard lock(m_mutex);
    auto consumer = FindRead(kSimConsumerPage, kSimConsumerUsage);
    if (!m_plugged || !consumer)
        return;
    m_consumer.Post([consumer = *consumer, code] {
        const uint8_t bytes[4] = {static_cast<uint8_t>(code), static_cast<uint8_t>(code >> 8), 0, 0};
        InputBlock input{};
        input.data = bytes;
        RequestRecord record{consumer.tag, sizeof bytes, bytes, &input};
        ServiceNotification n{kPylonetNotifyInput, 0, &record};
        consumer.callback(&n);
    });
}

void SimKeyboard::ResetMemory() {
    std::lock_guard lock(m_mutex);
    m_memory = FactoryMemory();
    ApplyConfiguredStatus(m_memory);
    PersistLocked();
}

bool SimKeyboard::SetKey(int bank, int position, uint8_t b0, uint8_t b1, uint8_t b2) {
    if (bank < 0 || bank >= static_cast<int>(kKeyMapBanks) || position < 0 || position >= 108)
        return false;
    std::lock_guard lock(m_mutex);
    uint8_t* p = m_memory.keyMaps.data() + static_cast<size_t>(bank) * kKeyMapBankSize +
                 3 * static_cast<size_t>(position);
    p[0] = b0;
    p[1] = b1;
    p[2] = b2;
    PersistLocked();
    return true;
}

void SimKeyboard::SetFaults(const Faults& faults) {
    std::lock_guard lock(m_mutex);
    m_options.faults = faults;
    m_reportCount = 0;
}

SimMemory SimKeyboard::Memory() const {
    std::lock_guard lock(m_mutex);
    return m_memory;
}

std::vector<Report> SimKeyboard::Received() const {
    std::lock_guard lock(m_mutex);
    return m_received;
}

void SimKeyboard::ClearReceived() {
    std::lock_guard lock(m_mutex);
    m_received.clear();
}

std::vector<std::vector<uint8_t>> SimKeyboard::IndicatorWrites() const {
    std::lock_guard lock(m_mutex);
    return m_indicatorWrites;
}

std::vector<uint32_t> SimKeyboard::DeletedUnits() const {
    std::lock_guard lock(m_mutex);
    return m_deleted;
}

void SimKeyboard::Drain() {
    m_control.Drain();
    m_consumer.Drain();
}

} // namespace pylonet_sim
