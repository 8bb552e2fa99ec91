// Shared fixture of the device-link tests: the simulated keyboard's core,
// bound in-process through the same entry points the shared library exports,
// a test clock that never sleeps, and a main window that records what it is
// told.
#pragma once

#include "device/commands.h"
#include "device/service_library.h"
#include "sim_entry.h"
#include "sim_keyboard.h"

#include <chrono>
#include <condition_variable>
#include <gtest/gtest.h>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velkarn::test {

// Time passes only when someone sleeps; sleeps are recorded.
class TestClock final : public Clock {
public:
    uint64_t NowMs() const override { return m_now.load(); }
    void SleepMs(uint32_t ms) override {
        m_now += ms;
        {
            std::lock_guard lock(m_mutex);
            m_sleeps.push_back(ms);
            if (m_onSleep)
                m_onSleep(ms);
        }
        std::this_thread::yield();
    }
    std::vector<uint32_t> Sleeps() const {
        std::lock_guard lock(m_mutex);
        return m_sleeps;
    }
    void OnSleep(std::function<void(uint32_t)> f) {
        std::lock_guard lock(m_mutex);
        m_onSleep = std::move(f);
    }

private:
    std::atomic<uint64_t> m_now{0};
    mutable std::mutex m_mutex;
    std::vector<uint32_t> m_sleeps;
    std::function<void(uint32_t)> m_onSleep;
};

// Records every call as one line of text, in order.
class RecordingSink final : public PresenceSink {
public:
    void KeyboardRemoved() override { Add("removed"); }
    void HideMainWindow() override { Add("hide"); }
    void KeyboardArrived() override { Add("PROF"); }
    void PostOpen() override { Add("OPEN"); }
    bool TrayReady() override {
        std::lock_guard lock(m_mutex);
        return m_trayReady;
    }
    void SetTrayIcon(bool alternate, int32_t id) override {
        Add("icon " + std::string(alternate ? "alt " : "") + std::to_string(id));
    }
    void ShowMessage(const std::string& text) override { Add("message " + text); }
    void BankToggled() override { Add("LED"); }
    void SetButtonCaption(int id, const std::string& caption) override {
        Add("caption " + std::to_string(id) + " " + caption);
    }
    void StartLightingRefresh() override { Add("timer 1051"); }

    void SetTrayReady(bool ready) {
        std::lock_guard lock(m_mutex);
        m_trayReady = ready;
    }
    std::vector<std::string> Events() const {
        std::lock_guard lock(m_mutex);
        return m_events;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_events.clear();
    }
    // Waits (real time, generously) until `line` has been recorded.
    bool WaitFor(const std::string& line, std::chrono::seconds timeout = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, timeout, [&] {
            return std::find(m_events.begin(), m_events.end(), line) != m_events.end();
        });
    }

private:
    void Add(std::string line) {
        {
            std::lock_guard lock(m_mutex);
            m_events.push_back(std::move(line));
        }
        m_cv.notify_all();
    }
    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::vector<std::string> m_events;
    bool m_trayReady = true;
};

inline BindHooks InProcessHooks() {
    BindHooks hooks = SystemBindHooks();
    static int marker;
    hooks.open = [](const std::string&, std::string&) -> void* { return &marker; };
    hooks.lookup = [](void*, const char* name) { return pylonet_sim::FindEntryPoint(name); };
    hooks.exit = [](int code) { FAIL() << "Bind ended the process with code " << code; };
    return hooks;
}

inline pylonet_sim::SimOptions QuietOptions(bool plugged = true) {
    pylonet_sim::SimOptions o;
    o.plugged = plugged;
    return o;
}

inline pylonet_sim::Faults FaultsOf(const std::string& text) {
    pylonet_sim::Faults f;
    std::string error;
    EXPECT_TRUE(pylonet_sim::ParseFaults(text, f, error)) << error;
    return f;
}

// A bound device link over an in-process simulated keyboard.
class DeviceTest : public ::testing::Test {
protected:
    void Bind(pylonet_sim::SimOptions options = QuietOptions()) {
        m_sim = std::make_unique<pylonet_sim::SimKeyboard>(std::move(options));
        pylonet_sim::SetCurrentKeyboard(m_sim.get());
        m_library = std::make_unique<ServiceLibrary>(m_state, m_defaultMap, m_clock);
        m_library->Link().SetTiming(m_clock, [this](AutoResetEvent& event, uint32_t ms) {
            {
                std::lock_guard lock(m_waitMutex);
                m_waits.push_back(ms);
            }
            // The keyboard answers within microseconds; a missing reply only
            // needs to be noticed, not waited for in full.
            return event.WaitFor(std::chrono::milliseconds(std::min(ms, m_realWaitCapMs.load())));
        });
        ASSERT_TRUE(m_library->Bind(m_sink, InProcessHooks()));
    }

    // Binds a plugged keyboard and lets the arrival of the first presence
    // worker pass, so that a test starts from a quiet link.
    void BindPlugged(pylonet_sim::SimOptions options = QuietOptions()) {
        Bind(std::move(options));
        // "OPEN" is the worker's last word on a fresh start with a keyboard.
        ASSERT_TRUE(m_sink.WaitFor("OPEN"));
        m_sim->ClearReceived();
        m_sink.Clear();
        std::lock_guard lock(m_waitMutex);
        m_waits.clear();
    }

    void TearDown() override {
        if (m_library)
            m_library->Shutdown();
        m_sim.reset();
        pylonet_sim::SetCurrentKeyboard(nullptr);
        m_library.reset();
    }

    std::vector<uint32_t> Waits() {
        std::lock_guard lock(m_waitMutex);
        return m_waits;
    }

    ReportLink& Link() { return m_library->Link(); }
    std::vector<pylonet_sim::Report> Received() const { return m_sim->Received(); }

    TestClock m_clock;
    DeviceState m_state;
    DefaultKeyMapHolder m_defaultMap;
    RecordingSink m_sink;
    std::atomic<uint32_t> m_realWaitCapMs{2000};
    std::mutex m_waitMutex;
    std::vector<uint32_t> m_waits;
    std::unique_ptr<pylonet_sim::SimKeyboard> m_sim;
    std::unique_ptr<ServiceLibrary> m_library;
};

} // namespace velkarn::test
