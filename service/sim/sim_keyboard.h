// The simulated keyboard: answers every vendor command like the firmware,
// keeps its memory in a state file, and reports replies, device-count changes
// and consumer events to the registered callbacks on threads of its own.
//
// It is the core of libpylonet-sim.so and is linked straight into tests.
//
// Thread safety: every public member may be called from any thread. Replies
// and device-count notifications are delivered on the control thread,
// consumer events on the consumer thread; neither is ever the caller's
// thread. The destructor stops both threads, so callbacks must stay valid
// until the SimKeyboard is gone.
#pragma once

#include "pylonet.h"
#include "sim_memory.h"

#include <array>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace pylonet_sim {

// Failure injection, parsed from a comma-separated list (PYLONET_SIM_FAULTS):
//   drop=N     do not answer the Nth command report (counted from 1 since the
//              faults were set); may be given more than once
//   drop=all   never answer
//   status=XX  answer every command with status byte XX (hex, e.g. ff, fe)
//              and leave the memory unchanged
//   echo       answer with a wrong command code (byte 3 with bit 7 flipped)
//   long       answer with 80 bytes instead of 64
//   refuse     refuse every report write (RequestWriteOne returns 0)
//   init=N     Init returns N (e.g. init=0 for an unusable library)
// An empty list means no faults.
struct Faults {
    std::set<uint64_t> drop;
    bool dropAll = false;
    std::optional<uint8_t> status;
    bool echo = false;
    bool longReply = false;
    bool refuse = false;
    int32_t initResult = 1;
};
bool ParseFaults(const std::string& text, Faults& out, std::string& error);

struct SimOptions {
    bool plugged = true;
    uint32_t latencyUs = 0;
    Faults faults;
    std::string logPath;   // empty: no report log
    std::string statePath; // empty: memory is not persisted
    // Status record values that replace the factory (and stored) ones.
    std::optional<uint8_t> activeProfile;      // 0..2
    std::optional<uint8_t> macroUnits;         // capacity in 128-byte units
    std::optional<std::vector<uint8_t>> modes; // up to 32 lighting-mode codes
    // Keep every report, indicator write and deleted unit for Received(),
    // IndicatorWrites() and DeletedUnits(). Tests want it; the shipped
    // library runs for days and leaves it off.
    bool recordTraffic = true;

    // PYLONET_SIM_PLUGGED, PYLONET_SIM_LATENCY_US, PYLONET_SIM_FAULTS,
    // PYLONET_SIM_LOG, PYLONET_SIM_STATE (or its default),
    // PYLONET_SIM_ACTIVE_PROFILE (0..2), PYLONET_SIM_MACRO_UNITS (0..255),
    // PYLONET_SIM_MODES (comma-separated codes 1..255, at most 32). Bad
    // values are reported on stderr and replaced by the defaults. Traffic is
    // not recorded.
    static SimOptions FromEnvironment();
};

constexpr uint16_t kSimVendorPage = 0xFF1C;
constexpr uint16_t kSimVendorUsage = 0x0092;
constexpr uint16_t kSimConsumerPage = 0x000C;
constexpr uint16_t kSimConsumerUsage = 0x0001;
constexpr uint8_t kStatusOk = 0x00;
constexpr uint8_t kStatusBad = 0xFF;

using Report = std::array<uint8_t, kPylonetReportSize>;

class SimKeyboard {
public:
    explicit SimKeyboard(SimOptions options);
    ~SimKeyboard();
    SimKeyboard(const SimKeyboard&) = delete;
    SimKeyboard& operator=(const SimKeyboard&) = delete;

    // The entry points.
    int32_t Init();
    int32_t GetDeviceCount();
    int32_t DeleteRequest(uint32_t unitId);
    int32_t WriteOne(const InterfaceSelector* selector, const uint8_t* data, int32_t length);
    int32_t StatusWrite(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag,
                        const uint8_t* data, int32_t length, uint32_t* unitId);
    int32_t AsyncRead(const InterfaceSelector* selector, PylonetCallback callback, uint32_t tag,
                      uint32_t* unitId);

    // Controls.
    void Plug(bool plugged);
    bool Plugged() const;
    void SendConsumerCode(uint16_t code);
    void ResetMemory();
    bool SetKey(int bank, int position, uint8_t b0, uint8_t b1, uint8_t b2);
    void SetFaults(const Faults& faults);
    SimMemory Memory() const;

    // What the keyboard received, for tests and the control program.
    std::vector<Report> Received() const;
    void ClearReceived();
    std::vector<std::vector<uint8_t>> IndicatorWrites() const;
    std::vector<uint32_t> DeletedUnits() const;
    // Returns once everything queued so far has been delivered.
    void Drain();

private:
    struct Registration {
        InterfaceSelector selector;
        PylonetCallback callback;
        uint32_t tag;
    };

    // One delivery thread with its queue.
    class Lane {
    public:
        Lane();
        ~Lane();
        void Post(std::function<void()> task);
        void Drain();

    private:
        void Run();
        std::mutex m_mutex;
        std::condition_variable m_cv;
        std::deque<std::function<void()>> m_tasks;
        bool m_stop = false;
        bool m_running = false;
        std::thread m_thread;
    };

    void ApplyConfiguredStatus(SimMemory& memory) const;
    std::vector<uint8_t> Execute(const Report& request, bool& unplug);
    std::optional<Registration> FindRead(uint16_t page, uint16_t usage) const;
    void NotifyDeviceCountLocked();
    void PersistLocked();
    void LogReport(const uint8_t* data, size_t length);

    mutable std::mutex m_mutex;
    SimOptions m_options;
    SimMemory m_memory;
    bool m_plugged;
    uint32_t m_nextUnit = 1;
    uint64_t m_reportCount = 0;
    std::map<uint32_t, Registration> m_reads;
    std::vector<Report> m_received;
    std::vector<std::vector<uint8_t>> m_indicatorWrites;
    std::vector<uint32_t> m_deleted;
    FILE* m_log = nullptr;
    // Declared last: the lanes stop (and join) before the state they use goes.
    Lane m_control;
    Lane m_consumer;
};

// The command-code of a report with bit 7 flipped: what the "echo" fault
// answers with.
constexpr uint8_t WrongEcho(uint8_t command) {
    return static_cast<uint8_t>(command ^ 0x80);
}

// Sum of bytes 3..63 as the firmware checks it.
uint16_t ReportSum(const uint8_t* report);

} // namespace pylonet_sim
