// Notice of a change of the wall clock (the user or NTP setting the time),
// which the main window reacts to as it did to the system's time-change
// message. Built on a timerfd armed far in the future with cancel-on-set:
// the kernel cancels it, and wakes us, whenever the realtime clock is set.
//
// Thread safety: Start and Stop belong to the owner; the callback runs on
// the watcher's own thread and should only post to the UI thread.
#pragma once

#include <functional>
#include <thread>

namespace velkarn {

class ClockChangeWatch {
public:
    ClockChangeWatch() = default;
    ~ClockChangeWatch() { Stop(); }
    ClockChangeWatch(const ClockChangeWatch&) = delete;
    ClockChangeWatch& operator=(const ClockChangeWatch&) = delete;

    // False where the kernel offers no such notice; the program then simply
    // never hears of clock changes.
    bool Start(std::function<void()> onClockChanged);
    void Stop();
    bool Running() const { return m_thread.joinable(); }

private:
    bool Arm();
    void Loop();

    std::function<void()> m_callback;
    int m_timerFd = -1;
    int m_stopFd = -1;
    std::thread m_thread;
};

} // namespace velkarn
