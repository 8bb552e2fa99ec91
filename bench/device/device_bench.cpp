// One SendCommand round trip and a full three-profile key-map write against
// the simulated keyboard with zero latency, bound in-process through the
// library's entry points. "reports" counts what the keyboard received.
#include "device/commands.h"
#include "device/service_library.h"
#include "sim_entry.h"
#include "sim_keyboard.h"

#include <atomic>
#include <benchmark/benchmark.h>
#include <condition_variable>
#include <mutex>

namespace {

using namespace velkarn;

// A main window that is ready at once and ignores everything.
class QuietSink final : public PresenceSink {
public:
    void KeyboardRemoved() override {}
    void HideMainWindow() override {}
    void KeyboardArrived() override {}
    void PostOpen() override {}
    bool TrayReady() override { return true; }
    void SetTrayIcon(bool, int32_t) override { m_iconSet = true; }
    void ShowMessage(const std::string&) override {}
    void BankToggled() override {}
    void SetButtonCaption(int, const std::string&) override {}
    void StartLightingRefresh() override {}
    std::atomic<bool> m_iconSet{false};
};

struct BoundLink {
    BoundLink() : sim(pylonet_sim::SimOptions{}) {
        pylonet_sim::SetCurrentKeyboard(&sim);
        BindHooks hooks = SystemBindHooks();
        static int marker;
        hooks.open = [](const std::string&, std::string&) -> void* { return &marker; };
        hooks.lookup = [](void*, const char* name) { return pylonet_sim::FindEntryPoint(name); };
        library.Bind(sink, hooks);
        // Let the arrival of the first presence worker pass before timing.
        while (state.startupShowDecided.load() == 0)
            std::this_thread::yield();
        sim.ClearReceived();
    }
    ~BoundLink() { pylonet_sim::SetCurrentKeyboard(nullptr); }

    QuietSink sink;
    DeviceState state;
    DefaultKeyMapHolder defaultMap;
    ServiceLibrary library{state, defaultMap};
    pylonet_sim::SimKeyboard sim;
};

void BM_SendCommandRoundTrip(benchmark::State& state) {
    BoundLink link;
    ReportFrame request{};
    request[0] = kReportId;
    request[3] = 0x03;
    request[4] = 44;
    SealReport(request);
    ReportFrame reply{};
    for (auto _ : state) {
        size_t length = 0;
        if (link.library.Link().SendCommand(request, reply, length) != kDeviceSuccess)
            state.SkipWithError("SendCommand failed");
    }
    state.counters["reports"] = benchmark::Counter(static_cast<double>(link.sim.Received().size()),
                                                   benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SendCommandRoundTrip)->UseRealTime();

void BM_ThreeProfileKeyMapWrite(benchmark::State& state) {
    BoundLink link;
    KeyMapImage map = BuiltinDefaultKeyMap();
    for (auto _ : state) {
        BeginUpdate(link.library.Link());
        for (int bank = 0; bank < 3; ++bank)
            if (WriteKeyMap(map, bank, link.library.Link()) != kDeviceSuccess)
                state.SkipWithError("WriteKeyMap failed");
        EndUpdate(link.library.Link());
    }
    state.counters["reports"] = benchmark::Counter(static_cast<double>(link.sim.Received().size()),
                                                   benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_ThreeProfileKeyMapWrite)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
