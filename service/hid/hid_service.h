// The real keyboard behind the service library interface (pylonet.h):
// finds the keyboard's HID interfaces by the selectors' vendor id, product
// id, usage page and usage; writes command and indicator reports; runs one
// reader thread per standing read that reports input and device-count
// changes to the registered callback; notices keyboards coming and going.
//
// Thread safety: every member may be called from any thread. Each reader
// calls its callback on its own thread, never from inside an entry point, so
// replies (control channel) and keyboard events (consumer channel) come from
// different threads. Device-count changes reach a read's callback on that
// read's thread, after the reader has reopened its interface, so a caller
// that reacts to "keyboard arrived" by sending a command gets the reply.
#pragma once

#include "hid_port.h"
#include "hotplug_watcher.h"
#include "pylonet.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace pylonet_hid {

// True when the selector names the interface. Only the fields whose flag bit
// is set are compared (bit 0 vendor, 1 product, 2 usage page, 3 usage).
bool SelectorMatches(const InterfaceSelector& selector, const HidInterface& interface);
// True when the node at `path` still carries the selector's interface.
bool Lists(const InterfaceSelector& selector, const std::vector<HidInterface>& interfaces,
           const std::string& path);
// A selector must name at least the vendor and the product: the library never
// writes to a device it was not pointed at.
bool SelectorUsable(const InterfaceSelector* selector);
// Keyboards present for the selector: distinct nodes that carry its interface.
int32_t CountMatching(const InterfaceSelector& selector, const std::vector<HidInterface>& interfaces);

// Where the udev rule that grants access lies once installed: under the
// install prefix of the library when it runs from <prefix>/lib/velkarn,
// else the path the build was configured for.
std::string InstalledRulePath();
// The rule under the prefix of a library file at <prefix>/lib/velkarn/...;
// empty when the file does not lie in such a folder.
std::string RulePathBeside(const std::string& libraryFile);

class HidService {
public:
    // Largest report the library writes or delivers.
    static constexpr size_t kMaxReport = 64;
    static constexpr int kReadSliceMs = 100;
    static constexpr std::chrono::milliseconds kReopenInterval{1000};

    HidService() = default;
    ~HidService();
    HidService(const HidService&) = delete;
    HidService& operator=(const HidService&) = delete;

    int32_t Init();
    // Stops every reader and the watcher and closes every device; Init may
    // start over afterwards.
    void End();

    int32_t DeviceCount(const InterfaceSelector* selector);
    int32_t WriteOne(const InterfaceSelector* selector, const uint8_t* data, int32_t length);
    int32_t StatusWrite(const InterfaceSelector* selector, const uint8_t* data, int32_t length,
                        uint32_t* unitId);
    int32_t AsyncRead(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag,
                      uint32_t* unitId);
    int32_t DeleteRequest(uint32_t unitId);

    // Whether device events or polling tell about arrival and removal.
    bool Polling() const;

private:
    struct Reader {
        uint32_t id = 0;
        InterfaceSelector selector{};
        PylonetCallback callback = nullptr;
        uint32_t tag = 0;
        // Where the reader starts: the topology generation and the
        // interfaces it saw, and the count it last reported.
        uint64_t seen = 0;
        std::vector<HidInterface> interfaces;
        int32_t lastCount = 0;
        bool stop = false; // guarded by m_mutex
        std::thread thread;
    };
    using IdPair = std::pair<uint16_t, uint16_t>;

    void RunReader(Reader* reader, HidHandle* device, std::string path);
    void StopReader(std::unique_ptr<Reader> reader);
    // Enumerates the devices of one id pair (or of every pair in use) and
    // publishes the result; readers wake when it changed.
    std::vector<HidInterface> Rescan(IdPair ids);
    void RescanAll();
    // Opens the first node that carries the selector's interface; its path
    // goes to `openedPath` when given.
    HidHandle* OpenFor(const InterfaceSelector& selector, const std::vector<HidInterface>& interfaces,
                       std::string* openedPath = nullptr);
    int WriteReport(const InterfaceSelector& selector, const uint8_t* data, size_t length);
    void ReportOpenFailure(const std::string& path, int error);
    uint32_t NextUnitLocked();

    std::mutex m_lifecycle; // Init and End
    bool m_started = false; // written under both m_lifecycle and m_mutex

    std::mutex m_mutex; // everything below except the write targets
    std::condition_variable m_changed;
    uint64_t m_generation = 0;
    std::map<IdPair, std::vector<HidInterface>> m_interfaces; // as last enumerated
    std::set<IdPair> m_watchedPairs;                          // rescanned on every device event
    std::map<uint32_t, std::unique_ptr<Reader>> m_readers;
    std::set<uint32_t> m_statusWrites;
    uint32_t m_nextUnit = 1;

    std::mutex m_scanMutex; // one enumeration at a time, published in order

    std::mutex m_writeMutex;
    std::map<uint64_t, HidHandle*> m_writeTargets; // open nodes by vendor, product, page, usage

    std::atomic<bool> m_permissionReported{false};
    HotplugWatcher m_watcher;
};

} // namespace pylonet_hid
