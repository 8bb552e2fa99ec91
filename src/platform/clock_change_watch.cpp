#include "platform/clock_change_watch.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace velkarn {

bool ClockChangeWatch::Arm() {
    itimerspec timer{};
    // Far in the future: the timer exists only to be cancelled by a clock change.
    timer.it_value.tv_sec = static_cast<time_t>(0x7FFFFFFF);
    return ::timerfd_settime(m_timerFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &timer, nullptr) == 0;
}

bool ClockChangeWatch::Start(std::function<void()> onClockChanged) {
    if (Running())
        return false;
    m_timerFd = ::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK);
    m_stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_timerFd < 0 || m_stopFd < 0 || !Arm()) {
        if (m_timerFd >= 0)
            ::close(m_timerFd);
        if (m_stopFd >= 0)
            ::close(m_stopFd);
        m_timerFd = m_stopFd = -1;
        return false;
    }
    m_callback = std::move(onClockChanged);
    m_thread = std::thread([this] { Loop(); });
    return true;
}

void ClockChangeWatch::Stop() {
    if (!m_thread.joinable())
        return;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(m_stopFd, &one, sizeof one);
    m_thread.join();
    ::close(m_timerFd);
    ::close(m_stopFd);
    m_timerFd = m_stopFd = -1;
}

void ClockChangeWatch::Loop() {
    for (;;) {
        std::array<pollfd, 2> fds{{{m_timerFd, POLLIN, 0}, {m_stopFd, POLLIN, 0}}};
        if (::poll(fds.data(), fds.size(), -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents == 0)
            continue;
        uint64_t expirations = 0;
        const ssize_t n = ::read(m_timerFd, &expirations, sizeof expirations);
        // ECANCELED is the clock-change notice; the timer must be armed again.
        if (n < 0 && errno == ECANCELED) {
            if (m_callback)
                m_callback();
            if (!Arm())
                return;
        }
    }
}

} // namespace velkarn
