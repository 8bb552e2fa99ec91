#include "device/presence.h"

#include "app/localisation.h"
#include "device/commands.h"

#include <array>

namespace velkarn {

void ThreadSet::Start(std::function<void()> body) {
    std::lock_guard lock(m_mutex);
    for (auto it = m_threads.begin(); it != m_threads.end();) {
        if (it->done->load()) {
            it->thread.join();
            it = m_threads.erase(it);
        } else {
            ++it;
        }
    }
    auto done = std::make_shared<std::atomic<bool>>(false);
    m_threads.push_back({std::thread([body = std::move(body), done] {
                             body();
                             done->store(true);
                         }),
                         done});
}

void ThreadSet::JoinAll() {
    std::vector<Entry> threads;
    {
        std::lock_guard lock(m_mutex);
        threads.swap(m_threads);
    }
    for (auto& t : threads)
        t.thread.join();
}

Presence::Presence(ReportLink& link, DeviceState& state, DefaultKeyMapHolder& defaultMap, Clock& clock)
    : m_link(link), m_state(state), m_defaultMap(defaultMap), m_clock(clock) {}

Presence::~Presence() {
    Shutdown();
}

void Presence::Shutdown() {
    {
        std::lock_guard lock(m_turnMutex);
        m_stopping.store(true);
    }
    m_turnCv.notify_all();
    m_threads.JoinAll();
}

void Presence::StartWorker(int32_t deviceCount) {
    std::lock_guard lock(m_turnMutex);
    if (m_stopping.load())
        return;
    const uint64_t ticket = m_nextTicket++;
    m_threads.Start([this, ticket, deviceCount] { RunInTurn(ticket, deviceCount); });
}

void Presence::RunInTurn(uint64_t ticket, int32_t deviceCount) {
    {
        std::unique_lock lock(m_turnMutex);
        m_turnCv.wait(lock, [&] { return m_serving == ticket || m_stopping.load(); });
    }
    if (!m_stopping.load())
        PresenceWorker(deviceCount);
    {
        std::lock_guard lock(m_turnMutex);
        ++m_serving;
    }
    m_turnCv.notify_all();
}

void Presence::StartIconThread(uint16_t code) {
    if (m_stopping.load())
        return;
    m_threads.Start([this, code] { IconThread(code); });
}

void Presence::Arrival(PresenceSink& sink) {
    KeyMapImage matrix{};
    if (ReadDefaultMatrix(matrix, m_link) == kDeviceSuccess)
        m_defaultMap.Replace(matrix);
    else
        sink.ShowMessage(Text("MAIN_DEFAULT_MATRIX_PROMPT"));

    std::array<uint8_t, kStatusRecordSize> status{};
    if (ReadStatus(status, m_link) == kDeviceSuccess)
        m_state.macroCapacity.store(MacroCapacityOf(status));

    sink.KeyboardArrived();
}

int32_t Presence::PresenceWorker(int32_t n) {
    PresenceSink* sink = m_sink.load();
    if (!sink || n == m_state.lastDeviceCount.load())
        return 0;
    if (n == 0) {
        m_state.activeProfile.store(-1);
        sink->KeyboardRemoved();
        sink->HideMainWindow();
    } else {
        Arrival(*sink);
    }
    while (!sink->TrayReady()) {
        if (m_stopping.load())
            return 0;
        m_clock.SleepMs(kTrayPollMs);
    }
    const int32_t icon = n != 0 ? kIconKeyboardPresent : kIconNoKeyboard;
    m_state.presenceIcon.store(icon);
    sink->SetTrayIcon(false, icon);
    m_state.lastDeviceCount.store(n);
    if (m_state.startupShowDecided.load() == 0) {
        if (n != 0)
            sink->PostOpen();
        m_state.startupShowDecided.store(1);
    }
    return 0;
}

void Presence::IconThread(uint16_t code) {
    PresenceSink* sink = m_sink.load();
    int32_t idle = 0;
    while (!m_state.iconBusy.compare_exchange_weak(idle, 1)) {
        idle = 0;
        m_clock.SleepMs(1);
    }
    if (sink) {
        if (code == 0x1811)
            sink->SetTrayIcon(true, kIconAlternate);
        else if (code == 0x1810)
            sink->SetTrayIcon(false, 0);
    }
    m_clock.SleepMs(1);
    m_state.iconBusy.store(0);
}

} // namespace velkarn
