// Notices keyboards coming and going. It calls `check` on its own thread
// after every hidraw event of the device manager, or once a second when no
// device events are available (built without libudev, the monitor cannot be
// opened, or PYLONET_HID_HOTPLUG=poll), and whenever a reader asks for a
// rescan because its device failed.
//
// Thread safety: Start and Stop from one thread at a time; RequestRescan from
// any thread, including from inside `check`.
#pragma once

#include "device_events.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

namespace pylonet_hid {

class HotplugWatcher {
public:
    static constexpr std::chrono::milliseconds kPollInterval{1000};

    HotplugWatcher() = default;
    ~HotplugWatcher();
    HotplugWatcher(const HotplugWatcher&) = delete;
    HotplugWatcher& operator=(const HotplugWatcher&) = delete;

    // False when the watcher thread cannot be set up.
    bool Start(std::function<void()> check, bool useDeviceEvents);
    void Stop();
    void RequestRescan();
    bool Polling() const { return m_polling; }

private:
    void Run();

    std::function<void()> m_check;
    std::unique_ptr<DeviceEvents> m_events;
    int m_wakeFd = -1;
    std::atomic<bool> m_stop{false};
    bool m_polling = true;
    std::thread m_thread;
};

} // namespace pylonet_hid
