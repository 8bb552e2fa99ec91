// Hands work from other threads to the UI thread: Post queues it, Send
// queues it and waits until it has run (the blocking "send" the presence
// worker, the service-library callback and the instance socket rely on).
//
// Shutdown is what makes this safe at exit: once the main window has ended,
// every waiting Send is released with 0 and later calls do nothing, so no
// worker thread is left waiting for a UI thread that no longer runs its
// event loop, and no queued call reaches a destroyed window.
//
// Thread safety: Post, Send and Shutdown may be called from any thread.
// The bridge must be created on the UI thread and must outlive every thread
// that may call it (the application keeps it until the process ends).
#pragma once

#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace velkarn {

class UiCallBridge : public QObject {
    Q_OBJECT
public:
    UiCallBridge();

    void Post(std::function<void()> work);
    // Runs work on the UI thread and returns its result; runs it at once
    // when called on the UI thread. 0 after Shutdown.
    int Send(std::function<int()> work);
    void Shutdown();
    bool IsShutDown() const;

private:
    struct Pending {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        int result = 0;
    };
    void Finish(const std::shared_ptr<Pending>& pending, int result);

    mutable std::mutex m_mutex;
    bool m_shutDown = false;
    std::vector<std::shared_ptr<Pending>> m_waiting;
};

} // namespace velkarn
