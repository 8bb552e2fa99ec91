// Saving and loading the largest store the program can hold: 100 macros of
// 2000 actions each (about 1.6 MB), a text on every text-carrying entry of
// one area, and all four key-map areas. Apply saves the store file and every
// keyboard arrival loads it, so both must stay well below what a user notices.
#include "model/macro.h"
#include "store/keyboard_port.h"
#include "store/profile_file.h"
#include "store/profile_store.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using namespace velkarn;

std::string BenchFolder() {
    static const std::string folder = [] {
        char name[] = "/tmp/velkarn-bench-XXXXXX";
        if (!::mkdtemp(name))
            std::abort();
        ::setenv("XDG_DATA_HOME", name, 1);
        ::setenv("XDG_CONFIG_HOME", name, 1);
        return std::string(name);
    }();
    return folder;
}

void FillLargest(ProfileStore& store) {
    std::lock_guard lock(store.StoreLock());
    store.Macros().clear();
    for (uint16_t id = 1; id <= kMaxMacros; ++id) {
        MacroRecord macro;
        macro.SetId(id);
        macro.SetCycleCount(1);
        macro.SetName(u"benchmark macro");
        for (int a = 0; a < kMaxMacroActions; ++a)
            macro.AppendAction(MacroAction{10, 0x1E, static_cast<uint16_t>(a % 2)});
        store.Macros().push_back(std::move(macro));
    }
    for (int e = 0; e < kEntriesPerArea; ++e) {
        store.Block()->AreaView(0).Entry(e).SetType(6);
        store.Texts().Set(e, u"a text block of moderate length for every entry");
    }
}

void BM_SaveLargestStore(benchmark::State& state) {
    const std::string path = BenchFolder() + "/save.fwc";
    ProfileStore store(DeviceKeyboardPort());
    FillLargest(store);
    for (auto _ : state)
        benchmark::DoNotOptimize(SaveProfileFileAs(store, true, path));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_SaveLargestStore)->Unit(benchmark::kMillisecond);

void BM_LoadLargestStore(benchmark::State& state) {
    const std::string path = BenchFolder() + "/load.fwc";
    {
        ProfileStore store(DeviceKeyboardPort());
        FillLargest(store);
        SaveProfileFileAs(store, true, path);
    }
    ProfileStore store(DeviceKeyboardPort());
    for (auto _ : state) {
        std::lock_guard lock(store.StoreLock());
        store.Empty();
        benchmark::DoNotOptimize(LoadProfileFile(store, path));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_LoadLargestStore)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(BenchFolder());
    return 0;
}
