// Keyboard arrival and removal, and the tray-icon requests of the keyboard.
//
// Every device-count report (the first from Bind, later ones from the
// control channel) starts a PresenceWorker thread that refreshes what the
// program caches from the keyboard (default key map, macro capacity), tells
// the main window through PresenceSink, and sets the tray icon. Consumer
// codes 0x1810 / 0x1811 start small icon threads.
//
// Thread safety: StartWorker and StartIconThread may be called from any
// thread (the library's callback threads among them). Workers run one after
// the other in the order they were started: a removal worker overtaken by
// the arrival that follows it would otherwise report a keyboard that is
// there as gone, or make the arrival look like a repeat of the old count.
// Icon threads serialise among themselves.
// Shutdown (and the destructor) waits for every thread it started; after it,
// nothing is started any more.
#pragma once

#include "device/device_state.h"
#include "device/transaction.h"
#include "model/default_key_map.h"
#include "platform/clock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velkarn {

// The main window as the device link sees it. Implemented by the main window
// (which turns the calls into its messages) and by tests. Calls come from
// presence workers, icon threads and the library's consumer thread, never
// from the UI thread; "blocking" calls return once the window has handled
// them.
class PresenceSink {
public:
    virtual ~PresenceSink() = default;
    // Message 0x4753 (blocking): the keyboard is gone; close child dialogs.
    virtual void KeyboardRemoved() = 0;
    // Hide the main window (after a removal).
    virtual void HideMainWindow() = 0;
    // Message 0x5452 "PROF" (blocking): reload the store and the lighting.
    virtual void KeyboardArrived() = 0;
    // Message 0x5350 "OPEN" (posted): the window shows itself.
    virtual void PostOpen() = 0;
    // Whether the tray icon exists yet.
    virtual bool TrayReady() = 0;
    // alternate = true: show icon 142. Otherwise show `iconId` and remember it
    // as the presence icon, or, with iconId 0, the remembered presence icon.
    // The window changes the icon only when it differs from the one shown.
    virtual void SetTrayIcon(bool alternate, int32_t iconId) = 0;
    // An OK message box (blocking) with the text.
    virtual void ShowMessage(const std::string& text) = 0;
    // Message 0x5045 "LED" (blocking): the G-key bank changed; redraw G keys.
    virtual void BankToggled() = 0;
    // Caption of a G-key button (1000..1004, 1140..1143).
    virtual void SetButtonCaption(int controlId, const std::string& caption) = 0;
    // Start timer 1051 with period 0: re-read status and lighting.
    virtual void StartLightingRefresh() = 0;
};

// Threads that are joined when their owner goes; finished ones are reaped
// whenever a new one starts.
class ThreadSet {
public:
    ~ThreadSet() { JoinAll(); }
    void Start(std::function<void()> body);
    void JoinAll();

private:
    struct Entry {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex m_mutex;
    std::vector<Entry> m_threads;
};

class Presence {
public:
    Presence(ReportLink& link, DeviceState& state, DefaultKeyMapHolder& defaultMap, Clock& clock);
    ~Presence();

    void SetSink(PresenceSink* sink) { m_sink.store(sink); }
    void StartWorker(int32_t deviceCount);
    void StartIconThread(uint16_t code);
    // Stops waits for the tray and joins every thread.
    void Shutdown();

    // The thread procedures, also callable directly.
    int32_t PresenceWorker(int32_t deviceCount);
    void IconThread(uint16_t code);

private:
    void Arrival(PresenceSink& sink);
    void RunInTurn(uint64_t ticket, int32_t deviceCount);

    ReportLink& m_link;
    DeviceState& m_state;
    DefaultKeyMapHolder& m_defaultMap;
    Clock& m_clock;
    std::atomic<PresenceSink*> m_sink{nullptr};
    std::atomic<bool> m_stopping{false};
    // Worker order: tickets are handed out by StartWorker, served in turn.
    std::mutex m_turnMutex;
    std::condition_variable m_turnCv;
    uint64_t m_nextTicket = 0;
    uint64_t m_serving = 0;
    ThreadSet m_threads;
};

constexpr uint32_t kTrayPollMs = 50;

} // namespace velkarn
