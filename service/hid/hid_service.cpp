#include "hid_service.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <unistd.h>

namespace pylonet_hid {
namespace {

constexpr uint32_t kFlagVendor = 1u << 0;
constexpr uint32_t kFlagProduct = 1u << 1;
constexpr uint32_t kFlagUsagePage = 1u << 2;
constexpr uint32_t kFlagUsage = 1u << 3;

uint64_t TargetKey(const InterfaceSelector& s) {
    const bool page = s.flags & kFlagUsagePage;
    const bool usage = s.flags & kFlagUsage;
    return uint64_t{s.vendorId} << 48 | uint64_t{s.productId} << 32 |
           uint64_t{page ? s.usagePage : 0u} << 16 | uint64_t{usage ? s.usage : 0u} |
           (page ? 0 : 1ull << 63) | (usage ? 0 : 1ull << 62);
}

bool PermissionDenied(const std::string& path, int openError) {
    if (openError == EACCES || openError == EPERM)
        return true;
    // hidapi does not promise to keep errno; ask the file system directly.
    return ::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES;
}

bool ForcePolling() {
    const char* mode = std::getenv("PYLONET_HID_HOTPLUG");
    return mode && std::strcmp(mode, "poll") == 0;
}

} // namespace

bool SelectorMatches(const InterfaceSelector& s, const HidInterface& i) {
    return (!(s.flags & kFlagVendor) || s.vendorId == i.vendorId) &&
           (!(s.flags & kFlagProduct) || s.productId == i.productId) &&
           (!(s.flags & kFlagUsagePage) || s.usagePage == i.usagePage) &&
           (!(s.flags & kFlagUsage) || s.usage == i.usage);
}

bool Lists(const InterfaceSelector& selector, const std::vector<HidInterface>& interfaces,
           const std::string& path) {
    return std::any_of(interfaces.begin(), interfaces.end(),
                       [&](const HidInterface& i) { return i.path == path && SelectorMatches(selector, i); });
}

bool SelectorUsable(const InterfaceSelector* s) {
    return s && (s->flags & kFlagVendor) && (s->flags & kFlagProduct);
}

int32_t CountMatching(const InterfaceSelector& selector, const std::vector<HidInterface>& interfaces) {
    std::set<std::string> paths;
    for (const HidInterface& i : interfaces)
        if (SelectorMatches(selector, i))
            paths.insert(i.path);
    return static_cast<int32_t>(paths.size());
}

std::string RulePathBeside(const std::string& libraryFile) {
    namespace fs = std::filesystem;
    const fs::path appFolder = PYLONET_HID_INSTALL_APPDIR;
    const fs::path rulesFolder = PYLONET_HID_RULES_DIR;
    if (!rulesFolder.is_relative() || !appFolder.is_relative())
        return {};
    fs::path prefix = fs::path(libraryFile).parent_path();
    for (auto part = appFolder.end(); part != appFolder.begin();) {
        --part;
        if (part->empty())
            continue;
        if (prefix.filename() != *part)
            return {};
        prefix = prefix.parent_path();
    }
    return (prefix / rulesFolder / PYLONET_HID_RULE_NAME).string();
}

std::string InstalledRulePath() {
    // An installed copy runs from <prefix>/<app folder>; the package may have
    // been built for another prefix than the build tree was configured for.
    Dl_info info{};
    if (::dladdr(reinterpret_cast<void*>(&InstalledRulePath), &info) && info.dli_fname) {
        std::error_code ec;
        const auto library = std::filesystem::canonical(info.dli_fname, ec);
        if (!ec) {
            if (std::string beside = RulePathBeside(library.string()); !beside.empty())
                return beside;
        }
    }
    return PYLONET_HID_RULE_PATH;
}

HidService::~HidService() {
    End();
}

int32_t HidService::Init() {
    std::lock_guard lifecycle(m_lifecycle);
    if (m_started)
        return 1;
    if (!PortInit()) {
        std::fprintf(stderr, "pylonet: the HID layer did not start\n");
        return 0;
    }
    m_permissionReported = false;
    if (!m_watcher.Start([this] { RescanAll(); }, !ForcePolling())) {
        PortExit();
        std::fprintf(stderr, "pylonet: cannot watch for keyboards: %s\n", std::strerror(errno));
        return 0;
    }
    std::lock_guard lock(m_mutex);
    m_started = true;
    return 1;
}

void HidService::End() {
    std::lock_guard lifecycle(m_lifecycle);
    if (!m_started)
        return;
    std::map<uint32_t, std::unique_ptr<Reader>> readers;
    {
        std::lock_guard lock(m_mutex);
        m_started = false;
        readers.swap(m_readers);
        m_statusWrites.clear();
    }
    for (auto& [id, reader] : readers)
        StopReader(std::move(reader));
    // Readers ask the watcher for rescans, so it goes after them.
    m_watcher.Stop();
    {
        std::lock_guard lock(m_writeMutex);
        for (auto& [key, handle] : m_writeTargets)
            PortClose(handle);
        m_writeTargets.clear();
    }
    {
        std::lock_guard lock(m_mutex);
        m_interfaces.clear();
        m_watchedPairs.clear();
        ++m_generation;
    }
    PortExit();
}

bool HidService::Polling() const {
    return m_watcher.Polling();
}

uint32_t HidService::NextUnitLocked() {
    uint32_t id = m_nextUnit++;
    if (m_nextUnit == 0)
        m_nextUnit = 1;
    return id;
}

// ---------------------------------------------------------------- topology

std::vector<HidInterface> HidService::Rescan(IdPair ids) {
    {
        // Watched before the enumeration: a device event that arrives while
        // it runs rescans this pair again, so the cached list cannot miss it.
        std::lock_guard lock(m_mutex);
        m_watchedPairs.insert(ids);
    }
    std::lock_guard scan(m_scanMutex);
    std::vector<HidInterface> found = PortEnumerate(ids.first, ids.second);
    // hid_enumerate already filters by the ids; a backend that does not must
    // still never hand us another vendor's device.
    std::erase_if(found, [&](const HidInterface& i) {
        return (ids.first && i.vendorId != ids.first) || (ids.second && i.productId != ids.second);
    });
    {
        std::lock_guard lock(m_mutex);
        auto& known = m_interfaces[ids];
        auto same = [](const HidInterface& a, const HidInterface& b) {
            return a.path == b.path && a.vendorId == b.vendorId && a.productId == b.productId &&
                   a.usagePage == b.usagePage && a.usage == b.usage;
        };
        if (!std::equal(known.begin(), known.end(), found.begin(), found.end(), same)) {
            known = found;
            ++m_generation;
            m_changed.notify_all();
        }
    }
    return found;
}

void HidService::RescanAll() {
    std::vector<IdPair> pairs;
    {
        std::lock_guard lock(m_mutex);
        pairs.assign(m_watchedPairs.begin(), m_watchedPairs.end());
    }
    for (const IdPair& ids : pairs)
        Rescan(ids);
}

void HidService::ReportOpenFailure(const std::string& path, int error) {
    if (!PermissionDenied(path, error) || m_permissionReported.exchange(true))
        return;
    const std::string rule = InstalledRulePath();
    std::fprintf(stderr,
                 "pylonet: the keyboard is attached but %s cannot be opened: permission denied.\n"
                 "pylonet: the udev rule %s gives the logged-in user access to it; install it, then run\n"
                 "pylonet:   sudo udevadm control --reload && sudo udevadm trigger\n",
                 path.c_str(), rule.c_str());
}

HidHandle* HidService::OpenFor(const InterfaceSelector& selector, const std::vector<HidInterface>& interfaces,
                               std::string* openedPath) {
    for (const HidInterface& i : interfaces) {
        if (!SelectorMatches(selector, i))
            continue;
        int error = 0;
        if (HidHandle* handle = PortOpen(i.path, error)) {
            if (openedPath)
                *openedPath = i.path;
            return handle;
        }
        ReportOpenFailure(i.path, error);
    }
    return nullptr;
}

int32_t HidService::DeviceCount(const InterfaceSelector* selector) {
    if (!SelectorUsable(selector))
        return 0;
    const IdPair ids{selector->vendorId, selector->productId};
    {
        std::lock_guard lock(m_mutex);
        if (!m_started)
            return 0;
        // The program asks before every report it sends; with device events
        // keeping a known pair's list current, enumerating each time would
        // only slow a download of a thousand reports down.
        if (!m_watcher.Polling()) {
            auto known = m_interfaces.find(ids);
            if (known != m_interfaces.end())
                return CountMatching(*selector, known->second);
        }
    }
    return CountMatching(*selector, Rescan(ids));
}

// ---------------------------------------------------------------- writes

int HidService::WriteReport(const InterfaceSelector& selector, const uint8_t* data, size_t length) {
    std::lock_guard lock(m_writeMutex);
    const uint64_t key = TargetKey(selector);
    // The cached node may have gone with an unplug; a failed write reopens
    // once, so the first command after a replug is not lost.
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto it = m_writeTargets.find(key);
        if (it == m_writeTargets.end()) {
            HidHandle* handle = OpenFor(selector, Rescan({selector.vendorId, selector.productId}));
            if (!handle)
                return -1;
            it = m_writeTargets.emplace(key, handle).first;
        }
        if (PortWrite(it->second, data, length) >= 0)
            return 1;
        PortClose(it->second);
        m_writeTargets.erase(it);
        m_watcher.RequestRescan();
    }
    return -1;
}

