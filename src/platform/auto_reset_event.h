// An auto-reset event: Set() releases one waiter (or the next one to wait),
// and the event clears itself as that waiter passes.
//
// Thread safety: every member may be called from any thread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace velkarn {

class AutoResetEvent {
public:
    explicit AutoResetEvent(bool initiallySet = false) : m_set(initiallySet) {}

    void Set() {
        {
            std::lock_guard lock(m_mutex);
            m_set = true;
        }
        m_cv.notify_one();
    }

    void Reset() {
        std::lock_guard lock(m_mutex);
        m_set = false;
    }

    // Waits until the event is set or the time-out passes. True when the
    // event was set (and is now cleared again), false on time-out.
    bool WaitFor(std::chrono::milliseconds timeout) {
        std::unique_lock lock(m_mutex);
        if (!m_cv.wait_for(lock, timeout, [this] { return m_set; }))
            return false;
        m_set = false;
        return true;
    }

    void Wait() {
        std::unique_lock lock(m_mutex);
        m_cv.wait(lock, [this] { return m_set; });
        m_set = false;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_set;
};

} // namespace velkarn
