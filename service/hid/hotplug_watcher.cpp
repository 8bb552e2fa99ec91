#include "hotplug_watcher.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace pylonet_hid {

HotplugWatcher::~HotplugWatcher() {
    Stop();
}

bool HotplugWatcher::Start(std::function<void()> check, bool useDeviceEvents) {
    if (m_thread.joinable())
        return true;
    m_wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (m_wakeFd < 0)
        return false;
    m_check = std::move(check);
    m_events = useDeviceEvents ? DeviceEvents::Open() : nullptr;
    m_polling = m_events == nullptr;
    m_stop = false;
    m_thread = std::thread([this] { Run(); });
    return true;
}

void HotplugWatcher::Stop() {
    if (!m_thread.joinable())
        return;
    m_stop = true;
    RequestRescan();
    m_thread.join();
    ::close(m_wakeFd);
    m_wakeFd = -1;
    m_events.reset();
    m_check = nullptr;
}

void HotplugWatcher::RequestRescan() {
    const uint64_t one = 1;
    if (m_wakeFd >= 0) {
        // A full counter (EAGAIN) already means "wake up"; nothing is lost.
        [[maybe_unused]] ssize_t n = ::write(m_wakeFd, &one, sizeof one);
    }
}

void HotplugWatcher::Run() {
    const int timeout = m_polling ? static_cast<int>(kPollInterval.count()) : -1;
    while (!m_stop) {
        pollfd fds[2] = {{m_wakeFd, POLLIN, 0}, {m_events ? m_events->Fd() : -1, POLLIN, 0}};
        int ready = ::poll(fds, m_events ? 2 : 1, timeout);
        if (ready < 0 && errno != EINTR)
            break;
        if (m_stop)
            break;
        bool changed = ready == 0; // a poll tick
        if (ready > 0 && (fds[0].revents & POLLIN)) {
            uint64_t count = 0;
            [[maybe_unused]] ssize_t n = ::read(m_wakeFd, &count, sizeof count);
            changed = true;
        }
        if (ready > 0 && m_events && (fds[1].revents & POLLIN))
            changed = m_events->Drain() || changed;
        if (changed)
            m_check();
    }
}

} // namespace pylonet_hid