int32_t HidService::WriteOne(const InterfaceSelector* selector, const uint8_t* data, int32_t length) {
    if (!SelectorUsable(selector) || !data || length <= 0 || static_cast<size_t>(length) > kMaxReport)
        return 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_started)
            return 0;
    }
    return WriteReport(*selector, data, static_cast<size_t>(length)) > 0 ? 1 : 0;
}

int32_t HidService::StatusWrite(const InterfaceSelector* selector, const uint8_t* data, int32_t length,
                                uint32_t* unitId) {
    if (!SelectorUsable(selector) || !data || length <= 0 || static_cast<size_t>(length) > kMaxReport)
        return 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_started)
            return 0;
        uint32_t id = NextUnitLocked();
        m_statusWrites.insert(id);
        if (unitId)
            *unitId = id;
    }
    return WriteReport(*selector, data, static_cast<size_t>(length)) > 0 ? 1 : 0;
}

// ---------------------------------------------------------------- reads

int32_t HidService::AsyncRead(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag,
                              uint32_t* unitId) {
    if (!SelectorUsable(selector) || !callback)
        return 0;
    {
        std::lock_guard lock(m_mutex);
        if (!m_started)
            return 0;
    }
    // Enumerate first, so that this pair is watched from now on.
    const auto interfaces = Rescan({selector->vendorId, selector->productId});
    // Opened here, not on the reader's thread: a reply to a command written
    // right after this call returns must already have a reader to land in.
    std::string path;
    HidHandle* device = OpenFor(*selector, interfaces, &path);
    auto reader = std::make_unique<Reader>();
    reader->selector = *selector;
    reader->callback = callback;
    reader->tag = tag;
    Reader* raw = reader.get();
    std::lock_guard lock(m_mutex);
    if (!m_started) {
        PortClose(device);
        return 0;
    }
    // The reader starts from the count the caller can see now; any later
    // change of the topology is one it reports.
    reader->seen = m_generation;
    reader->interfaces = m_interfaces[{selector->vendorId, selector->productId}];
    reader->lastCount = CountMatching(*selector, reader->interfaces);
    reader->id = NextUnitLocked();
    if (unitId)
        *unitId = reader->id;
    m_readers.emplace(reader->id, std::move(reader));
    raw->thread = std::thread([this, raw, device, path] { RunReader(raw, device, path); });
    return 1;
}

