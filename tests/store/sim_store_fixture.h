// A profile store over the real command set and transaction, bound
// in-process to the simulated keyboard's core: what the store sends is what
// the keyboard's memory shows afterwards.
#pragma once

#include "device/device_fixture.h"
#include "sim_memory.h"
#include "store/keyboard_port.h"
#include "store/profile_store.h"
#include "store_fixture.h"

#include <memory>

namespace velkarn::test {

class SimStoreTest : public StoreTest {
protected:
    // Starts the keyboard with `memory` and waits until its arrival has been
    // handled (default matrix and macro capacity read).
    void Bind(const pylonet_sim::SimMemory& memory = pylonet_sim::FactoryMemory(), bool plugged = true) {
        const std::string statePath = m_sandbox.Root().File("sim.state");
        std::string error;
        ASSERT_TRUE(pylonet_sim::SaveState(statePath, memory, error)) << error;
        pylonet_sim::SimOptions options = QuietOptions(plugged);
        options.statePath = statePath;
        m_sim = std::make_unique<pylonet_sim::SimKeyboard>(std::move(options));
        pylonet_sim::SetCurrentKeyboard(m_sim.get());
        m_library = std::make_unique<ServiceLibrary>(m_state, DefaultKeyMap(), m_clock);
        m_library->Link().SetTiming(m_clock, [](AutoResetEvent& event, uint32_t ms) {
            return event.WaitFor(std::chrono::milliseconds(std::min<uint32_t>(ms, 200)));
        });
        ASSERT_TRUE(m_library->Bind(m_sink, InProcessHooks()));
        // Without a keyboard the first presence worker has nothing to do.
        if (plugged) {
            ASSERT_TRUE(m_sink.WaitFor("icon 141"));
        }
        m_sim->Drain();
        m_port = std::make_unique<DeviceLinkPort>(m_library->Link(), m_state,
                                                  [this] { return m_library->GKeyBank(); });
        m_simStore = std::make_unique<ProfileStore>(*m_port);
        m_simStore->SetKeyView(&m_view);
        m_sim->ClearReceived();
    }

    void TearDown() override {
        if (m_library)
            m_library->Shutdown();
        m_sim.reset();
        pylonet_sim::SetCurrentKeyboard(nullptr);
        m_library.reset();
        DefaultKeyMap().ResetToBuiltin();
    }

    // Command codes of the reports received since the last clear, with
    // consecutive reports of one command folded into one.
    std::vector<int> Commands() const {
        std::vector<int> codes;
        for (const auto& report : m_sim->Received())
            if (codes.empty() || codes.back() != report[3])
                codes.push_back(report[3]);
        return codes;
    }

    TestClock m_clock;
    DeviceState m_state;
    RecordingSink m_sink;
    std::unique_ptr<pylonet_sim::SimKeyboard> m_sim;
    std::unique_ptr<ServiceLibrary> m_library;
    std::unique_ptr<DeviceLinkPort> m_port;
    std::unique_ptr<ProfileStore> m_simStore;
};

} // namespace velkarn::test