int32_t HidService::DeleteRequest(uint32_t unitId) {
    std::unique_ptr<Reader> reader;
    {
        std::lock_guard lock(m_mutex);
        if (m_statusWrites.erase(unitId))
            return 1;
        auto it = m_readers.find(unitId);
        if (it == m_readers.end())
            return 0;
        reader = std::move(it->second);
        m_readers.erase(it);
    }
    StopReader(std::move(reader));
    return 1;
}

void HidService::StopReader(std::unique_ptr<Reader> reader) {
    {
        std::lock_guard lock(m_mutex);
        reader->stop = true;
    }
    m_changed.notify_all();
    if (reader->thread.get_id() == std::this_thread::get_id()) {
        // Deleted from inside its own callback: the thread finishes the
        // callback, sees the flag and ends; it must not join itself, and the
        // record has to outlive it.
        reader->thread.detach();
        reader.release();
        return;
    }
    reader->thread.join();
}

void HidService::RunReader(Reader* r, HidHandle* device, std::string path) {
    uint64_t seen = r->seen;
    std::vector<HidInterface> interfaces = r->interfaces;
    std::array<uint8_t, 1024> buffer{};
    for (;;) {
        bool changed = false;
        {
            std::unique_lock lock(m_mutex);
            if (!device)
                m_changed.wait_for(lock, kReopenInterval, [&] { return r->stop || m_generation != seen; });
            if (r->stop)
                break;
            if (m_generation != seen) {
                changed = true;
                seen = m_generation;
                interfaces = m_interfaces[{r->selector.vendorId, r->selector.productId}];
            }
        }
        if (device && changed && !Lists(r->selector, interfaces, path)) {
            // Its node is gone: let go of it before telling anyone.
            PortClose(device);
            device = nullptr;
        }
        if (!device)
            device = OpenFor(r->selector, interfaces, &path);
        if (changed) {
            // Reopened (or closed) before telling, so that a caller answering
            // "keyboard arrived" with a command gets its reply through us.
            const int32_t count = CountMatching(r->selector, interfaces);
            if (count != r->lastCount) {
                r->lastCount = count;
                RequestRecord record{r->tag, static_cast<uint32_t>(count), nullptr, nullptr};
                ServiceNotification n{kPylonetNotifyDeviceCount, 0, &record};
                r->callback(&n);
            }
        }
        if (!device)
            continue;
        const int got = PortRead(device, buffer.data(), buffer.size(), kReadSliceMs);
        if (got > 0) {
            InputBlock input{};
            input.data = buffer.data();
            RequestRecord record{r->tag, static_cast<uint32_t>(got), buffer.data(), &input};
            ServiceNotification n{kPylonetNotifyInput, 0, &record};
            r->callback(&n);
        } else if (got < 0) {
            // Unplugged mid-transfer (or the node failed): let go of it and
            // have the watcher look again; the count change follows.
            PortClose(device);
            device = nullptr;
            m_watcher.RequestRescan();
        }
    }
    PortClose(device);
}

} // namespace pylonet_hid
